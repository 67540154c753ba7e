// The production's own cost: "Demo.xml" played through the real display (an 800 x 600 window,
// the editor's root widget drawing "Main" as in playback), act by act. The demo time is driven
// by the benchmark itself, so no music plays and nothing waits for real time: each act is
// sampled every `step` seconds of demo time, each sample drawn as one frame with a 60 Hz delta
// and presented. Needs a display (run under Xvfb).
//   Act/<n>: one pass over act n. Counters: median_ms and worst_ms per frame (wall clock),
//     worst_second_fps (the slowest one-second stretch of demo time, from the mean cost of its
//     frames), clear_ms (a frame that only clears, measured in the same run) and
//     median_vs_clear, their ratio. On a machine shared with other work the wall clock mostly
//     measures waiting, so the same figures follow from the processor time of the whole process
//     (every rasterizer thread included): cpu_median_ms, cpu_worst_second_fps, cpu_vs_clear.
//   FirstFrame (runs first, in a fresh process): from nothing to the loading picture presented,
//     as the program starts (window, device, picture); first_frame_ms and its share of the one
//     second that start-up may take, of_one_second.
#include "app/Display.h"
#include "app/LoadResource.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "gui/SplashImage.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Processor time of the whole process, all threads, in milliseconds.
double processMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// One frame's cost by the wall clock and by processor time.
struct Cost {
    double wall = 0, cpu = 0;
};

template <class Draw>
Cost measure(Draw draw) {
    const double cpu = processMs();
    const auto begin = Clock::now();
    draw();
    return {std::chrono::duration<double, std::milli>(Clock::now() - begin).count(), processMs() - cpu};
}

struct Act {
    const char* name;
    float start, stop;
};

// The acts' windows in "Demo.xml", bar lines of the music (162 beats per minute).
constexpr float bar = 240.0f / 162.0f;
const Act acts[] = {
    {"Space opening", 0.0f, 16 * bar}, {"Outside", 16 * bar, 32 * bar}, {"Inside", 32 * bar, 64 * bar},
    {"Signal", 64 * bar, 80 * bar},    {"Flight", 80 * bar, 112 * bar}, {"Space closing", 112 * bar, 120 * bar},
};
constexpr float step = 0.1f;
constexpr float delta = 1.0f / 60.0f;

// The program's playback, without its music: display, document, database and root widget.
class Production {
public:
    // Null, or what failed.
    const char* create() {
        if (!display.create(nullptr, true, false, 800, 600)) return "no window or device (no display?)";
        // The music object (the editor's clock) needs the audio output; it is never played here.
        audioStarted = startAudio(display.window);
        if (!audioStarted) return "no audio output";
        ResourceData resource = loadResource("Demo.xml");
        if (!resource) return "no Demo.xml";
        text.assign(reinterpret_cast<const char*>(resource.data), resource.size);
        document.Parse(text.c_str());
        if (document.Error() || !database.load(&document)) return "Demo.xml does not parse";
        if (!gui.init(&database, &display)) return "Main or the music does not load";
        display.setRoot(&gui);
        return nullptr;
    }
    ~Production() {
        display.setRoot(nullptr);
        display.shutdown();
        database.deleteObjects();
        if (audioStarted) stopAudio();
    }
    Cost frame(float time) {
        return measure([&] { display.frame(time, delta); });
    }
    // The baseline every act is compared with: a frame that only clears, then presents.
    Cost clear() {
        return measure([&] {
            display.ownedDevice->BeginScene();
            display.ownedDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1.0f, 0);
            display.ownedDevice->EndScene();
            display.ownedDevice->Present();
        });
    }

    Display display;
    bool audioStarted = false;
    std::string text;
    TiXmlDocument document;
    Database database;
    Gui gui;
};

Production* production(const char*& failure) {
    static std::unique_ptr<Production> instance;
    static const char* why = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        instance = std::make_unique<Production>();
        why = instance->create();
        if (why) instance.reset();
    }
    failure = why;
    return instance.get();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The frame rate of the slowest second of demo time, from the mean cost of its frames.
double worstSecondFps(const std::vector<double>& costs, const std::vector<size_t>& seconds) {
    std::vector<double> sum(seconds.empty() ? 0 : seconds.back() + 1, 0.0);
    std::vector<int> count(sum.size(), 0);
    for (size_t i = 0; i < costs.size(); ++i) {
        sum[seconds[i]] += costs[i];
        ++count[seconds[i]];
    }
    double worst = 0;
    for (size_t i = 0; i < sum.size(); ++i)
        if (count[i] > 0) worst = std::max(worst, sum[i] / count[i]);
    return worst > 0 ? 1000.0 / worst : 0;
}

void BM_Act(benchmark::State& state) {
    const char* failure = nullptr;
    Production* p = production(failure);
    if (!p) {
        state.SkipWithError(failure);
        return;
    }
    const Act& act = acts[state.range(0)];
    state.SetLabel(act.name);
    std::vector<double> wall, cpu, clearWall, clearCpu;
    std::vector<size_t> seconds;
    for (auto _ : state) {
        wall.clear(), cpu.clear(), clearWall.clear(), clearCpu.clear(), seconds.clear();
        // Every frame of the act with a clear-only frame beside it, so that other work on the
        // machine weighs on both alike.
        for (float t = act.start + step / 2; t < act.stop; t += step) {
            const Cost frame = p->frame(t);
            const Cost clear = p->clear();
            wall.push_back(frame.wall);
            cpu.push_back(frame.cpu);
            clearWall.push_back(clear.wall);
            clearCpu.push_back(clear.cpu);
            seconds.push_back(size_t(t - act.start));
        }
    }
    const double clear = median(clearWall), cpuClear = median(clearCpu);
    state.counters["median_ms"] = median(wall);
    state.counters["worst_ms"] = *std::max_element(wall.begin(), wall.end());
    state.counters["worst_second_fps"] = worstSecondFps(wall, seconds);
    state.counters["clear_ms"] = clear;
    state.counters["median_vs_clear"] = clear > 0 ? median(wall) / clear : 0;
    state.counters["cpu_median_ms"] = median(cpu);
    state.counters["cpu_worst_second_fps"] = worstSecondFps(cpu, seconds);
    state.counters["cpu_vs_clear"] = cpuClear > 0 ? median(cpu) / cpuClear : 0;
}
void BM_FirstFrame(benchmark::State& state) {
    double ms = 0;
    for (auto _ : state) {
        const auto begin = Clock::now();
        Display display;
        SplashImage splash;
        if (!display.create(nullptr, true, false, 800, 600)) {
            state.SkipWithError("no window or device (no display?)");
            return;
        }
        splash.setIcon(130);
        display.setRoot(&splash);
        display.frame(0.0f, 0.001f);
        ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        display.setRoot(nullptr);
        display.shutdown();
    }
    state.counters["first_frame_ms"] = ms;
    state.counters["of_one_second"] = ms / 1000.0;
}
BENCHMARK(BM_FirstFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Act)->DenseRange(0, 5)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
