// The render tool against the player, over 4 s of the opening act of the linked production at
// 1920x1080, headless:
//   RenderVsPlayer/<quality>: per iteration the same frames (60 per second of demo time) first as
//     the player shows them (draw and present, the baseline), then as zodrender makes them (draw,
//     read-back in two halves, the oldest frame handed to the encoder while the next is drawn,
//     H.264 into a temporary file, until ffmpeg has finished it). Both are timed by the wall clock,
//     since the encoder works in a process of its own. Counters: player_fps, render_fps and
//     render_vs_player (their ratio; below 1 the render is slower). 0: draft, 1: normal, 2: best.
#include "platform/win/Headless.h"
#include "render/FrameRenderer.h"
#include "render/VideoEncoder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <unistd.h>
#include <cstdio>
#include <string>
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
    double playerSeconds = 0, renderSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (int n = firstFrame; n < firstFrame + frames; ++n)
            renderer.present(static_cast<float>(double(n) / fps), 1.0f / fps);
        playerSeconds += seconds(start);

        VideoEncoder encoder;
        VideoSettings settings;
        settings.output = output;
        settings.width = width;
        settings.height = height;
        settings.fps = fps;
        settings.quality = qualities[state.range(0)];
        start = Clock::now();
        if (!encoder.open(settings) || !renderFrames(renderer, encoder)) {
            state.SkipWithError(encoder.error().empty() ? "no read-back" : encoder.error().c_str());
            return;
        }
        renderSeconds += seconds(start);
        std::remove(output.c_str());
    }
    const double n = static_cast<double>(state.iterations()) * frames;
    state.counters["player_fps"] = n / playerSeconds;
    state.counters["render_fps"] = n / renderSeconds;
    state.counters["render_vs_player"] = playerSeconds / renderSeconds;
}

}  // namespace

BENCHMARK(renderVsPlayer)->Name("RenderVsPlayer")->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
