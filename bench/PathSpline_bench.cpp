// Path evaluation per call against its own floor: the six key blends of de Casteljau's scheme,
// measured in the same run on the same keys. What evaluate adds beyond them is the segment
// search and the two control keys (up to five blends each, one recursion at the ends), so the
// ratio should stay near 2 to 3 and must not grow with the number of keys.
#include "paths/PathSpline.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kSamples = 512;  // evaluations per measured batch

void loadRandomPath(PathSpline& path, int keyCount) {
    std::mt19937 random(static_cast<unsigned>(keyCount));
    std::uniform_int_distribution<int> coordinate(-20000, 20000), axis(-600, 600), control(-99, 99);
    std::uniform_real_distribution<float> step(0.2f, 3.0f);
    TiXmlElement element("path.spline");
    float time = 0.0f;
    for (int i = 0; i < keyCount; ++i) {
        char p[128], tcb[64], t[32];
        std::snprintf(p, sizeof p, "%d %d %d %d %d %d", coordinate(random), coordinate(random),
                      coordinate(random), axis(random), axis(random), axis(random));
        std::snprintf(tcb, sizeof tcb, "%d %d %d", control(random), control(random), control(random));
        std::snprintf(t, sizeof t, "%f", static_cast<double>(time));
        auto* key = new TiXmlElement("key");
        key->SetAttribute("p", p);
        key->SetAttribute("tcb", tcb);
        key->SetAttribute("t", t);
        element.LinkEndChild(key);
        time += step(random);
    }
    path.load(&element);
}

void evaluateAgainstSixBlends(benchmark::State& state) {
    const int keyCount = static_cast<int>(state.range(0));
    PathSpline path(nullptr);  // a path looks nothing up without a preview
    loadRandomPath(path, keyCount);

    std::mt19937 random(1);
    std::uniform_real_distribution<float> anyTime(path.startTime(), path.endTime());
    std::uniform_int_distribution<int> anySegment(0, keyCount - 2);
    std::vector<float> times(kSamples), factors(kSamples);
    std::vector<int> segments(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        times[i] = anyTime(random);
        factors[i] = static_cast<float>(i) / kSamples;
        segments[i] = anySegment(random);
    }

    using Clock = std::chrono::steady_clock;
    double evaluateSeconds = 0.0, blendSeconds = 0.0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (int i = 0; i < kSamples; ++i) {
            PathState out;
            benchmark::DoNotOptimize(path.evaluate(out, times[i]));
            benchmark::DoNotOptimize(out);
        }
        auto middle = Clock::now();
        for (int i = 0; i < kSamples; ++i) {
            // The same blend pattern evaluate ends with, on neighbouring keys of the path.
            const int s = segments[i];
            const float u = factors[i];
            SplineKey k0 = path.keyAt(s - 1), k1 = path.keyAt(s), k2 = path.keyAt(s + 1), k3 = path.keyAt(s + 2);
            SplineKey x1 = PathSpline::blendKeys(k0, k1, u);
            SplineKey x2 = PathSpline::blendKeys(k1, k2, u);
            SplineKey x3 = PathSpline::blendKeys(k2, k3, u);
            SplineKey y1 = PathSpline::blendKeys(x1, x2, u);
            SplineKey y2 = PathSpline::blendKeys(x2, x3, u);
            SplineKey z = PathSpline::blendKeys(y1, y2, u);
            benchmark::DoNotOptimize(z);
        }
        auto end = Clock::now();
        double evaluateBatch = std::chrono::duration<double>(middle - start).count();
        evaluateSeconds += evaluateBatch;
        blendSeconds += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(evaluateBatch);
    }
    const double calls = static_cast<double>(state.iterations()) * kSamples;
    state.counters["evaluate_ns"] = evaluateSeconds / calls * 1e9;
    state.counters["six_blends_ns"] = blendSeconds / calls * 1e9;
    state.counters["ratio"] = blendSeconds > 0.0 ? evaluateSeconds / blendSeconds : 0.0;
}

}  // namespace

BENCHMARK(evaluateAgainstSixBlends)->Arg(4)->Arg(64)->Arg(1024)->UseManualTime();

BENCHMARK_MAIN();
