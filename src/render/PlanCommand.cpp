#include "render/PlanCommand.h"

#include "app/Device.h"
#include "platform/win/Headless.h"
#include "render/ChunkAssembly.h"
#include "render/ChunkTask.h"
#include "render/Counted.h"
#include "render/FrameRenderer.h"
#include "render/RenderFingerprint.h"
#include "render/RenderOptions.h"
#include "render/RenderPlan.h"
#include "render/VideoEncoder.h"
#include "resources/Pack.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const usage =
    "Usage: zodrender --plan DIR [--chunk S] -o OUT [render options]   split a render into chunks\n"
    "       zodrender --task DIR N       render chunk N of the plan in DIR\n"
    "       zodrender --assemble DIR     join the chunks and the music into the plan's OUT\n"
    "       zodrender --progress DIR     how many chunks are done\n";

int fail(const std::string& text) {
    std::fprintf(stderr, "zodrender: %s\n", text.c_str());
    return 1;
}

// The plan, refused when what it renders has changed since it was made.
bool readPlan(const char* folder, const std::string& version, RenderPlan* plan) {
    std::string error;
    if (plan->read(folder, &error) && plan->stillCurrent(version, &error)) return true;
    fail(error);
    return false;
}

std::string absolute(const std::string& path) {
    std::error_code ignored;
    return fs::absolute(path, ignored).lexically_normal().string();
}

// The production's own end, where a whole render stops: the first frame that draws nothing.
// Found by going through the frames with the device skipping every pixel (render targets too):
// whether a frame draws anything is the objects' answer, not the picture's. With `until` (--to), no
// further than that: a range that would go past the end is refused with where the end is.
int findEnd(const RenderOptions& options, int first, int until, std::string* error) {
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    if (!renderer.open(options.dataFile, 16, 16, false, error, options.force)) return -1;
    device->SkipDrawing(TRUE);
    const int musicEnd = renderer.musicEndFrame(options.fps, first, error);
    if (musicEnd < 0) return -1;
    auto pastTheEnd = [&](int frame, const char* why) {
        char text[160];
        std::snprintf(text, sizeof text, "--to %g goes past the end: %s at %.2f s (frame %d at %d fps); no plan was made",
                      options.to, why, double(frame) / options.fps, frame, options.fps);
        *error = text;
        return -1;
    };
    if (until > musicEnd) return pastTheEnd(musicEnd, "the music ends");
    const int limit = std::min({musicEnd, first + options.fps * 60 * 60 * 10, until > 0 ? until : INT_MAX});
    const float delta = 1.0f / static_cast<float>(options.fps);
    for (int n = first; n < limit; ++n) {
        if (!renderer.render(static_cast<float>(double(n) / options.fps), delta)) {
            if (until > 0) return pastTheEnd(n, "the production ends");
            if (n > first) return n - 1 > first && renderer.endsAtFrame(n - 1, options.fps) ? n - 1 : n;
            *error = "nothing to render: the production draws nothing at " + std::to_string(options.from) + " s";
            return -1;
        }
    }
    if (until > 0) return until;
    if (limit < musicEnd) {
        *error = "the production does not end within ten hours: give --to";
        return -1;
    }
    renderer.noteCutAtMusicEnd(options.fps, "plan");
    return musicEnd;
}

int makePlan(int argc, char** argv, const std::string& version) {
    std::string folder;
    double chunkSeconds = 5.0;
    std::vector<std::string> words{argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if ((word == "--plan" || word == "--chunk") && i + 1 >= argc) return fail(word + " needs a value");
        if (word == "--plan") {
            folder = argv[++i];
        } else if (word == "--chunk") {
            char* end = nullptr;
            chunkSeconds = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(chunkSeconds > 0 && chunkSeconds <= 86400))
                return fail("--chunk needs a length in seconds, as in 5");
        } else {
            words.push_back(word);
        }
    }
    if (folder.empty()) return fail("--plan needs a folder");
    RenderOptions options;
    std::string error;
    std::vector<char*> pointers;
    for (std::string& word : words) pointers.push_back(word.data());
    if (!options.parse(static_cast<int>(pointers.size()), pointers.data(), &error)) return fail(error + "\n" + usage);
    if (options.segment()) return fail("--plan chooses the frames of each chunk itself: leave out --frames");
    if (options.pngSequence())
        return fail("a plan makes a video: for PNG frames run zodrender --frames A:B on each machine");
    const std::string ext = VideoEncoder::extensionOf(options.output);
    if (!VideoEncoder::holdsH264(ext))
        return fail("a plan joins H.264 chunks, which " + ext + " cannot hold: use .mp4, .m4v, .mov or .mkv");

    // The chunks and the assembly read the document by its name; a pack would need unpacking on each machine.
    if (!options.dataFile.empty() && Pack::isExecutable(options.dataFile))
        return fail("a plan takes a document, not a packed file: plan its document, or render the packed file whole");
    // Every chunk would fail on it, each on its own machine: better said once, here.
    const bool clean = FrameRenderer::listProblems(options.dataFile);
    if (!clean && !options.force)
        return fail("the document has problems (listed above); no plan was made. --force plans it anyway");

    RenderPlan plan;
    plan.folder = absolute(folder);
    plan.output = absolute(options.output);
    plan.dataFile = options.dataFile.empty() ? "" : absolute(options.dataFile);
    plan.fps = options.fps;
    plan.width = options.width;
    plan.height = options.height;
    plan.chunkFrames = std::max(1, static_cast<int>(std::llround(chunkSeconds * options.fps)));
    plan.firstFrame = static_cast<int>(std::llround(options.from * options.fps));
    // Every chunk gets the same render options, kept as meant: the same render typed otherwise is
    // the same plan.
    plan.layoutWidth = options.layoutWidth;
    plan.layoutHeight = options.layoutHeight;
    plan.antialias = options.antialias;
    plan.force = options.force;
    plan.quality = options.quality;
    for (const std::string& path : {plan.output, plan.dataFile})
        if (path.find('\n') != std::string::npos) return fail("a file name holds a line break: " + path);
    // Every chunk would be rendered for nothing if the video could not be written in the end.
    const fs::path outputFolder = fs::path(plan.output).parent_path();
    std::error_code failure;
    if (!fs::is_directory(outputFolder, failure))
        return fail("the output's folder " + outputFolder.string() + " does not exist; no plan was made");
    if (access(outputFolder.c_str(), W_OK | X_OK) != 0)
        return fail("the output's folder " + outputFolder.string() + " cannot be written (" + std::strerror(errno) +
                    "); no plan was made");
    const int until = options.to >= 0 ? static_cast<int>(std::llround(options.to * options.fps)) : -1;
    plan.endFrame = findEnd(options, plan.firstFrame, until, &error);
    if (plan.endFrame < 0) return fail(clean ? error : error.substr(0, error.find('\n')));  // listed above
    if (!RenderFingerprint::of(plan.dataFile, version, &plan.fingerprint, &error))
        return fail(clean ? error : error.substr(0, error.find('\n')));
    for (const auto& [part, value] : plan.fingerprint.parts)
        if (part.find('\n') != std::string::npos) return fail("a file name holds a line break: " + part);
    if (!plan.write(&error)) return fail(error);
    std::printf(
        "zodrender: plan of %s (%s, %.2f s at %d fps) in %s\n"
        "  render each chunk N from 0 to %d:  zodrender --task %s N\n"
        "  then join them into %s:  zodrender --assemble %s\n",
        counted(plan.chunkCount(), "chunk").c_str(), counted(plan.frameCount(), "frame").c_str(),
        double(plan.frameCount()) / plan.fps, plan.fps, plan.folder.c_str(),
        plan.chunkCount() - 1, plan.folder.c_str(), plan.output.c_str(), plan.folder.c_str());
    return 0;
}

int renderChunk(const char* folder, const char* number, const std::string& version) {
    RenderPlan plan;
    if (!readPlan(folder, version, &plan)) return 1;
    char* end = nullptr;
    long index = std::strtol(number, &end, 10);
    if (end == number || *end != '\0' || index < 0 || index >= plan.chunkCount())
        return fail("there is no chunk " + std::string(number) + ": the plan has chunks 0 to " +
                    std::to_string(plan.chunkCount() - 1));
    const int chunk = static_cast<int>(index);
    if (plan.chunkProblem(chunk).empty()) {
        std::fprintf(stderr, "zodrender: %s is complete already\n", plan.describeChunk(chunk).c_str());
        return 0;
    }
    // The chunk is an ordinary render of its frames: this program again, with the plan's options.
    return ChunkTask::run(plan, chunk, plan.chunkArguments(chunk));
}

int assemble(const char* folder, const std::string& version) {
    RenderPlan plan;
    if (!readPlan(folder, version, &plan)) return 1;
    std::string error;
    if (!ChunkAssembly::run(plan, &error)) return fail(error);
    std::fprintf(stderr, "zodrender: wrote %s: %s, %.2f s at %d fps, from %s\n", plan.output.c_str(),
                 counted(plan.frameCount(), "frame").c_str(), double(plan.frameCount()) / plan.fps, plan.fps,
                 counted(plan.chunkCount(), "chunk").c_str());
    return 0;
}

int progress(const char* folder, const std::string& version) {
    RenderPlan plan;
    if (!readPlan(folder, version, &plan)) return 1;
    // Those left as ranges ("0-999,1200"), as Slurm's --array takes them: a list of thousands
    // of numbers would be too long for one command line.
    std::string left;
    int done = 0, runStart = -1;
    auto closeRun = [&](int end) {
        if (runStart < 0) return;
        left += (left.empty() ? "" : ",") + std::to_string(runStart) +
                (end - 1 > runStart ? "-" + std::to_string(end - 1) : "");
        runStart = -1;
    };
    for (int i = 0; i < plan.chunkCount(); ++i) {
        if (plan.chunkProblem(i).empty()) {
            ++done;
            closeRun(i);
        } else if (runStart < 0) {
            runStart = i;
        }
    }
    closeRun(plan.chunkCount());
    std::printf("%d of %s done\n", done, counted(plan.chunkCount(), "chunk").c_str());
    if (!left.empty()) std::printf("to render: %s\n", left.c_str());
    // Assembled only when the video is newer than every chunk: one rendered again since is not in it.
    std::error_code failure;
    bool assembled = left.empty() && fs::exists(plan.output, failure);
    if (assembled) {
        const auto written = fs::last_write_time(plan.output, failure);
        for (int i = 0; i < plan.chunkCount() && assembled; ++i)
            assembled = !failure && fs::last_write_time(ChunkTask::checksumFile(plan.chunkFile(i)), failure) <= written;
        assembled = assembled && !failure;
    }
    if (assembled) std::printf("assembled: %s\n", plan.output.c_str());
    else if (left.empty()) std::printf("to assemble: zodrender --assemble %s\n", plan.folder.c_str());
    return 0;
}

}  // namespace

bool PlanCommand::claims(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--plan" || word == "--task" || word == "--assemble" || word == "--progress") return true;
    }
    return false;
}

int PlanCommand::run(int argc, char** argv, const std::string& version) {
    const std::string command = argv[1];
    if (command == "--task" && argc == 4) return renderChunk(argv[2], argv[3], version);
    if (command == "--assemble" && argc == 3) return assemble(argv[2], version);
    if (command == "--progress" && argc == 3) return progress(argv[2], version);
    if (command != "--task" && command != "--assemble" && command != "--progress") return makePlan(argc, argv, version);
    std::fprintf(stderr, "zodrender: %s takes %s\n%s", command.c_str(), command == "--task" ? "DIR N" : "DIR", usage);
    return 1;
}
