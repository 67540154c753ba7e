// The production's own cost: "Demo.xml" played through the real display (an 800 x 600 window,
// the editor's root widget drawing "Main" as in playback), act by act. The demo time is driven
// by the benchmark itself, so no music plays and nothing waits for real time: each act is
// sampled every `step` seconds of demo time, each sample drawn as one frame with a 60 Hz delta
// and presented. Needs a display (run under Xvfb).
//   Act/<n>: one pass over act n. Counters: median_ms and worst_ms per frame, worst_second_fps
//     (the slowest one-second stretch of demo time, from the mean cost of its frames), clear_ms
//     (a frame that only clears, measured in the same run) and median_vs_clear, their ratio.
#include "app/Display.h"
#include "app/LoadResource.h"
#include "database/Database.h"
#include "gui/Gui.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

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
    bool create() {
        if (!display.create(nullptr, true, false, 800, 600)) return false;
        ResourceData resource = loadResource("Demo.xml");
        if (!resource) return false;
        text.assign(reinterpret_cast<const char*>(resource.data), resource.size);
        document.Parse(text.c_str());
        if (document.Error() || !database.load(&document)) return false;
        if (!gui.init(&database, &display)) return false;
        display.setRoot(&gui);
        return true;
    }
    ~Production() {
        display.setRoot(nullptr);
        display.shutdown();
        database.deleteObjects();
    }
    double frameMs(float time) {
        const auto begin = Clock::now();
        display.frame(time, delta);
        return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    }
    // A frame with no root widget: begin, redraw the render targets (inactive outside their acts),
    // end and present. The baseline every act is compared with.
    double clearMs() {
        Widget* root = display.root;
        display.root = nullptr;
        const auto begin = Clock::now();
        display.ownedDevice->BeginScene();
        display.ownedDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1.0f, 0);
        display.ownedDevice->EndScene();
        display.ownedDevice->Present();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        display.root = root;
        return ms;
    }

    Display display;
    std::string text;
    TiXmlDocument document;
    Database database;
    Gui gui;
};

Production* production() {
    static std::unique_ptr<Production> instance;
    static bool tried = false;
    if (!tried) {
        tried = true;
        instance = std::make_unique<Production>();
        if (!instance->create()) instance.reset();
    }
    return instance.get();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_Act(benchmark::State& state) {
    Production* p = production();
    if (!p) {
        state.SkipWithError("the production cannot be loaded (no display?)");
        return;
    }
    const Act& act = acts[state.range(0)];
    state.SetLabel(act.name);
    std::vector<double> frames, clears;
    double worstSecond = 0;
    for (auto _ : state) {
        frames.clear();
        clears.clear();
        std::vector<double> secondSum(size_t(act.stop - act.start) + 1, 0.0);
        std::vector<int> secondCount(secondSum.size(), 0);
        // Every frame of the act with a clear-only frame beside it, so load on the machine
        // weighs on both alike.
        for (float t = act.start + step / 2; t < act.stop; t += step) {
            const double ms = p->frameMs(t);
            frames.push_back(ms);
            clears.push_back(p->clearMs());
            const size_t second = size_t(t - act.start);
            secondSum[second] += ms;
            ++secondCount[second];
        }
        worstSecond = 0;
        for (size_t i = 0; i < secondSum.size(); ++i)
            if (secondCount[i] > 0) worstSecond = std::max(worstSecond, secondSum[i] / secondCount[i]);
    }
    const double clear = median(clears);
    state.counters["median_ms"] = median(frames);
    state.counters["worst_ms"] = *std::max_element(frames.begin(), frames.end());
    state.counters["worst_second_fps"] = worstSecond > 0 ? 1000.0 / worstSecond : 0;
    state.counters["clear_ms"] = clear;
    state.counters["median_vs_clear"] = clear > 0 ? median(frames) / clear : 0;
}
BENCHMARK(BM_Act)->DenseRange(0, 5)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
