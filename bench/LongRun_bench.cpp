// The long run's frame times: "Demo.xml" played ten times in one process by the fixed-step
// renderer (as zodrender draws, 320 x 240, a frame every quarter second of demo time, read back), back to
// the start after each pass. The first pass pays for what is made on first use (programs,
// textures drawn into for the first time); a later pass must not get slower, which would mean
// something piles up from pass to pass. tests/render/LongRun_test.cpp checks the memory and the
// device's objects over the same ten passes.
//   Counters, by the wall clock and by the process's processor time (cpu_*):
//     first_worst_ms     the slowest frame of the first pass
//     later_worst_ms     the slowest frame of passes 2 to 10
//     later_vs_first     their ratio
//     margin             the same ratio between passes 2 to 10 themselves (the slowest frame's
//                        spread from pass to pass once nothing is new): how much later_vs_first
//                        may exceed 1 before it means more than the machine's noise
//     last_vs_second     the median frame of pass 10 over that of pass 2 (a slow drift)
#include "platform/win/Headless.h"
#include "render/FrameRenderer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <ctime>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr float Step = 0.25f;
constexpr int Passes = 10;

double processMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double worst(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

struct Pass {
    std::vector<double> wall, cpu;
};

// The counters of one clock: `of` picks wall or processor times from a pass.
template <class Of>
void report(benchmark::State& state, const char* prefix, const std::vector<Pass>& passes, Of of) {
    const double first = worst(of(passes[0]));
    double later = 0, laterLeast = 1e30;
    for (size_t p = 1; p < passes.size(); ++p) {
        later = std::max(later, worst(of(passes[p])));
        laterLeast = std::min(laterLeast, worst(of(passes[p])));
    }
    const std::string at(prefix);
    state.counters[at + "first_worst_ms"] = first;
    state.counters[at + "later_worst_ms"] = later;
    state.counters[at + "later_vs_first"] = first > 0 ? later / first : 0;
    state.counters[at + "margin"] = laterLeast > 0 ? later / laterLeast : 0;
    const double second = median(of(passes[1]));
    state.counters[at + "last_vs_second"] = second > 0 ? median(of(passes.back())) / second : 0;
}

void BM_TenPasses(benchmark::State& state) {
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    std::string error;
    if (!renderer.open("", 320, 240, false, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<std::uint32_t> pixels;
    std::vector<Pass> passes;
    for (auto _ : state) {
        passes.assign(Passes, Pass{});
        for (Pass& pass : passes) {
            for (float time = 0.0f;; time += Step) {
                const double cpu = processMs();
                const auto begin = Clock::now();
                if (!renderer.render(time, Step)) break;
                renderer.readPixels(&pixels);
                pass.wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
                pass.cpu.push_back(processMs() - cpu);
            }
        }
    }
    report(state, "", passes, [](const Pass& p) -> const std::vector<double>& { return p.wall; });
    report(state, "cpu_", passes, [](const Pass& p) -> const std::vector<double>& { return p.cpu; });
    state.counters["frames_per_pass"] = double(passes[0].wall.size());
}
BENCHMARK(BM_TenPasses)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
