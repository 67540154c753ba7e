#include "render/PlanCommand.h"

#include "platform/win/Headless.h"
#include "render/ChunkAssembly.h"
#include "render/Counted.h"
#include "render/FrameRenderer.h"
#include "render/RenderOptions.h"
#include "render/RenderPlan.h"
#include "render/VideoEncoder.h"
#include "resources/Pack.h"

#include <algorithm>
#include <cerrno>
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

bool readPlan(const char* folder, RenderPlan* plan) {
    std::string error;
    if (plan->read(folder, &error)) return true;
    fail(error);
    return false;
}

std::string absolute(const std::string& path) {
    std::error_code ignored;
    return fs::absolute(path, ignored).lexically_normal().string();
}

// The production's own end, where a whole render stops: the first frame that draws nothing.
// Found by drawing into a tiny picture, which is all that question needs.
int findEnd(const RenderOptions& options, int first, std::string* error) {
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    if (!renderer.open(options.dataFile, 16, 16, false, error)) return -1;
    const int musicEnd = renderer.musicEndFrame(options.fps, first, error);
    if (musicEnd < 0) return -1;
    const int limit = std::min(musicEnd, first + options.fps * 60 * 60 * 10);  // ten hours at most
    const float delta = 1.0f / static_cast<float>(options.fps);
    for (int n = first; n < limit; ++n) {
        if (!renderer.render(static_cast<float>(double(n) / options.fps), delta)) {
            if (n > first) return n - 1 > first && renderer.endsAtFrame(n - 1, options.fps) ? n - 1 : n;
            *error = "nothing to render: the production draws nothing at " + std::to_string(options.from) + " s";
            return -1;
        }
    }
    if (limit < musicEnd) {
        *error = "the production does not end within ten hours: give --to";
        return -1;
    }
    renderer.noteCutAtMusicEnd(options.fps, "plan");
    return musicEnd;
}

int makePlan(int argc, char** argv) {
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
    // Every chunk gets the same render options; what differs per chunk (range, output) is the plan's.
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "-o" || word == "--from" || word == "--to") ++i;
        else if (word.rfind("-d", 0) != 0 || word.rfind("--", 0) == 0) plan.arguments.push_back(word);
    }
    for (const std::string& argument : plan.arguments) {
        if (argument.find('\n') != std::string::npos) return fail("an option holds a line break: " + argument);
    }
    if (options.to >= 0) {
        plan.endFrame = static_cast<int>(std::llround(options.to * options.fps));
    } else {
        plan.endFrame = findEnd(options, plan.firstFrame, &error);
        if (plan.endFrame < 0) return fail(clean ? error : error.substr(0, error.find('\n')));  // listed above
    }
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

int renderChunk(const char* folder, const char* number) {
    RenderPlan plan;
    if (!readPlan(folder, &plan)) return 1;
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
    std::vector<std::string> words = plan.chunkArguments(chunk);
    words.insert(words.begin(), "zodrender");
    std::vector<char*> pointers;
    for (std::string& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
    execv("/proc/self/exe", pointers.data());
    return fail(std::string("Cannot start the render of the chunk: ") + std::strerror(errno));
}

int assemble(const char* folder) {
    RenderPlan plan;
    if (!readPlan(folder, &plan)) return 1;
    std::string error;
    if (!ChunkAssembly::run(plan, &error)) return fail(error);
    std::fprintf(stderr, "zodrender: wrote %s: %s, %.2f s at %d fps, from %s\n", plan.output.c_str(),
                 counted(plan.frameCount(), "frame").c_str(), double(plan.frameCount()) / plan.fps, plan.fps,
                 counted(plan.chunkCount(), "chunk").c_str());
    return 0;
}

int progress(const char* folder) {
    RenderPlan plan;
    if (!readPlan(folder, &plan)) return 1;
    std::string left;
    int done = 0;
    for (int i = 0; i < plan.chunkCount(); ++i) {
        if (plan.chunkProblem(i).empty()) ++done;
        else left += (left.empty() ? "" : ",") + std::to_string(i);
    }
    std::printf("%d of %s done\n", done, counted(plan.chunkCount(), "chunk").c_str());
    if (!left.empty()) std::printf("to render: %s\n", left.c_str());
    std::error_code ignored;
    if (left.empty() && fs::exists(plan.output, ignored)) std::printf("assembled: %s\n", plan.output.c_str());
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

int PlanCommand::run(int argc, char** argv) {
    const std::string command = argv[1];
    if (command == "--task" && argc == 4) return renderChunk(argv[2], argv[3]);
    if (command == "--assemble" && argc == 3) return assemble(argv[2]);
    if (command == "--progress" && argc == 3) return progress(argv[2]);
    if (command != "--task" && command != "--assemble" && command != "--progress") return makePlan(argc, argv);
    std::fprintf(stderr, "zodrender: %s takes %s\n%s", command.c_str(), command == "--task" ? "DIR N" : "DIR", usage);
    return 1;
}
