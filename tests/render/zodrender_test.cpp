// The render tool as a user runs it: a child process without a display, real ffmpeg and ffprobe.
#include "gui/Gui.h"
#include "platform/d3dx/PictureDecoder.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Two overlays from the linked pictures; the title fades in over the first second and a half.
const char* smallDocument =
    "<demo>\n"
    "    <music name=\"Music\" resource=\"Music.ogg\" />\n"
    "    <visual.group name=\"Main\">\n"
    "        <item visual=\"Backdrop\" />\n"
    "        <item visual=\"Title\" />\n"
    "    </visual.group>\n"
    "    <texture.file name=\"Stars\" resource=\"SpaceStars.jpg\" />\n"
    "    <texture.file name=\"Words\" resource=\"SpaceTitle.png\" />\n"
    "    <visual.overlay name=\"Backdrop\" texture=\"Stars\" start=\"0\" stop=\"3\" v1=\"0.75\" />\n"
    "    <visual.overlay name=\"Title\" texture=\"Words\" start=\"0.2\" stop=\"3\" t1=\"1.5\" v1=\"0.75\" />\n"
    "</demo>\n";

struct RenderFolder {
    explicit RenderFolder(const char* document = smallDocument) : path(testing_paths::makeTempDir()) {
        std::ofstream(path + "/small.xml") << document;
    }
    ~RenderFolder() { fs::remove_all(path); }

    ChildOutcome render(std::vector<std::string> arguments, std::vector<std::string> environment = {}) {
        arguments.push_back("-d" + path + "/small.xml");
        ChildOptions options;
        options.withDisplay = false;  // a render needs no screen
        options.timeLimitSeconds = 120;
        return runTool(testing_paths::binaryDir() + "/zodrender", arguments, options, environment);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string path;
};

std::string probe(const std::string& arguments) {
    return testing_paths::commandOutput("ffprobe -v error " + arguments + " 2>&1");
}

std::string bytesOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(zodrender, VideoHasEveryFrameAndTheMusic) {
    RenderFolder folder;
    std::string video = folder.path + "/out.mp4";
    ChildOutcome outcome = folder.render({"-o", video, "--fps", "30", "--size", "320x240", "--to", "2"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    int frames = std::atoi(probe("-count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 " +
                                 video).c_str());
    EXPECT_NEAR(frames, 60, 1);
    double sound = std::atof(probe("-select_streams a:0 -show_entries stream=duration -of csv=p=0 " + video).c_str());
    EXPECT_NEAR(sound, 2.0, 0.05);
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"out.mp4", "small.xml"}));  // no temporary left behind
}

// Frame n shows time n / fps: at twice the rate every other frame is the same picture, so no
// frame is drawn a step early or late.
TEST(zodrender, TwoRendersGiveTheSameFramesAtTheSameTimes) {
    RenderFolder folder;
    for (const char* rate : {"10", "20"}) {
        ChildOutcome outcome = folder.render({"-o", folder.path + "/at" + rate + ".png", "--fps", rate, "--size",
                                              "160x120", "--from", "0.4", "--to", "0.7"});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    }
    for (int frame : {4, 5, 6}) {
        char slow[16], fast[16];
        std::snprintf(slow, sizeof slow, "%05d.png", frame);
        std::snprintf(fast, sizeof fast, "%05d.png", 2 * frame);
        std::string a = bytesOf(folder.path + "/at10" + slow);
        ASSERT_FALSE(a.empty()) << slow;
        EXPECT_EQ(a, bytesOf(folder.path + "/at20" + fast)) << slow << " at 10 fps, " << fast << " at 20 fps";
    }
    // The title fades in meanwhile: equal runs, not equal frames.
    EXPECT_NE(bytesOf(folder.path + "/at1000004.png"), bytesOf(folder.path + "/at1000006.png"));
}

TEST(zodrender, FailuresExitWithOneAndLeaveNothing) {
    RenderFolder folder;
    const std::vector<std::string> before = folder.files();
    const std::vector<std::string> small{"--size", "64x48", "--to", "0.5"};
    auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), small.begin(), small.end());
        return head;
    };

    // A folder that cannot be written (a file stands where the folder should be; root may write anywhere else).
    std::ofstream(folder.path + "/blocker") << "x";
    ChildOutcome unwritable = folder.render(with({"-o", folder.path + "/blocker/out.mp4"}));
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.errors.find("Cannot write"), std::string::npos) << unwritable.errors;
    fs::remove(folder.path + "/blocker");

    // An encoder that writes half a file and fails.
    std::string tools = testing_paths::makeTempDir();
    std::ofstream(tools + "/ffmpeg") << "#!/bin/sh\nfor last; do :; done\necho half > \"$last\"\ncat >/dev/null\n"
                                        "echo 'encoder broke' >&2\nexit 1\n";
    fs::permissions(tools + "/ffmpeg", fs::perms::owner_all);
    ChildOutcome broken = folder.render(with({"-o", folder.path + "/out.mp4"}), {"PATH=" + tools + ":/usr/bin:/bin"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.errors.find("encoder broke"), std::string::npos) << broken.errors;

    // No ffmpeg at all.
    fs::remove(tools + "/ffmpeg");
    ChildOutcome missing = folder.render(with({"-o", folder.path + "/out.mp4"}), {"PATH=" + tools});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.errors.find("ffmpeg"), std::string::npos) << missing.errors;
    fs::remove_all(tools);

    // A document whose Main names nothing: the message says where.
    std::ofstream(folder.path + "/small.xml") << "<demo>\n<music name=\"Music\" resource=\"Music.ogg\" />\n"
                                                 "<visual.group name=\"Main\"><item visual=\"Gone\" /></visual.group>\n"
                                                 "</demo>\n";
    ChildOutcome bad = folder.render(with({"-o", folder.path + "/out.mp4"}));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.errors.find("line 3: Main: the visual \"Gone\" names no element"), std::string::npos) << bad.errors;
    // A plan of it says so at once, not on every machine that renders a chunk.
    ChildOutcome plan = folder.render(with({"--plan", folder.path + "/plan", "-o", folder.path + "/out.mp4"}));
    EXPECT_EQ(plan.exitCode, 1);
    EXPECT_NE(plan.errors.find("line 3: Main: the visual \"Gone\" names no element"), std::string::npos) << plan.errors;

    EXPECT_EQ(folder.files(), before);
}

// The overlays stop at 3 s: 30 frames at 10 fps, the frame at 3 s, an instant, left out.
TEST(zodrender, ARenderEndsAtTheProductionsEnd) {
    RenderFolder folder;
    ChildOutcome whole = folder.render({"-o", folder.path + "/end.png", "--size", "32x24", "--fps", "10"});
    ASSERT_EQ(whole.exitCode, 0) << whole.errors;
    EXPECT_NE(whole.errors.find("wrote end00000.png ... end00029.png: 30 frames, 3.00 s"), std::string::npos)
        << whole.errors;
    ChildOutcome one = folder.render({"-o", folder.path + "/one.png", "--size", "32x24", "--frames", "0:1"});
    EXPECT_NE(one.errors.find(": 1 frame, "), std::string::npos) << one.errors;

    // Ranges past that end are refused before anything is written, and so is a plan that could not
    // write its video in the end.
    const std::vector<std::string> before = folder.files();
    for (const char* range : {"0:999999", "20:40"}) {
        ChildOutcome past = folder.render({"-o", folder.path + "/past.png", "--size", "32x24", "--fps", "10",
                                           "--frames", range});
        EXPECT_EQ(past.exitCode, 1);
        EXPECT_NE(past.errors.find("goes past the end: the "), std::string::npos) << past.errors;
    }
    ChildOutcome plan = folder.render({"--plan", folder.path + "/plan", "-o", folder.path + "/out.mp4", "--to", "40000"});
    EXPECT_NE(plan.errors.find("--to 40000 goes past the end"), std::string::npos) << plan.errors;
    plan = folder.render({"--plan", folder.path + "/plan", "-o", folder.path + "/gone/out.mp4", "--to", "1"});
    EXPECT_NE(plan.errors.find("gone does not exist"), std::string::npos) << plan.errors;
    EXPECT_EQ(folder.files(), before);
}

// A render stopped by Ctrl+C takes away only what it wrote itself: the frames of an earlier render
// under the same names stay as they were. The success line names the files; an unknown extension
// is named as such.
TEST(zodrender, AnInterruptedRenderLeavesEarlierFilesAlone) {
    RenderFolder folder;
    const std::string zodrender = testing_paths::binaryDir() + "/zodrender";
    ChildOutcome first = folder.render({"-o", folder.path + "/old.png", "--size", "32x24", "--to", "0.1"});
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_NE(first.errors.find("wrote old00000.png ... old00005.png: 6 frames"), std::string::npos) << first.errors;
    const std::vector<std::string> before = folder.files();
    const std::string oldFrame = bytesOf(folder.path + "/old00003.png");

    // Interrupted once it is past the earlier frames' numbers.
    const std::string script = "cd " + folder.path + " || exit; " + zodrender +
                               " -o old.png --size 32x24 --to 20 -dsmall.xml & pid=$!; "
                               "while [ ! -e .old00008.png.partial ] && kill -0 $pid 2>/dev/null; do sleep 0.05; done; "
                               "kill -INT $pid; wait $pid; echo \"status $?\" >&2";
    ChildOptions options;
    options.withDisplay = false;
    options.timeLimitSeconds = 120;
    ChildOutcome interrupted = runTool("/bin/sh", {"-c", script}, options);
    EXPECT_NE(interrupted.errors.find("interrupted"), std::string::npos) << interrupted.errors;
    EXPECT_NE(interrupted.errors.find("status 1"), std::string::npos) << interrupted.errors;
    EXPECT_EQ(folder.files(), before);
    EXPECT_EQ(bytesOf(folder.path + "/old00003.png"), oldFrame);

    ChildOutcome unknown = folder.render({"-o", folder.path + "/out.xyz", "--size", "32x24", "--to", "0.1"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.errors.find("no video format has the extension \".xyz\""), std::string::npos) << unknown.errors;
    EXPECT_EQ(unknown.errors.find(".partial"), std::string::npos) << unknown.errors;
    EXPECT_EQ(folder.files(), before);
}

// The player at 800 x 600 shows a 384 x 128 caption at 48% of its picture's width; a render of
// another size keeps that share by default, between bars of the player's blue, and --layout
// output keeps pixels.
TEST(zodrender, TheLayoutIsThePlayersScaledToTheOutput) {
    RenderFolder folder;
    std::ofstream(folder.path + "/caption.xml")
        << "<demo>\n<music name=\"Music\" resource=\"Music.ogg\" />\n"
           "<visual.group name=\"Main\"><item visual=\"Back\" /><item visual=\"Caption\" /></visual.group>\n"
           "<visual.group name=\"Nothing\" />\n"
           "<texture.target name=\"Grey\" visual=\"Nothing\" color=\"ff808080\" size=\"16\" />\n"
           "<texture.target name=\"White\" visual=\"Nothing\" color=\"ffffffff\" size=\"16\" />\n"
           "<visual.overlay name=\"Back\" texture=\"Grey\" start=\"0\" stop=\"1\" />\n"
           "<visual.overlay name=\"Caption\" texture=\"White\" start=\"0\" stop=\"1\" position=\"-384 -128 384 128\" />\n"
           "</demo>\n";
    struct Box {
        int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
        void add(int x, int y) {
            left = std::min(left, x), top = std::min(top, y), right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
        }
    };
    struct Measured {
        Box picture, caption;  // not the player's background; white
        std::uint32_t corner = 1;
    };
    auto measure = [&](std::vector<std::string> options) {
        options.insert(options.end(), {"-o", folder.path + "/shot.png", "--to", "0.05", "-d" + folder.path + "/caption.xml"});
        ChildOptions child;
        child.withDisplay = false;
        ChildOutcome outcome = runTool(testing_paths::binaryDir() + "/zodrender", options, child);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
        const std::string png = bytesOf(folder.path + "/shot00000.png");
        d3dx::Picture picture;
        std::string error;
        Measured m;
        if (!d3dx::PictureDecoder::decode(png.data(), png.size(), picture, error)) {
            ADD_FAILURE() << error;
            return m;
        }
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const std::uint32_t rgb = picture.at(x, y) & 0xffffff;
                if (rgb != (Gui::background & 0xffffff)) m.picture.add(x, y);
                if (rgb > 0xf0f0f0) m.caption.add(x, y);
            }
        m.corner = picture.at(0, picture.height / 2) & 0xffffff;
        return m;
    };
    auto share = [](const Box& inner, const Box& outer) {
        return std::pair<double, double>{double(inner.right - inner.left) / (outer.right - outer.left),
                                         double(inner.bottom - inner.top) / (outer.bottom - outer.top)};
    };

    const Measured player = measure({"--size", "800x600", "--layout", "output"});
    EXPECT_EQ(player.caption.right - player.caption.left, 384);
    const auto wanted = share(player.caption, player.picture);
    const Measured video = measure({"--size", "960x540"});  // the picture is 720 x 540 at 0.9 of the player's
    EXPECT_EQ(video.picture.left, 120);
    EXPECT_EQ(video.picture.right, 840);
    EXPECT_NEAR(share(video.caption, video.picture).first, wanted.first, 0.005);
    EXPECT_NEAR(share(video.caption, video.picture).second, wanted.second, 0.005);
    EXPECT_EQ(video.caption.right, video.picture.right);  // still in from the same corner
    EXPECT_EQ(video.caption.bottom, video.picture.bottom);
    EXPECT_EQ(video.corner, Gui::background & 0xffffff);  // the player's blue beside the picture

    const Measured pixels = measure({"--size", "960x540", "--layout", "output"});
    EXPECT_EQ(pixels.caption.right - pixels.caption.left, 384);
}

// The encoder is sent frames already in the video's colours: decoded, the video shows each
// frame's colours, channel for channel, as the PNG frames have them.
TEST(zodrender, VideoKeepsTheColoursOfTheFrames) {
    RenderFolder folder;
    const char* colours[] = {"ffc04020", "ff30b050", "ff2040d0", "ff404040"};
    std::string document = "<demo>\n<music name=\"Music\" resource=\"Music.ogg\" />\n<visual.group name=\"Nothing\" />\n"
                           "<visual.group name=\"Main\">";
    for (int i = 0; i < 4; ++i) document += "<item visual=\"Show" + std::to_string(i) + "\" />";
    document += "</visual.group>\n";
    for (int i = 0; i < 4; ++i) {
        // Frame i at i / 10 s in the middle of its colour's time.
        const std::string n = std::to_string(i), start = std::to_string(i == 0 ? 0 : i * 0.1 - 0.05),
                          stop = std::to_string(i * 0.1 + 0.05);
        document += "<texture.target name=\"Colour" + n + "\" visual=\"Nothing\" color=\"" + colours[i] + "\" size=\"16\" />\n"
                    "<visual.overlay name=\"Show" + n + "\" texture=\"Colour" + n + "\" start=\"" + start + "\" stop=\"" +
                    stop + "\" />\n";
    }
    std::ofstream(folder.path + "/colours.xml") << document << "</demo>\n";
    const std::vector<std::string> common{"--size", "64x48", "--fps", "10", "--to", "0.4",
                                          "-d" + folder.path + "/colours.xml"};
    ChildOptions child;
    child.withDisplay = false;
    for (const char* output : {"/frame.png", "/video.mp4"}) {
        std::vector<std::string> arguments{"-o", folder.path + output};
        arguments.insert(arguments.end(), common.begin(), common.end());
        ChildOutcome outcome = runTool(testing_paths::binaryDir() + "/zodrender", arguments, child);
        ASSERT_EQ(outcome.exitCode, 0) << output << ": " << outcome.errors;
    }
    const std::string decoded =
        testing_paths::commandOutput("ffmpeg -v error -i " + folder.path + "/video.mp4 -f rawvideo -pix_fmt rgb24 -");
    const std::size_t frameBytes = 64 * 48 * 3;
    ASSERT_EQ(decoded.size(), 4 * frameBytes);
    for (int frame = 0; frame < 4; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame%05d.png", frame);
        const std::string png = bytesOf(folder.path + name);
        d3dx::Picture picture;
        std::string error;
        ASSERT_TRUE(d3dx::PictureDecoder::decode(png.data(), png.size(), picture, error)) << name << ": " << error;
        const std::uint32_t wanted = picture.at(32, 24);
        EXPECT_EQ(wanted, std::stoul(colours[frame], nullptr, 16)) << name;
        const auto* rgb = reinterpret_cast<const unsigned char*>(decoded.data() + frame * frameBytes + (24 * 64 + 32) * 3);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(rgb[channel], (wanted >> (16 - 8 * channel)) & 0xff, 3) << "frame " << frame << ", channel " << channel;
    }
}

// A production that never ends renders up to the end of its music, where the player's clock stands
// still, and a plan of it ends there too: neither runs until it is killed. The render is a GIF,
// which takes the frames without the music it cannot hold.
TEST(zodrender, AProductionWithoutAnEndStopsWithItsMusic) {
    RenderFolder folder;
    ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i sine=duration=0.5 -c:a libvorbis " + folder.path +
                           "/short.ogg").c_str()), 0);
    const std::string document = "-d" + folder.path + "/endless.xml";
    std::ofstream(folder.path + "/endless.xml")
        << "<demo>\n<music name=\"Music\" resource=\"short.ogg\" />\n"
           "<visual.group name=\"Main\"><item visual=\"Back\" /></visual.group>\n<visual.group name=\"Nothing\" />\n"
           "<texture.target name=\"Grey\" visual=\"Nothing\" color=\"ff808080\" size=\"16\" />\n"
           "<visual.overlay name=\"Back\" texture=\"Grey\" start=\"0\" stop=\"1000000\" />\n</demo>\n";
    ChildOptions child;
    child.withDisplay = false;
    ChildOutcome render = runTool(testing_paths::binaryDir() + "/zodrender",
                                  {"-o", folder.path + "/out.gif", "--size", "16x16", "--fps", "10", document}, child);
    ASSERT_EQ(render.exitCode, 0) << render.errors;
    EXPECT_NE(render.errors.find("music ends at 0.50 s"), std::string::npos) << render.errors;
    EXPECT_EQ(std::atoi(probe("-count_frames -show_entries stream=nb_read_frames -of csv=p=0 " + folder.path +
                              "/out.gif").c_str()), 5);  // 0 to 0.4 s

    ChildOutcome plan = runTool(testing_paths::binaryDir() + "/zodrender",
                                {"--plan", folder.path + "/plan", "-o", folder.path + "/out.mp4", "--fps", "10", document},
                                child);
    ASSERT_EQ(plan.exitCode, 0) << plan.errors;
    EXPECT_NE(bytesOf(folder.path + "/plan/plan.txt").find("\nframes 0 5\n"), std::string::npos)
        << bytesOf(folder.path + "/plan/plan.txt");
}

// ffmpeg killed in the middle of a render (here a stand-in that takes some frames, writes half a
// file where ffmpeg would, and dies of SIGKILL): the render ends with an error that says so, and
// leaves nothing under the output's name nor beside it.
// A misspelt picture under Main: refused without --force; with it, what loads is drawn (the
// backdrop's stars) and the item left out is named.
TEST(zodrender, ForceDrawsWhatLoadsAndNamesTheItemsLeftOut) {
    std::string document = smallDocument;
    document.replace(document.find("SpaceTitle.png"), 14, "SpaceTitel.png");
    RenderFolder folder(document.c_str());
    const std::string frame = folder.path + "/shot.png";
    EXPECT_EQ(folder.render({"-o", frame, "--size", "32x24", "--frames", "20:21"}).exitCode, 1);
    ChildOutcome forced = folder.render({"-o", frame, "--size", "32x24", "--frames", "20:21", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.errors;
    EXPECT_NE(forced.errors.find("visual.group \"Main\": item \"Title\" does not load and is left out"),
              std::string::npos) << forced.errors;
    RenderFolder whole;
    ASSERT_EQ(whole.render({"-o", whole.path + "/shot.png", "--size", "32x24", "--frames", "20:21"}).exitCode, 0);
    EXPECT_FALSE(bytesOf(folder.path + "/shot00020.png").empty());
    EXPECT_NE(bytesOf(folder.path + "/shot00020.png"), bytesOf(whole.path + "/shot00020.png"))
        << "the title's picture was drawn although it does not load";
}

TEST(zodrender, AnEncoderKilledPartWayLeavesNoOutput) {
    RenderFolder folder;
    const std::vector<std::string> before = folder.files();
    const std::string tools = testing_paths::makeTempDir();
    std::ofstream(tools + "/ffmpeg") << "#!/bin/sh\nfor last; do :; done\necho half > \"$last\"\n"
                                        "head -c 200000 >/dev/null\nkill -9 $$\n";
    fs::permissions(tools + "/ffmpeg", fs::perms::owner_all);
    ChildOutcome killed = folder.render({"-o", folder.path + "/out.mp4", "--size", "64x48", "--to", "20"},
                                        {"PATH=" + tools + ":/usr/bin:/bin"});
    fs::remove_all(tools);
    EXPECT_EQ(killed.exitCode, 1) << killed.errors;
    EXPECT_NE(killed.errors.find("ffmpeg"), std::string::npos) << killed.errors;
    EXPECT_NE(killed.errors.find("killed"), std::string::npos) << killed.errors;
    EXPECT_EQ(folder.files(), before);
}

// A picture slides right along a track: a chunk that starts inside the slide draws what the
// whole render draws at the same frames.
TEST(zodrender, AChunkInsideAMovingTrackEqualsTheWholeRender) {
    RenderFolder folder(
        "<demo>\n"
        "    <music name=\"Music\" resource=\"Music.ogg\" />\n"
        "    <float name=\"X\"><key t=\"0\" v=\"0\" ease=\"smooth\"/><key t=\"1\" v=\"768\"/></float>\n"
        "    <texture.file name=\"Stars\" resource=\"SpaceStars.jpg\" />\n"
        "    <visual.overlay name=\"Main\" texture=\"Stars\" start=\"0\" stop=\"1\" position=\"@X 0 256 768\" />\n"
        "</demo>\n");
    ChildOutcome whole = folder.render({"-o", folder.path + "/whole.png", "--size", "32x24", "--fps", "10"});
    ASSERT_EQ(whole.exitCode, 0) << whole.errors;
    ChildOutcome chunk = folder.render({"-o", folder.path + "/chunk.png", "--size", "32x24", "--fps", "10", "--frames", "3:7"});
    ASSERT_EQ(chunk.exitCode, 0) << chunk.errors;
    std::string previous;
    for (int frame = 3; frame < 7; ++frame) {
        char name[16];
        std::snprintf(name, sizeof name, "%05d.png", frame);
        const std::string picture = bytesOf(folder.path + "/whole" + name);
        ASSERT_FALSE(picture.empty()) << frame;
        EXPECT_TRUE(bytesOf(folder.path + "/chunk" + name) == picture) << "frame " << frame << " differs";
        EXPECT_NE(picture, previous) << "frame " << frame << " is the one before it: nothing moves";
        previous = picture;
    }
}
