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
//   Whole/<size>: every act in one pass at 800 x 600 (0) and 1920 x 1080 (1): median_ms,
//     cpu_median_ms, and for the full-HD pass cpu_vs_800x600 (and wall_vs_800x600), its median
//     against the 800 x 600 one of the same run; slower_than_30fps, the share of frames over
//     1/30 s by the wall clock; per act, a table of the medians at each size and, at full HD,
//     their ratios to the 800 x 600 pass (worst_act_*_vs_800x600, the largest).
//   Breakdown/<act>: full HD, one frame a second of demo time drawn with every operation measured
//     alone (d3d9::DrawProfile); prints a table per act of what each visual and model costs.
//   FirstFrame (runs first, in a fresh process): from nothing to the loading picture presented,
//     as the program starts (window, device, picture); first_frame_ms and its share of the one
//     second that start-up may take, of_one_second.
#include "app/Display.h"
#include "resources/LoadResource.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "gui/SplashImage.h"
#include "platform/d3d9/DrawProfile.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
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
    const char* create(int width, int height) {
        if (!display.create(nullptr, true, false, width, height)) return "no window or device (no display?)";
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

// One production at a time, made again when another size is asked for.
Production* production(const char*& failure, int width = 800, int height = 600) {
    static std::unique_ptr<Production> instance;
    static const char* why = nullptr;
    static int madeWidth = 0, madeHeight = 0;
    if (madeWidth != width || madeHeight != height) {
        madeWidth = width, madeHeight = height;
        instance.reset();
        instance = std::make_unique<Production>();
        why = instance->create(width, height);
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
struct Size {
    int width, height;
    const char* name;
};
constexpr Size sizes[] = {{800, 600, "800 x 600"}, {1920, 1080, "1920 x 1080"}};

void BM_Whole(benchmark::State& state) {
    static double smallWall = 0, smallCpu = 0;  // the 800 x 600 pass of this run
    const Size& size = sizes[state.range(0)];
    const char* failure = nullptr;
    Production* p = production(failure, size.width, size.height);
    if (!p) {
        state.SkipWithError(failure);
        return;
    }
    state.SetLabel(size.name);
    static std::array<double, std::size(acts)> smallActWall{}, smallActCpu{};
    std::vector<double> wall, cpu;
    std::array<std::vector<double>, std::size(acts)> actWall, actCpu;
    for (auto _ : state) {
        wall.clear(), cpu.clear();
        size_t a = 0;
        for (float t = acts[0].start + step / 2; t < acts[std::size(acts) - 1].stop; t += step) {
            const Cost frame = p->frame(t);
            wall.push_back(frame.wall);
            cpu.push_back(frame.cpu);
            while (a + 1 < std::size(acts) && t >= acts[a].stop) ++a;
            actWall[a].push_back(frame.wall);
            actCpu[a].push_back(frame.cpu);
        }
    }
    state.counters["median_ms"] = median(wall);
    state.counters["cpu_median_ms"] = median(cpu);
    const double slow = double(std::count_if(wall.begin(), wall.end(), [](double ms) { return ms > 1000.0 / 30; }));
    state.counters["slower_than_30fps"] = wall.empty() ? 0 : slow / double(wall.size());
    double worstActWall = 0, worstActCpu = 0;
    std::printf("\n%s, per act: median ms, wall (processor)%s\n", size.name,
                state.range(0) == 0 ? "" : "; against 800 x 600 in this run");
    for (size_t a = 0; a < std::size(acts); ++a) {
        const double w = median(actWall[a]), c = median(actCpu[a]);
        if (state.range(0) == 0) {
            smallActWall[a] = w, smallActCpu[a] = c;
            std::printf("| %s | %.1f (%.1f) |\n", acts[a].name, w, c);
        } else if (smallActCpu[a] > 0) {
            worstActWall = std::max(worstActWall, w / smallActWall[a]);
            worstActCpu = std::max(worstActCpu, c / smallActCpu[a]);
            std::printf("| %s | %.1f (%.1f) | %.2f (%.2f) |\n", acts[a].name, w, c, w / smallActWall[a],
                        c / smallActCpu[a]);
        }
    }
    std::fflush(stdout);
    if (state.range(0) == 0) {
        smallWall = median(wall), smallCpu = median(cpu);
    } else if (smallCpu > 0) {
        state.counters["wall_vs_800x600"] = median(wall) / smallWall;
        state.counters["cpu_vs_800x600"] = median(cpu) / smallCpu;
        state.counters["worst_act_wall_vs_800x600"] = worstActWall;
        state.counters["worst_act_cpu_vs_800x600"] = worstActCpu;
    }
}

// Per act at full HD: each visual and model's draws, summed per frame over one frame a second.
void BM_Breakdown(benchmark::State& state) {
    const char* failure = nullptr;
    Production* p = production(failure, 1920, 1080);
    if (!p) {
        state.SkipWithError(failure);
        return;
    }
    const Act& act = acts[state.range(0)];
    state.SetLabel(act.name);
    struct Sum {
        int draws = 0;
        double fragments = 0, samples = 0, cpuMs = 0;
    };
    std::map<std::pair<std::string, std::string>, Sum> sums;
    int frames = 0;
    double total = 0;
    for (auto _ : state) {
        for (float t = act.start + 0.5f; t < act.stop; t += 1.0f) {
            p->frame(t - delta);  // the state the frame before leaves behind
            d3d9::DrawProfile::start();
            p->frame(t);
            for (const d3d9::DrawRecord& r : d3d9::DrawProfile::stop()) {
                Sum& sum = sums[{r.label.empty() ? "(screen)" : r.label, r.operation}];
                ++sum.draws;
                sum.fragments += double(r.fragments);
                sum.samples += double(r.samples);
                sum.cpuMs += r.cpuMs;
                total += r.cpuMs;
            }
            ++frames;
        }
    }
    const double screen = 1920.0 * 1080.0;
    std::printf("\n%s (%d frames)\n| drawn by | program | draws | shaded / screen | written / screen | ms | ns / fragment |\n"
                "|---|---|---|---|---|---|---|\n", act.name, frames);
    std::vector<std::pair<double, std::string>> rows;
    for (const auto& [key, sum] : sums) {
        char line[512];
        std::snprintf(line, sizeof line, "| %s | %s | %.1f | %.2f | %.2f | %.2f | %s |\n", key.first.c_str(),
                      key.second.c_str(), sum.draws / double(frames), sum.fragments / frames / screen,
                      sum.samples / frames / screen, sum.cpuMs / frames,
                      sum.fragments > 0 ? std::to_string(int(sum.cpuMs * 1e6 / sum.fragments + 0.5)).c_str() : "-");
        rows.push_back({sum.cpuMs, line});
    }
    std::sort(rows.rbegin(), rows.rend());
    for (const auto& row : rows) std::fputs(row.second.c_str(), stdout);
    std::printf("| total | | | | | %.2f | |\n", total / frames);
    std::fflush(stdout);
    state.counters["profiled_ms"] = total / std::max(frames, 1);
}

BENCHMARK(BM_FirstFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Act)->DenseRange(0, 5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Whole)->DenseRange(0, 1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Breakdown)->DenseRange(0, 5)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
