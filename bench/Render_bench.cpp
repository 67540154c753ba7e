// The render tool against the player, over the opening act of the linked production (0 to 23.7 s)
// at 1920x1080, headless:
//   RenderVsPlayer: per iteration one frame as the player shows it (draw and present, the
//     baseline) and one frame as zodrender makes it (draw, read back, pipe to ffmpeg encoding
//     H.264 into a temporary file), both at the same demo time, stepping by 1/60 s. Counters:
//     player_fps, render_fps and render_vs_player (their ratio; below 1 the render is slower).
#include "platform/win/Headless.h"
#include "render/FrameRenderer.h"
#include "render/VideoEncoder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int width = 1920;
constexpr int height = 1080;
constexpr double openingEnd = 23.7;

void renderVsPlayer(benchmark::State& state) {
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    std::string error;
    if (!renderer.open("", width, height, false, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    VideoEncoder encoder;
    VideoSettings settings;
    settings.output = "/tmp/zod-render-bench.mp4";
    settings.width = width;
    settings.height = height;
    if (!encoder.open(settings)) {
        state.SkipWithError(encoder.error().c_str());
        return;
    }
    std::vector<std::uint32_t> pixels;
    // The first frames record the state blocks and decode nothing twice: not counted.
    for (int i = 0; i < 3; ++i) renderer.present(0.0f, 1.0f / 60);

    using Clock = std::chrono::steady_clock;
    double playerSeconds = 0, renderSeconds = 0;
    int frame = 0;
    for (auto _ : state) {
        const float time = static_cast<float>(frame * (1.0 / 60));
        frame = (frame + 1) % static_cast<int>(openingEnd * 60);

        auto start = Clock::now();
        renderer.present(time, 1.0f / 60);
        playerSeconds += std::chrono::duration<double>(Clock::now() - start).count();

        start = Clock::now();
        renderer.render(time, 1.0f / 60);
        renderer.readPixels(&pixels);
        encoder.write(pixels.data());
        renderSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["player_fps"] = n / playerSeconds;
    state.counters["render_fps"] = n / renderSeconds;
    state.counters["render_vs_player"] = playerSeconds / renderSeconds;
    // The encoder's file is a by-product: abandoning it removes it.
}

}  // namespace

BENCHMARK(renderVsPlayer)->Name("RenderVsPlayer")->Unit(benchmark::kMillisecond)->Iterations(240);

BENCHMARK_MAIN();
