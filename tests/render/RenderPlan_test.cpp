// A render split into chunks, as a user runs it: zodrender --frames, a real one-machine Slurm
// cluster (tests/render/local-slurm.sh), scripts/render-cluster.sh, real ffmpeg and ffprobe.
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testing_paths::commandOutput;

namespace {

// Everything here depends on earlier frames: the swish's noise-driven trail (and the random
// generator it shares), the teapot's tumble, two render targets that each show the other's last
// picture, and, in a third target that nothing shows before it is drawn, a bouncing quad with
// noise that the other generator renews each time it is drawn.
const char* trailDocument =
    "<demo>\n"
    "    <music name=\"Music\" resource=\"Music.ogg\" />\n"
    "    <visual.group name=\"Main\">\n"
    "        <item visual=\"Screen\" />\n"
    "        <item visual=\"Trail\" />\n"
    "        <item visual=\"Bounce Screen\" />\n"
    "    </visual.group>\n"
    "    <visual.overlay name=\"Screen\" texture=\"Tumble\" start=\"0\" stop=\"10\" v1=\"0.75\" />\n"
    "    <visual.scene name=\"Trail\" model=\"World\" camera=\"Camera\" near=\"1.0\" far=\"1000.0\" />\n"
    "    <model.group name=\"World\" size=\"100\"><item model=\"Swish\" path=\"Still\" /></model.group>\n"
    "    <model.swish name=\"Swish\" />\n"
    "    <path.spline name=\"Still\" scale=\"1\"><key p=\"0 0 0 0 0 0\" tcb=\"0 0 0\" t=\"0\" /></path.spline>\n"
    "    <path.spline name=\"Camera\" scale=\"1\"><key p=\"0 0 -150 0 0 0\" tcb=\"0 0 0\" t=\"0\" /></path.spline>\n"
    "    <texture.target name=\"Tumble\" visual=\"Teapot View\" size=\"64\" color=\"ff4a2070\" />\n"
    "    <visual.group name=\"Teapot View\">\n"
    "        <item visual=\"Echo View\" />\n"
    "        <item visual=\"Teapot Scene\" />\n"
    "    </visual.group>\n"
    "    <visual.scene name=\"Teapot Scene\" model=\"Teapot World\" camera=\"Teapot Camera\" far=\"100\" />\n"
    "    <model.group name=\"Teapot World\" size=\"4\"><item model=\"Teapot\" path=\"Still\" /></model.group>\n"
    "    <model.teapot name=\"Teapot\" texture=\"Clouds\" />\n"
    "    <texture.cloud name=\"Clouds\" seed=\"7\" />\n"
    "    <path.spline name=\"Teapot Camera\"><key p=\"0 0 -9 0 0 0\" tcb=\"0 0 0\" t=\"0\" /></path.spline>\n"
    "    <texture.target name=\"Echo\" visual=\"Echo Source\" size=\"64\" color=\"ff000000\" />\n"
    "    <visual.overlay name=\"Echo Source\" texture=\"Tumble\" start=\"0\" stop=\"10\"\n"
    "                    u0=\"0.1\" v0=\"0.1\" u1=\"0.9\" v1=\"0.9\" />\n"
    "    <visual.overlay name=\"Echo View\" texture=\"Echo\" start=\"0\" stop=\"10\" />\n"
    "    <visual.overlay name=\"Bounce Screen\" texture=\"Bounce\" start=\"0\" stop=\"10\" position=\"500 300 300 300\" />\n"
    "    <texture.target name=\"Bounce\" visual=\"Bounce Scene\" size=\"64\" color=\"ff000000\" />\n"
    "    <visual.scene name=\"Bounce Scene\" model=\"Bouncing\" camera=\"Bounce Camera\" far=\"1000\" />\n"
    "    <model.boing name=\"Bouncing\" model=\"Noise World\" />\n"
    "    <model.group name=\"Noise World\" size=\"100\"><item model=\"Noise\" path=\"Big\" /></model.group>\n"
    "    <path.spline name=\"Big\" scale=\"150\"><key p=\"0 0 0 -706 0 0\" tcb=\"0 0 0\" t=\"0\" /></path.spline>\n"
    "    <model.quad name=\"Noise\" texture=\"Art\" />\n"
    "    <texture.art name=\"Art\" />\n"
    "    <path.spline name=\"Bounce Camera\"><key p=\"0 50 -400 0 0 0\" tcb=\"0 0 0\" t=\"0\" /></path.spline>\n"
    "</demo>\n";

const int width = 320, height = 240, fps = 30, frames = 120;
const std::vector<std::string> shape{"--size", "320x240", "--fps", "30"};

struct Folder {
    Folder() : path(testing_paths::makeTempDir()) { std::ofstream(path + "/trail.xml") << trailDocument; }
    ~Folder() { fs::remove_all(path); }

    ChildOutcome render(std::vector<std::string> arguments) const {
        arguments.insert(arguments.end(), shape.begin(), shape.end());
        arguments.push_back("-d" + path + "/trail.xml");
        ChildOptions options;
        options.withDisplay = false;
        options.timeLimitSeconds = 120;
        return runTool(testing_paths::binaryDir() + "/zodrender", arguments, options);
    }
    std::string path;
};

ChildOutcome zodrender(const std::vector<std::string>& arguments) {
    ChildOptions options;
    options.withDisplay = false;
    options.timeLimitSeconds = 120;
    return runTool(testing_paths::binaryDir() + "/zodrender", arguments, options);
}

std::vector<float> decodeSound(const std::string& input) {
    std::string raw = commandOutput("ffmpeg -v error " + input + " -ac 1 -f f32le -");
    std::vector<float> samples(raw.size() / sizeof(float));
    std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
    return samples;
}

int freePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// munged, slurmctld and slurmd for this test only; all ended when it goes.
struct LocalSlurm {
    LocalSlurm()
        : folder(testing_paths::makeTempDir()), script(testing_paths::sourceDir() + "/tests/render/local-slurm.sh") {
        int controller = freePort(), node = freePort();
        while (node == controller) node = freePort();
        started = commandOutput(script + " start " + folder + " " + std::to_string(controller) + " " + std::to_string(node) +
                         " 2>&1");
        up = started.find("SLURM_CONF=") != std::string::npos;
    }
    ~LocalSlurm() {
        commandOutput(script + " stop " + folder + " 2>&1");
        fs::remove_all(folder);
    }
    std::string run(const std::string& command) const {
        return commandOutput("SLURM_CONF=" + folder + "/slurm.conf " + command);
    }
    // Until the queue is empty: every job ended, one way or the other.
    bool settle() const {
        for (int i = 0; i < 2400; ++i) {  // at most four minutes
            std::string queue = run("squeue -h 2>&1");
            if (queue.empty()) return true;
            if (queue.find("error") != std::string::npos) return false;
            usleep(100000);
        }
        return false;
    }

    std::string folder, script, started;
    bool up = false;
};

}  // namespace

TEST(RenderPlan, ChunksGiveTheWholeRendersFramesByteForByte) {
    Folder folder;
    ChildOutcome whole = folder.render({"-o", folder.path + "/whole.png", "--to", "4"});
    ASSERT_EQ(whole.exitCode, 0) << whole.errors;
    // Chunks of odd lengths, each starting in the middle of the trail.
    for (const char* range : {"0:30", "30:47", "47:100", "100:120"}) {
        ChildOutcome chunk = folder.render({"-o", folder.path + "/chunk.png", "--frames", range});
        ASSERT_EQ(chunk.exitCode, 0) << range << ": " << chunk.errors;
    }
    char name[32];
    int moving = 0;
    std::string previous;
    for (int n = 0; n < frames; ++n) {
        std::snprintf(name, sizeof name, "%05d.png", n);
        const std::string picture = testing_paths::readFile(folder.path + "/whole" + name);
        ASSERT_FALSE(picture.empty()) << n;
        EXPECT_TRUE(testing_paths::readFile(folder.path + "/chunk" + name) == picture) << "frame " << n << " differs";
        moving += picture != previous;
        previous = picture;
    }
    EXPECT_EQ(moving, frames);  // every frame differs from the one before: the state really moves
}

TEST(RenderPlan, SlurmRendersJoinsAndRerendersOnlyWhatIsMissing) {
    LocalSlurm slurm;
    ASSERT_TRUE(slurm.up) << slurm.started;
    Folder folder;
    const std::string plan = folder.path + "/plan", video = folder.path + "/out.mp4";
    const std::string submit = testing_paths::sourceDir() + "/scripts/render-cluster.sh --zodrender " +
                               testing_paths::binaryDir() + "/zodrender --plan " + plan + " --chunk 1 --time 10 -o " +
                               video + " -d" + folder.path + "/trail.xml --size 320x240 --fps 30 --to 4 2>&1";
    std::string submitted = slurm.run(submit);
    ASSERT_NE(submitted.find("chunks 0-3 as array job"), std::string::npos) << submitted;
    ASSERT_TRUE(slurm.settle()) << slurm.run("squeue 2>&1");
    ASSERT_TRUE(fs::exists(video)) << testing_paths::readFile(plan + "/logs/assemble.out")
                                   << testing_paths::readFile(plan + "/logs/chunk-0.out");

    // What an ordinary player sees: every frame, the sound as long as the pictures, the index first.
    EXPECT_EQ(
        commandOutput("ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 " +
               video),
        "120\n");
    EXPECT_NEAR(
        std::atof(
            commandOutput("ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 " + video).c_str()),
        4.0, 1e-3);
    const std::string head = testing_paths::readFile(video).substr(0, 64);
    EXPECT_NE(head.find("moov"), std::string::npos) << "the index is not at the front";

    // The pictures of a one-machine render, within the encoder's tolerance.
    ChildOutcome single = folder.render({"-o", folder.path + "/single.mp4", "--to", "4"});
    ASSERT_EQ(single.exitCode, 0) << single.errors;
    const std::string joined = commandOutput("ffmpeg -v error -i " + video + " -f rawvideo -pix_fmt gray -");
    const std::string alone = commandOutput("ffmpeg -v error -i " + folder.path + "/single.mp4 -f rawvideo -pix_fmt gray -");
    const std::size_t area = std::size_t(width) * height;
    ASSERT_EQ(joined.size(), frames * area);
    ASSERT_EQ(alone.size(), frames * area);
    for (int n = 0; n < frames; ++n) {
        long difference = 0;
        for (std::size_t i = n * area; i < (n + 1) * area; ++i)
            difference +=
                std::abs(int(static_cast<unsigned char>(joined[i])) - int(static_cast<unsigned char>(alone[i])));
        EXPECT_LT(double(difference) / area, 3.0) << "frame " << n;
    }

    // The sound against the music itself: no gap, step or shift at the joins (1, 2 and 3 s).
    const std::vector<float> music = decodeSound("-i " + testing_paths::sourceDir() + "/resources/Music.ogg -t 4");
    const std::vector<float> sound = decodeSound("-i " + video + " -map 0:a");
    ASSERT_EQ(music.size(), std::size_t(4 * 44100));
    ASSERT_GE(sound.size(), music.size());
    for (int join = 1; join < 4; ++join) {
        for (int window = join * 44100 - 2205; window < join * 44100 + 2205; window += 441) {  // 10 ms each
            double signal = 0, error = 0;
            for (int i = window; i < window + 441; ++i) {
                signal += double(music[i]) * music[i];
                error += double(sound[i] - music[i]) * (sound[i] - music[i]);
            }
            ASSERT_GT(signal, 1e-3) << "the music is silent here: the test cannot see a gap";
            EXPECT_LT(error / signal, 0.05) << "at " << window / 44100.0 << " s";
        }
    }

    // A chunk lost and one cut short after their tasks ran: assembling names both and writes nothing.
    fs::remove(plan + "/chunks/chunk-00002.mp4");
    fs::resize_file(plan + "/chunks/chunk-00001.mp4", fs::file_size(plan + "/chunks/chunk-00001.mp4") / 2);
    fs::remove(video);
    std::map<std::string, fs::file_time_type> kept;
    for (const char* chunk : {"chunk-00000.mp4", "chunk-00003.mp4"})
        kept[chunk] = fs::last_write_time(plan + "/chunks/" + chunk);
    ChildOptions options;
    options.withDisplay = false;
    ChildOutcome assemble = runTool(testing_paths::binaryDir() + "/zodrender", {"--assemble", plan}, options);
    EXPECT_EQ(assemble.exitCode, 1);
    EXPECT_NE(assemble.errors.find("chunk 1 (frames 30 to 59)"), std::string::npos) << assemble.errors;
    EXPECT_NE(assemble.errors.find("chunk 2 (frames 60 to 89)"), std::string::npos) << assemble.errors;
    EXPECT_EQ(assemble.errors.find("chunk 0"), std::string::npos) << assemble.errors;
    for (const auto& entry : fs::directory_iterator(folder.path))
        EXPECT_EQ(entry.path().filename().string().find("out"), std::string::npos) << entry.path();

    // The same command again renders those chunks only, then joins them.
    submitted = slurm.run(submit);
    EXPECT_NE(submitted.find("chunks 1-2 as array job"), std::string::npos) << submitted;
    ASSERT_TRUE(slurm.settle());
    EXPECT_TRUE(fs::exists(video)) << testing_paths::readFile(plan + "/logs/assemble.out");
    for (const auto& [chunk, time] : kept) EXPECT_EQ(fs::last_write_time(plan + "/chunks/" + chunk), time) << chunk;
    EXPECT_EQ(slurm.run(testing_paths::binaryDir() + "/zodrender --progress " + plan),
              "4 of 4 chunks done\nassembled: " + video + "\n");

    // 1,500 chunks of a frame each, held in the queue: more than one array job takes (MaxArraySize
    // is 1001 here), each with the limit of tasks at once.
    std::ofstream(folder.path + "/long.xml")
        << "<demo>\n<music name=\"Music\" resource=\"Music.ogg\" />\n"
           "<visual.group name=\"Main\"><item visual=\"Back\" /></visual.group>\n<visual.group name=\"Nothing\" />\n"
           "<texture.target name=\"Grey\" visual=\"Nothing\" color=\"ff808080\" size=\"16\" />\n"
           "<visual.overlay name=\"Back\" texture=\"Grey\" start=\"0\" stop=\"1000\" />\n</demo>\n";
    submitted = slurm.run(testing_paths::sourceDir() + "/scripts/render-cluster.sh --zodrender " +
                          testing_paths::binaryDir() + "/zodrender --plan " + folder.path + "/many --chunk 0.1 " +
                          "--max-running 3 --sbatch --hold -o " + folder.path + "/many.mp4 -d" + folder.path +
                          "/long.xml --size 32x24 --fps 10 --to 150 2>&1");
    EXPECT_NE(submitted.find("chunks 0-1000 as array job"), std::string::npos) << submitted;
    EXPECT_NE(submitted.find("chunks 1001-1499 as array job"), std::string::npos) << submitted;
    EXPECT_EQ(slurm.run("squeue -h -r -n zodrender-chunks -o %i | wc -l"), "1500\n");
    EXPECT_EQ(slurm.run("scontrol show job | grep -o 'ArrayTaskThrottle=3' | sort -u"), "ArrayTaskThrottle=3\n");
}

TEST(RenderPlan, TakesVideoNamesWhateverTheirCaseAndRefusesContainersWithoutH264) {
    Folder folder;
    ChildOutcome upper = folder.render({"--plan", folder.path + "/upper", "-o", folder.path + "/film.MP4", "--to", "2"});
    EXPECT_EQ(upper.exitCode, 0) << upper.errors;
    ChildOutcome other = folder.render({"--plan", folder.path + "/other", "-o", folder.path + "/film.avi", "--to", "2"});
    EXPECT_NE(other.exitCode, 0);
    EXPECT_NE(other.errors.find("which .avi cannot hold"), std::string::npos) << other.errors;
}

TEST(RenderPlan, AssemblyRefusesWhenTheMusicCannotBeRead) {
    Folder folder;
    std::string document = trailDocument;
    document.replace(document.find("Music.ogg"), 9, "Tune.ogg");
    std::ofstream(folder.path + "/tune.xml") << document;
    fs::copy_file(testing_paths::sourceDir() + "/resources/Music.ogg", folder.path + "/Tune.ogg");
    const std::string plan = folder.path + "/plan", video = folder.path + "/out.mp4";
    ChildOutcome made = zodrender({"--plan", plan, "--chunk", "1", "-o", video, "-d" + folder.path + "/tune.xml",
                                   "--size", "64x48", "--fps", "10", "--to", "1"});
    ASSERT_EQ(made.exitCode, 0) << made.errors;
    ChildOutcome task = zodrender({"--task", plan, "0"});
    ASSERT_EQ(task.exitCode, 0) << task.errors;
    fs::remove(folder.path + "/Tune.ogg");
    ChildOutcome assemble = zodrender({"--assemble", plan});
    EXPECT_EQ(assemble.exitCode, 1);
    EXPECT_NE(assemble.errors.find("Tune.ogg"), std::string::npos) << assemble.errors;
    EXPECT_FALSE(fs::exists(video));
}

// A plan is one version of the production: the same render typed otherwise is the same plan, and
// an edit of the document or of a picture it shows after planning is refused, named, by the steps
// that follow.
TEST(RenderPlan, RefusesToMixVersionsOfWhatItRenders) {
    Folder folder;
    const std::string picture = folder.path + "/pic.png";
    fs::copy_file(testing_paths::sourceDir() + "/resources/FlightCaption.png", picture);
    const std::string document =
        "<demo>\n<music name=\"Music\" resource=\"Music.ogg\" />\n"
        "<visual.group name=\"Main\"><item visual=\"Caption\" /></visual.group>\n"
        "<texture.file name=\"Pic\" resource=\"pic.png\" />\n"
        "<visual.overlay name=\"Caption\" texture=\"Pic\" start=\"0\" stop=\"5\" />\n</demo>\n";
    std::ofstream(folder.path + "/pic.xml") << document;
    const std::string plan = folder.path + "/plan";
    ChildOutcome made = zodrender({"--plan", plan, "--chunk", "0.5", "-o", folder.path + "/out.mp4", "--size", "64x48",
                                   "--fps", "10", "--to", "1", "-d" + folder.path + "/pic.xml"});
    ASSERT_EQ(made.exitCode, 0) << made.errors;
    const std::string written = testing_paths::readFile(plan + "/plan.txt");
    ChildOutcome again = zodrender({"--fps", "10", "-d" + folder.path + "/./pic.xml", "--to", "1.0", "--size", "64x48",
                                    "--plan", plan + "/", "-o", folder.path + "/out.mp4", "--chunk", "0.50"});
    EXPECT_EQ(again.exitCode, 0) << again.errors;
    EXPECT_EQ(testing_paths::readFile(plan + "/plan.txt"), written);

    std::string edited = document;
    edited.replace(edited.find("start=\"0\""), 9, "start=\"1\"");
    std::ofstream(folder.path + "/pic.xml") << edited;
    ChildOutcome task = zodrender({"--task", plan, "1"});
    EXPECT_EQ(task.exitCode, 1);
    EXPECT_NE(task.errors.find("changed since it was made: the document"), std::string::npos) << task.errors;
    EXPECT_FALSE(fs::exists(plan + "/chunks/chunk-00001.mp4"));

    std::ofstream(folder.path + "/pic.xml") << document;
    fs::copy_file(testing_paths::sourceDir() + "/resources/InsideCaption.png", picture,
                  fs::copy_options::overwrite_existing);
    ChildOutcome assemble = zodrender({"--assemble", plan});
    EXPECT_EQ(assemble.exitCode, 1);
    EXPECT_NE(assemble.errors.find("changed since it was made: the file pic.png"), std::string::npos) << assemble.errors;
}

// A task killed with SIGKILL, with its render and ffmpeg, leaves a partial chunk that the next task
// clears away; a chunk whose bytes were changed after its task finished is named.
TEST(RenderPlan, KilledTasksLeaveNothingAndDamagedChunksAreNamed) {
    Folder folder;
    const std::string plan = folder.path + "/plan", video = folder.path + "/out.mp4";
    ChildOutcome made = folder.render({"--plan", plan, "--chunk", "2", "-o", video, "--to", "4"});
    ASSERT_EQ(made.exitCode, 0) << made.errors;
    const std::string script = testing_paths::binaryDir() + "/zodrender --task " + plan +
                               " 0 & pid=$!; "
                               "until ls -a " + plan + "/chunks | grep -q partial; do "
                               "kill -0 $pid 2>/dev/null || exit 1; sleep 0.02; done; "
                               "kill -KILL -- -$pid; wait $pid; echo killed";
    ASSERT_EQ(commandOutput("setsid sh -c 'set -m; " + script + "' 2>/dev/null"), "killed\n");
    for (const char* chunk : {"0", "1"}) {
        ChildOutcome task = zodrender({"--task", plan, chunk});
        ASSERT_EQ(task.exitCode, 0) << task.errors;
    }
    ChildOutcome assemble = zodrender({"--assemble", plan});
    ASSERT_EQ(assemble.exitCode, 0) << assemble.errors;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(plan + "/chunks")) left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"chunk-00000.mp4", "chunk-00000.mp4.sum", "chunk-00001.mp4",
                                              "chunk-00001.mp4.sum"}));
    EXPECT_EQ(commandOutput("ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames "
                            "-of csv=p=0 " + video),
              "120\n");

    // Zeroes in the middle of a chunk keep its size, codec and frame count.
    const std::string chunk = plan + "/chunks/chunk-00001.mp4";
    {
        std::fstream file(chunk, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(fs::file_size(chunk) / 2));
        file.write(std::string(64, '\0').data(), 64);
    }
    EXPECT_EQ(commandOutput(testing_paths::binaryDir() + "/zodrender --progress " + plan),
              "1 of 2 chunks done\nto render: 1\n");
    assemble = zodrender({"--assemble", plan});
    EXPECT_EQ(assemble.exitCode, 1);
    EXPECT_NE(assemble.errors.find("chunk 1 (frames 60 to 119), " + chunk + ": is damaged"), std::string::npos)
        << assemble.errors;
}
