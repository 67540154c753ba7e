// The demo clock as a player sees it: a stream plays to the silent output (SDL_AUDIODRIVER=dummy)
// while a frame loop reads its position, as the main loop does once per frame.
//   ClockAccuracy: over --clock_seconds (60 by default), the spread of (position - clock) and the
//     largest error of one frame's step, in milliseconds, against the library's high-resolution
//     clock and against std::chrono::steady_clock; the millisecond timer, read in the same frames,
//     is the baseline ("*_vs_timer" are ratios to it; the goal is under 5 ms for the clock).
//   PositionQuery: the cost of one position query while playing, and its ratio to one reading of
//     the bare clock timed in the same run.
#include "platform/audio/AudioOutput.h"
#include "platform/audio/bass.h"
#include "platform/win/win32.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

double clockSeconds = 60;      // --clock_seconds=<s>
double framePeriod = 1.0 / 60; // --clock_frame=<s>: the loop's frame time

std::vector<unsigned char> streamBytes() {
    // The project root: the working directory (as ctest runs things), or where this file was built from.
    static std::vector<unsigned char> bytes = [] {
        const std::string name = "tests/data/audio/silence-44100-125s.ogg";
        for (std::filesystem::path root : {std::filesystem::path("."),
                                           std::filesystem::path(__FILE__).parent_path().parent_path()}) {
            std::ifstream file(root / name, std::ios::binary);
            if (file) {
                return std::vector<unsigned char>{std::istreambuf_iterator<char>(file),
                                                  std::istreambuf_iterator<char>()};
            }
        }
        return std::vector<unsigned char>{};
    }();
    return bytes;
}

// The spread of (reading - reference) and the largest |step of reading - step of reference|.
struct Drift {
    double lowest = 1e9, highest = -1e9, worstStep = 0;
    double lastReading = 0, lastReference = 0;
    bool first = true;
    void add(double reading, double reference) {
        double offset = reading - reference;
        lowest = std::min(lowest, offset);
        highest = std::max(highest, offset);
        if (!first) {
            worstStep = std::max(worstStep, std::abs((reading - lastReading) - (reference - lastReference)));
        }
        first = false;
        lastReading = reading;
        lastReference = reference;
    }
    double spreadMs() const { return (highest - lowest) * 1000; }
    double stepMs() const { return worstStep * 1000; }
};

void ClockAccuracy(benchmark::State& state) {
    auto bytes = streamBytes();
    if (bytes.empty() || !BASS_Init(BASS_DEVICE_FIRST, 44100, 0, nullptr, nullptr)) {
        state.SkipWithError("no stream or no audio");
        return;
    }
    HSTREAM stream = BASS_StreamCreateFile(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 0);
    double length = BASS_ChannelBytes2Seconds(stream, BASS_ChannelSeconds2Bytes(stream, 1e6f));
    double seconds = std::min(clockSeconds, length - 1);
    Drift position, positionSteady, timer;
    long frames = 0;
    for (auto _ : state) {
        BASS_ChannelPlay(stream, FALSE);
        // The first readings wait for the output's latency; they are not the clock's running.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        double start = AudioOutput::now();
        auto steadyStart = std::chrono::steady_clock::now();
        DWORD tickStart = timeGetTime();
        for (double now = start; now - start < seconds; now = AudioOutput::now()) {
            double heard = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
            double at = AudioOutput::now();
            double steady = std::chrono::duration<double>(std::chrono::steady_clock::now() - steadyStart).count();
            double tick = static_cast<DWORD>(timeGetTime() - tickStart) * 0.001;
            position.add(heard, at - start);
            positionSteady.add(heard, steady);
            timer.add(tick, at - start);
            ++frames;
            std::this_thread::sleep_for(std::chrono::duration<double>(framePeriod));
        }
        BASS_ChannelPause(stream);
    }
    BASS_INFO info;
    BASS_GetInfo(&info);
    state.counters["seconds"] = seconds;
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["silent"] = info.silent;
    state.counters["spread_ms"] = position.spreadMs();
    state.counters["step_error_ms"] = position.stepMs();
    state.counters["steady_spread_ms"] = positionSteady.spreadMs();
    state.counters["steady_step_error_ms"] = positionSteady.stepMs();
    state.counters["timer_spread_ms"] = timer.spreadMs();
    state.counters["timer_step_error_ms"] = timer.stepMs();
    state.counters["spread_vs_timer"] = position.spreadMs() / std::max(timer.spreadMs(), 1e-9);
    state.counters["step_error_vs_timer"] = position.stepMs() / std::max(timer.stepMs(), 1e-9);
    BASS_Free();
}
BENCHMARK(ClockAccuracy)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void PositionQuery(benchmark::State& state) {
    auto bytes = streamBytes();
    if (bytes.empty() || !BASS_Init(BASS_DEVICE_FIRST, 44100, 0, nullptr, nullptr)) {
        state.SkipWithError("no stream or no audio");
        return;
    }
    HSTREAM stream = BASS_StreamCreateFile(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 0);
    BASS_ChannelPlay(stream, FALSE);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)));
    }
    // The ratio to the baseline, both timed here in the same run: queries against bare clock reads.
    constexpr int count = 200000;
    auto timed = [](auto&& call) {
        auto from = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) call();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count() / count;
    };
    double query = timed([&] { benchmark::DoNotOptimize(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream))); });
    double read = timed([] { benchmark::DoNotOptimize(AudioOutput::now()); });
    state.counters["query_ns"] = query * 1e9;
    state.counters["clock_read_ns"] = read * 1e9;
    state.counters["query_vs_clock_read"] = query / read;
    BASS_Free();
}
BENCHMARK(PositionQuery);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--clock_seconds=", 16) == 0) {
            clockSeconds = std::atof(argv[i] + 16);
        } else if (std::strncmp(argv[i], "--clock_frame=", 14) == 0) {
            framePeriod = std::atof(argv[i] + 14);
        } else {
            rest.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data())) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
