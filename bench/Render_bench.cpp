// The render tool against the player, over 4 s of the opening act of the linked production at
// 1920x1080, headless:
//   RenderVsPlayer/<quality>: per iteration the same frames (60 per second of demo time) first as
//     the player shows them (draw and present, the baseline), then as zodrender makes them (draw,
//     read-back in two halves, the oldest frame handed to the encoder while the next is drawn,
//     H.264 into a temporary file, until ffmpeg has finished it). Both are timed by the wall clock,
//     since the encoder works in a process of its own. Counters: player_fps, render_fps and
//     render_vs_player (their ratio; below 1 the render is slower). 0: draft, 1: normal, 2: best.
//     In the same run, the render's limit on this machine: draw_cpu_ms, the processor time a frame
//     of drawing and reading back alone takes (no encoder), and encode_cpu_ms, that of encoding
//     alone (frames drawn beforehand fed to the encoder: its thread and ffmpeg, not the feeding
//     thread). Both sharing the cores allow limit_fps = cores / (draw + encode); render_vs_limit is
//     the render's rate as a share of it.
#include "platform/win/Headless.h"
#include "render/FrameRenderer.h"
#include "render/VideoEncoder.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int width = 1920;
constexpr int height = 1080;
constexpr int fps = 60;
constexpr int firstFrame = 2 * fps;  // the opening's first picture is on screen by then
constexpr int frames = 4 * fps;
const char* const qualities[] = {"draft", "normal", "best"};

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double clockMs(clockid_t id) {
    timespec now{};
    clock_gettime(id, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double childrenMs() {  // processor time of the children waited for (ffmpeg)
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

VideoSettings settingsFor(const std::string& output, int quality) {
    VideoSettings settings;
    settings.output = output;
    settings.width = width;
    settings.height = height;
    settings.fps = fps;
    settings.quality = qualities[quality];
    return settings;
}

// Processor time per frame of zodrender's drawing and read-back, without an encoder.
double drawingAloneMs(FrameRenderer& renderer) {
    std::vector<std::uint32_t> pixels;
    const double start = clockMs(CLOCK_PROCESS_CPUTIME_ID);
    for (int n = firstFrame; n < firstFrame + frames; ++n) {
        renderer.render(static_cast<float>(double(n) / fps), 1.0f / fps);
        renderer.queuePixels();
        if (renderer.queuedPixels() > 1) renderer.takePixels(&pixels);
    }
    while (renderer.queuedPixels() > 0) renderer.takePixels(&pixels);
    return (clockMs(CLOCK_PROCESS_CPUTIME_ID) - start) / frames;
}

// Processor time per frame of encoding alone: a second of frames drawn beforehand, fed over and
// over. The feeding thread's own time (a copy it makes, its waits) is left out; ffmpeg's is in.
double encodingAloneMs(FrameRenderer& renderer, const std::string& output, int quality, std::string* error) {
    std::vector<std::vector<std::uint32_t>> ring(fps);
    for (int i = 0; i < fps; ++i) {
        renderer.render(static_cast<float>(double(firstFrame + i) / fps), 1.0f / fps);
        if (!renderer.readPixels(&ring[i])) return -1;
    }
    VideoEncoder encoder;
    std::vector<std::uint32_t> frame;
    const double process = clockMs(CLOCK_PROCESS_CPUTIME_ID), feeding = clockMs(CLOCK_THREAD_CPUTIME_ID);
    const double children = childrenMs();
    bool ok = encoder.open(settingsFor(output, quality));
    for (int n = 0; ok && n < frames; ++n) {
        frame = ring[n % fps];
        ok = encoder.write(frame);
    }
    ok = ok && encoder.finish();
    if (!ok) *error = encoder.error();
    const double feeder = clockMs(CLOCK_THREAD_CPUTIME_ID) - feeding;
    const double total = clockMs(CLOCK_PROCESS_CPUTIME_ID) - process - feeder + childrenMs() - children;
    std::remove(output.c_str());
    return ok ? total / frames : -1;
}

// zodrender's loop: false when a frame could not be read or encoded.
bool renderFrames(FrameRenderer& renderer, VideoEncoder& encoder) {
    std::vector<std::uint32_t> pixels;
    auto writeOldest = [&] { return renderer.takePixels(&pixels) && encoder.write(pixels); };
    for (int n = firstFrame; n < firstFrame + frames; ++n) {
        renderer.render(static_cast<float>(double(n) / fps), 1.0f / fps);
        if (!renderer.queuePixels()) return false;
        if (renderer.queuedPixels() > 1 && !writeOldest()) return false;
    }
    while (renderer.queuedPixels() > 0)
        if (!writeOldest()) return false;
    return encoder.finish();
}

void renderVsPlayer(benchmark::State& state) {
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    std::string error;
    if (!renderer.open("", width, height, false, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    state.SetLabel(qualities[state.range(0)]);
    // The first frames record the state blocks and decode nothing twice: not counted.
    for (int i = 0; i < 3; ++i) renderer.present(double(firstFrame) / fps, 1.0f / fps);

    const std::string output = "/tmp/zod-render-bench-" + std::to_string(getpid()) + ".mp4";
    double playerSeconds = 0, renderSeconds = 0, drawMs = 0, encodeMs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (int n = firstFrame; n < firstFrame + frames; ++n)
            renderer.present(static_cast<float>(double(n) / fps), 1.0f / fps);
        playerSeconds += seconds(start);

        VideoEncoder encoder;
        start = Clock::now();
        if (!encoder.open(settingsFor(output, int(state.range(0)))) || !renderFrames(renderer, encoder)) {
            state.SkipWithError(encoder.error().empty() ? "no read-back" : encoder.error().c_str());
            return;
        }
        renderSeconds += seconds(start);
        std::remove(output.c_str());
        drawMs += drawingAloneMs(renderer);
        const double encodeOnce = encodingAloneMs(renderer, output, int(state.range(0)), &error);
        if (encodeOnce < 0) {
            state.SkipWithError(error.empty() ? "no read-back" : error.c_str());
            return;
        }
        encodeMs += encodeOnce;
    }
    const double n = static_cast<double>(state.iterations()) * frames;
    state.counters["player_fps"] = n / playerSeconds;
    state.counters["render_fps"] = n / renderSeconds;
    state.counters["render_vs_player"] = playerSeconds / renderSeconds;
    drawMs /= double(state.iterations()), encodeMs /= double(state.iterations());
    const double cores = std::max(1u, std::thread::hardware_concurrency());
    const double limit = cores * 1000.0 / (drawMs + encodeMs);
    state.counters["draw_cpu_ms"] = drawMs;
    state.counters["encode_cpu_ms"] = encodeMs;
    state.counters["limit_fps"] = limit;
    state.counters["render_vs_limit"] = (n / renderSeconds) / limit;
}

}  // namespace

BENCHMARK(renderVsPlayer)->Name("RenderVsPlayer")->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
