// The cost of one driven attribute per frame: a float's value at a time (bisection over its keys
// and the ease), against the same attribute fixed plus the one smoothstep an overlay's fade costs
// anyway, measured in the same run on the same times. The ratio grows with the logarithm of the
// number of keys only; driven_ns is there for the goal of well under a microsecond.
#include "database/DrivenAttributes.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <vector>

namespace {

constexpr int kSamples = 512;  // attributes per measured batch: one frame of a very busy document

void drivenAgainstFixed(benchmark::State& state) {
    const int keyCount = static_cast<int>(state.range(0));
    FloatObject track(nullptr);
    std::mt19937 random(static_cast<unsigned>(keyCount));
    std::uniform_real_distribution<float> gap(0.1f, 2.0f), value(-100.0f, 100.0f);
    float time = 0.0f;
    for (int i = 0; i < keyCount; ++i) {
        track.track.keys.push_back({time, value(random), static_cast<Ease>(i % 4)});
        time += gap(random);
    }
    Driven driven, fixed;
    driven.track = &track;
    fixed.value = 0.5f;

    std::uniform_real_distribution<float> anyTime(-1.0f, time + 1.0f);
    std::vector<float> times(kSamples);
    for (float& t : times) t = anyTime(random);

    using Clock = std::chrono::steady_clock;
    double drivenSeconds = 0.0, fixedSeconds = 0.0;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (float t : times) benchmark::DoNotOptimize(driven.at(t));
        const auto middle = Clock::now();
        for (float t : times) {
            const float u = fixed.at(t) * t;
            benchmark::DoNotOptimize(3.0f * u * u - 2.0f * u * u * u);
        }
        const auto end = Clock::now();
        const double batch = std::chrono::duration<double>(middle - start).count();
        drivenSeconds += batch;
        fixedSeconds += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(batch);
    }
    const double calls = static_cast<double>(state.iterations()) * kSamples;
    state.counters["driven_ns"] = drivenSeconds / calls * 1e9;
    state.counters["fixed_ns"] = fixedSeconds / calls * 1e9;
    state.counters["ratio"] = fixedSeconds > 0.0 ? drivenSeconds / fixedSeconds : 0.0;
}

}  // namespace

BENCHMARK(drivenAgainstFixed)->Arg(2)->Arg(16)->Arg(256)->UseManualTime();

BENCHMARK_MAIN();
