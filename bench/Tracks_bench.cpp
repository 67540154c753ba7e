// The cost of one driven attribute per frame: a float's value at a time (bisection over its keys
// and the ease), against the same attribute fixed plus the one smoothstep an overlay's fade costs
// anyway, measured in the same run on the same times. The ratio grows with the logarithm of the
// number of keys only; driven_ns is there for the goal of well under a microsecond.
#include "database/Database.h"
#include "database/DrivenAttributes.h"
#include "database/FloatObject.h"
#include "platform/win/Headless.h"
#include "render/FrameRenderer.h"
#include "resources/LoadResource.h"

#include <BenchMeasures.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
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

// --- the whole production: its driven attributes against the same attributes fixed --------------
// "Demo.xml" drives a few attributes (captions sliding in, a brightness that breathes). The same
// document with each `@Name` replaced by its float's last key (where a caption comes to rest, so
// the pictures differ only while something moves) is drawn over the same times, passes taking
// turns; the processor time per frame of the two is compared. The goal is a ratio within noise of
// one where the two draw the same (ratio_outside_pulse).
namespace {

// The document with every `@Name` a number: the float's value after its last key.
std::string frozen(const std::string& text, Database& objects, int* count) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t mark = text.find('@', at);
        if (mark == std::string::npos) {
            out += text.substr(at);
            break;
        }
        std::size_t end = mark + 1;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '.' || text[end] == '_'))
            ++end;
        out += text.substr(at, mark - at);
        auto* driver = static_cast<FloatObject*>(objects.find(text.substr(mark + 1, end - mark - 1).c_str(), TypeFloat));
        if (driver) {
            out += std::to_string(driver->valueAt(1e9f));
            ++*count;
        } else {
            out += text.substr(mark, end - mark);
        }
        at = end;
    }
    return out;
}

void drivenProductionAgainstFixed(benchmark::State& state) {
    win::useHeadlessPlatform();
    constexpr int Width = 800, Height = 600;
    constexpr float Step = 0.5f;  // seconds of demo time between frames
    const ResourceData linked = loadResource("Demo.xml");
    const std::string text(reinterpret_cast<const char*>(linked.data), linked.size);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("zod-tracks-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path fixedFile = folder / "Demo.xml";  // its pictures and meshes: the linked ones
    int count = 0;
    {
        FrameRenderer reader;
        std::string error;
        if (!reader.open("", 64, 48, false, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        std::ofstream(fixedFile) << frozen(text, reader.objects(), &count);
    }
    // One pass over the whole production: processor time per frame, over all frames and over
    // those outside the Flight act's pulse (an overlay whose alpha is driven is not drawn while
    // it is 0, a fixed one always is: there the driven document does less work).
    struct Pass {
        double all = -1, outsidePulse = -1;
    };
    auto pass = [&](const std::string& file, std::string* error) {
        FrameRenderer renderer;
        Pass cost;
        if (!renderer.open(file, Width, Height, false, error)) return cost;
        int frames = 0, outside = 0;
        double total = 0, outsideTotal = 0;
        for (float time = 0.0f;; time += Step) {
            const double begin = bench::processMs();
            if (!renderer.render(time, Step)) break;
            const double ms = bench::processMs() - begin;
            ++frames;
            total += ms;
            if (time < 118.5f || time > 164.5f) {
                ++outside;
                outsideTotal += ms;
            }
        }
        if (frames) cost = {total / frames, outsideTotal / std::max(outside, 1)};
        return cost;
    };
    std::vector<double> driven, fixed, drivenOutside, fixedOutside;
    bool drivenFirst = true;  // the order taking turns too, so that neither gains from going first
    for (auto _ : state) {
        std::string error;
        Pass a, b;
        if (drivenFirst) {
            a = pass("", &error);
            b = pass(fixedFile.string(), &error);
        } else {
            b = pass(fixedFile.string(), &error);
            a = pass("", &error);
        }
        drivenFirst = !drivenFirst;
        if (a.all < 0 || b.all < 0) {
            state.SkipWithError(error.empty() ? "nothing drawn" : error.c_str());
            break;
        }
        driven.push_back(a.all);
        fixed.push_back(b.all);
        drivenOutside.push_back(a.outsidePulse);
        fixedOutside.push_back(b.outsidePulse);
    }
    std::filesystem::remove_all(folder);
    if (driven.empty()) return;
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    state.counters["driven_attributes"] = count;
    state.counters["driven_cpu_ms"] = median(driven);
    state.counters["fixed_cpu_ms"] = median(fixed);
    state.counters["ratio"] = median(driven) / median(fixed);
    state.counters["ratio_outside_pulse"] = median(drivenOutside) / median(fixedOutside);
}

}  // namespace

BENCHMARK(drivenProductionAgainstFixed)->Iterations(6)->Unit(benchmark::kMillisecond);
