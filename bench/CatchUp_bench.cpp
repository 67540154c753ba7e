// What catching up costs against drawing, over the linked production at 1920x1080 and 60 fps,
// headless:
//   CatchUpVsDrawn: per iteration, first 60 full-size frames spread evenly over the production, each
//     drawn and read back (the baseline: what a frame of a chunk costs), then the catch-up a chunk
//     starting at the production's last frame does (every earlier frame). Both by the wall clock.
//     Counters: drawn_ms and catchup_ms (a frame of each), drawn_vs_catchup (their ratio: how many
//     frames a chunk catches up with in the time it draws one).
#include "platform/win/Headless.h"
#include "render/FrameCatchUp.h"
#include "render/FrameRenderer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int width = 1920;
constexpr int height = 1080;
constexpr int fps = 60;
constexpr int drawnFrames = 60;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void catchUpVsDrawn(benchmark::State& state) {
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    std::string error;
    if (!renderer.open("", width, height, false, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int frames = renderer.musicEndFrame(fps, 0, &error);
    if (frames <= drawnFrames) {
        state.SkipWithError(error.empty() ? "the production is too short" : error.c_str());
        return;
    }
    std::vector<std::uint32_t> pixels;
    // The first frame records the state blocks: not counted.
    renderer.render(0.0f, 1.0f / fps);
    renderer.readPixels(&pixels);

    double drawnSeconds = 0, catchUpSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (int i = 0; i < drawnFrames; ++i) {
            const int n = static_cast<int>(static_cast<long long>(frames - 1) * i / (drawnFrames - 1));
            renderer.render(static_cast<float>(double(n) / fps), 1.0f / fps);
            if (!renderer.readPixels(&pixels)) {
                state.SkipWithError("no read-back");
                return;
            }
        }
        drawnSeconds += seconds(start);

        start = Clock::now();
        if (!FrameCatchUp::run(renderer, frames - 1, fps, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        renderer.readPixels(&pixels);  // whatever the catch-up left queued is finished, and counted
        catchUpSeconds += seconds(start);
    }
    const double drawn = drawnSeconds / (double(state.iterations()) * drawnFrames);
    const double catchUp = catchUpSeconds / (double(state.iterations()) * (frames - 1));
    state.counters["drawn_ms"] = 1000.0 * drawn;
    state.counters["catchup_ms"] = 1000.0 * catchUp;
    state.counters["drawn_vs_catchup"] = drawn / catchUp;
}

}  // namespace

BENCHMARK(catchUpVsDrawn)->Name("CatchUpVsDrawn")->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
