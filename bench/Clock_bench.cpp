// The demo clock as a player sees it: the production's music plays to the silent output
// (SDL_AUDIODRIVER=dummy) while a frame loop updates the Music object and reads its time, as the
// main loop does once per frame.
//   ClockAccuracy: over --clock_seconds (60 by default), the spread of (position - clock) and the
//     largest error of one frame's step, in milliseconds, against the library's high-resolution
//     clock and against std::chrono::steady_clock; the millisecond timer, read in the same frames,
//     is the baseline ("*_vs_timer" are ratios to it; the goal is under 5 ms for the clock).
//   PositionQuery: the cost of one position query while playing, and its ratio to one reading of
//     the bare clock timed in the same run.
#include "resources/LoadResource.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/bass.h"
#include "platform/win/win32.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

double clockSeconds = 60;      // --clock_seconds=<s>
double framePeriod = 1.0 / 60; // --clock_frame=<s>: the loop's frame time

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
    // The production's music through the Music object, read once per frame as the main loop does.
    if (!startAudio(nullptr)) {
        state.SkipWithError("the audio library does not start");
        return;
    }
    Drift position, positionSteady, timer;
    long frames = 0;
    long retaken = 0;
    double seconds = 0;
    {
        Music music(nullptr);
        TiXmlElement element("music");
        element.SetAttribute("resource", "Music.ogg");
        if (!music.load(&element)) {
            stopAudio();
            state.SkipWithError("no Music.ogg resource");
            return;
        }
        music.seek(1000000.0f);
        music.setPaused(false);  // positioned at the end: the length
        music.update();
        seconds = std::min(clockSeconds, static_cast<double>(music.time()) - 1);
        music.seek(0);
        for (auto _ : state) {
            music.setPaused(false);
            // The first readings wait for the output's latency; they are not the clock's running.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            double start = AudioOutput::now();
            auto steadyStart = std::chrono::steady_clock::now();
            DWORD tickStart = timeGetTime();
            for (double now = start; now - start < seconds; now = AudioOutput::now()) {
                // A reading is bracketed by the clock; when this thread was descheduled inside the
                // bracket it is taken again, so that the bench's own scheduling is not counted.
                double heard = 0, at = 0, steady = 0, tick = 0;
                for (int attempt = 0; attempt < 5; ++attempt) {
                    double before = AudioOutput::now();
                    auto steadyBefore = std::chrono::steady_clock::now();
                    music.update();
                    heard = music.time();
                    tick = static_cast<DWORD>(timeGetTime() - tickStart) * 0.001;
                    auto steadyAfter = std::chrono::steady_clock::now();
                    double after = AudioOutput::now();
                    at = (before + after) / 2;
                    steady = std::chrono::duration<double>((steadyBefore - steadyStart) +
                                                           (steadyAfter - steadyBefore) / 2).count();
                    if (after - before < 0.0002) break;
                    ++retaken;
                }
                position.add(heard, at - start);
                positionSteady.add(heard, steady);
                timer.add(tick, at - start);
                ++frames;
                std::this_thread::sleep_for(std::chrono::duration<double>(framePeriod));
            }
            music.setPaused(true);
        }
    }
    BASS_INFO info;
    BASS_GetInfo(&info);
    stopAudio();
    state.counters["seconds"] = seconds;
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["retaken"] = static_cast<double>(retaken);
    state.counters["silent"] = info.silent;
    state.counters["spread_ms"] = position.spreadMs();
    state.counters["step_error_ms"] = position.stepMs();
    state.counters["steady_spread_ms"] = positionSteady.spreadMs();
    state.counters["steady_step_error_ms"] = positionSteady.stepMs();
    state.counters["timer_spread_ms"] = timer.spreadMs();
    state.counters["timer_step_error_ms"] = timer.stepMs();
    state.counters["spread_vs_timer"] = position.spreadMs() / std::max(timer.spreadMs(), 1e-9);
    state.counters["step_error_vs_timer"] = position.stepMs() / std::max(timer.stepMs(), 1e-9);
}
BENCHMARK(ClockAccuracy)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void PositionQuery(benchmark::State& state) {
    ResourceData bytes = loadResource("Music.ogg");
    if (!bytes || !BASS_Init(BASS_DEVICE_FIRST, 44100, 0, nullptr, nullptr)) {
        state.SkipWithError("no music or no audio");
        return;
    }
    HSTREAM stream = BASS_StreamCreateFile(TRUE, bytes.data, 0, static_cast<DWORD>(bytes.size), 0);
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
