// zodrender -o OUT ...: renders the production (or a document) without a window at a fixed frame
// rate, frame n at demo time n / fps with delta 1 / fps, so that two renders give the same
// pictures, and writes a video with the music through ffmpeg, or a numbered PNG sequence.
// Any failure exits with 1 and leaves nothing under the output's name.
#include "Version.h"
#include "resources/LoadResource.h"
#include "resources/Pack.h"
#include "platform/win/Headless.h"
#include "render/Counted.h"
#include "render/FrameCatchUp.h"
#include "render/FrameRenderer.h"
#include "render/PlanCommand.h"
#include "render/PngSequence.h"
#include "render/RenderOptions.h"
#include "render/VideoEncoder.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void interrupt(int) { interrupted = 1; }

int fail(const std::string& text) {
    std::fprintf(stderr, "zodrender: %s\n", text.c_str());
    return 1;
}

// The music resource as a file ffmpeg can read; removed when the render ends.
class MusicFile {
public:
    ~MusicFile() {
        if (!path.empty()) std::remove(path.c_str());
    }
    bool write(const ResourceData& data) {
        char name[] = "/tmp/zodrender-music-XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0) return false;
        path = name;
        std::size_t done = 0;
        while (done < data.size) {
            ssize_t n = ::write(fd, data.data + done, data.size - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return close(fd) == 0 && done == data.size;
    }
    std::string path;
};

// One line on the terminal, rewritten in place: how far, how fast, how long still. Without --to
// the total is the music's end, which the production may not reach: the time left is at most that.
void showProgress(int done, int total, bool atMost, double seconds) {
    const double fps = seconds > 0 ? done / seconds : 0.0;
    const int width = 30;
    const int filled = static_cast<int>(static_cast<long long>(width) * done / std::max(total, 1));
    std::string bar(std::min(filled, width), '#');
    bar.resize(width, '.');
    const int left = fps > 0 ? static_cast<int>((total - done) / fps + 0.5) : 0;
    std::fprintf(stderr, "\r[%s] %3d%%  frame %d/%d  %.1f fps  %s%d:%02d left ", bar.c_str(),
                 static_cast<int>(100LL * done / std::max(total, 1)), done, total, fps, atMost ? "at most " : "",
                 left / 60, left % 60);
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(renderUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("zodrender %s\n", zodVersion);
        return 0;
    }
    // --plan, --task, --assemble, --progress: a render split into chunks (render/PlanCommand.h).
    if (PlanCommand::claims(argc, argv)) return PlanCommand::run(argc, argv, zodVersion);
    RenderOptions options;
    std::string error;
    if (!options.parse(argc, argv, &error)) {
        std::fprintf(stderr, "zodrender: %s\n%s", error.c_str(), renderUsage);
        return 1;
    }
    if (!options.dataFile.empty() && Pack::isExecutable(options.dataFile)) {
        // A file made by zodpack: its production stands in for the linked one.
        if (Pack::installFrom(options.dataFile, &error) != Pack::Opened::Packed) return fail(error);
        options.dataFile.clear();
    }
    win::useHeadlessPlatform();
    std::signal(SIGINT, interrupt);
    std::signal(SIGTERM, interrupt);

    const bool bounded = options.to >= 0 || options.segment();
    const int first = options.segment() ? options.firstFrame : static_cast<int>(std::llround(options.from * options.fps));
    int end = options.segment() ? options.endFrame
              : bounded         ? static_cast<int>(std::llround(options.to * options.fps))
                                : INT_MAX;
    const int total = bounded ? end - first : 0;

    // A broken object would silently be missing from the video.
    const bool clean = FrameRenderer::listProblems(options.dataFile);
    if (!clean && !options.force)
        return fail("the document has problems (listed above); nothing was rendered. --force renders it anyway");

    auto renderer = std::make_unique<FrameRenderer>();
    if (!renderer->open(options.dataFile, options.width, options.height, options.antialias, &error, options.force))
        return fail(clean ? error : error.substr(0, error.find('\n')));  // the problems are listed above
    renderer->setLayout(options.layoutWidth, options.layoutHeight);  // the player's picture, scaled
    if (!bounded) {
        end = renderer->musicEndFrame(options.fps, first, &error);
        if (end < 0) return fail(error);
    }
    // A chunk holds frames of the whole render, which stops at the production's end or its music's.
    auto pastTheEnd = [&](int frame, const std::string& why) {
        char at[64];
        std::snprintf(at, sizeof at, " at frame %d (%.2f s at %d fps)", frame, double(frame) / options.fps, options.fps);
        return fail("--frames " + std::to_string(first) + ":" + std::to_string(end) + " goes past the end: " + why + at +
                    "; nothing was written");
    };
    if (options.segment()) {
        const int musicEnd = renderer->musicEndFrame(options.fps, 0, &error);
        if (musicEnd >= 0 && end > musicEnd) return pastTheEnd(musicEnd, "the music ends");
    }
    // What depends on earlier frames is brought to where a whole render has it at the first frame.
    if (first > 0 && isatty(2)) std::fprintf(stderr, "zodrender: catching up with frame %d ...\n", first);
    int ended = -1;
    if (!FrameCatchUp::run(*renderer, first, options.fps, &error, &interrupted, &ended)) return fail(error);
    if (options.segment() && ended >= 0) return pastTheEnd(ended, "the production ends");

    MusicFile music;
    std::unique_ptr<FrameSink> sink;
    PngSequence* pictures = nullptr;  // the sink when it is one: it names what it wrote
    if (options.pngSequence()) {
        auto sequence = std::make_unique<PngSequence>();
        if (!sequence->open(options.output, options.width, options.height, first)) return fail(sequence->error());
        pictures = sequence.get();
        sink = std::move(sequence);
    } else {
        VideoSettings settings;
        settings.output = options.output;
        settings.width = options.width;
        settings.height = options.height;
        settings.fps = options.fps;
        settings.quality = options.quality;
        settings.musicStart = double(first) / options.fps;
        settings.duration = total > 0 ? double(total) / options.fps : -1.0;
        // A segment is one chunk of a longer video: the music is added once over the whole when joined.
        ResourceData sound = options.segment() ? ResourceData{} : renderer->musicBytes();
        if (sound && !music.write(sound)) return fail("Cannot write a temporary copy of the music");
        settings.music = music.path;
        auto encoder = std::make_unique<VideoEncoder>();
        if (!encoder->open(settings)) return fail(encoder->error());
        sink = std::move(encoder);
    }

    const bool terminal = isatty(2) != 0;
    const auto started = std::chrono::steady_clock::now();
    const float delta = 1.0f / static_cast<float>(options.fps);
    std::vector<std::uint32_t> pixels;
    // Each frame is written while the next one is drawn: the oldest queued frame goes out.
    auto writeOldest = [&]() -> std::string {
        if (!renderer->takePixels(&pixels)) return "Cannot read the rendered frame back";
        return sink->write(pixels) ? std::string() : sink->error();
    };
    int done = 0;
    for (int n = first; n < end; ++n) {
        if (interrupted) return fail("interrupted; nothing was written");
        const float time = static_cast<float>(double(n) / options.fps);
        // Without --to the render ends where the player ends: when nothing is drawn any more.
        if (!renderer->render(time, delta)) {
            if (!bounded) break;
            if (options.segment()) return pastTheEnd(n, "the production ends");
        }
        if (!renderer->queuePixels()) return fail("Cannot read the rendered frame back");
        if (renderer->queuedPixels() > 1)
            if (std::string failure = writeOldest(); !failure.empty()) return fail(failure);
        ++done;
        if (terminal && (done % 5 == 0 || n + 1 == end)) {
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            showProgress(done, end - first, !bounded, seconds);
        }
    }
    // The last frame may be the production's closing instant rather than a frame of it: left out.
    const bool endedBefore = !bounded && first + done < end && done > 1;
    if (endedBefore && renderer->endsAtFrame(first + done - 1, options.fps)) {
        while (renderer->queuedPixels() > 1)
            if (std::string failure = writeOldest(); !failure.empty()) return fail(failure);
        if (!renderer->takePixels(&pixels)) return fail("Cannot read the rendered frame back");
        --done;
    }
    while (renderer->queuedPixels() > 0)
        if (std::string failure = writeOldest(); !failure.empty()) return fail(failure);
    if (terminal) std::fputc('\n', stderr);
    if (!bounded && first + done == end) renderer->noteCutAtMusicEnd(options.fps, "render");
    if (done == 0) return fail("nothing to render: the production draws nothing at " + std::to_string(options.from) + " s");
    renderer.reset();  // the device goes before the encoder is waited for, as in the player
    if (!sink->finish()) return fail(sink->error());
    const std::string written = pictures ? pictures->writtenNames() : options.output;
    std::fprintf(stderr, "zodrender: wrote %s: %s, %.2f s at %d fps\n", written.c_str(), counted(done, "frame").c_str(),
                 double(done) / options.fps, options.fps);
    return 0;
}
