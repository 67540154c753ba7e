// The editor as the user sees it, one frame at a time, in a 800x600 window (run under Xvfb with
// SDL_AUDIODRIVER=dummy): the Gui with the editor shown over a document of 40 floats, the float
// panel in the editor frame.
//   EditorFrame: per iteration one frame whose root only clears (the baseline) and one frame of
//     the editor (toolbar, transport, list and value panel), each presented. Counters: the
//     milliseconds of each, editor_vs_clear (their ratio) and allocations_per_frame of the
//     editor's draw, which should be 0: texts are formatted into buffers sized at set-up.
//   TimeLineFrame: the editor without its time line (the baseline) against the editor with it, the
//     waveform complete and the production's Main group selected, so its rows are drawn.
//     Counter timeline_vs_plain (goal: under 1.2).
//   WaveformDelay: editor frames while the waveform is computed on its thread against frames after:
//     the longest frame of each and the mean; the computation must not hold a frame up (goal: the
//     longest frame no more than 5 ms over the longest frame without it).
#include "EditorBench.h"

#include "app/Device.h"
#include "clock/Music.h"
#include "clock/Waveform.h"

#include <algorithm>
#include <chrono>

#include <string>

namespace {

// A root that only clears, as the Gui does before it draws anything.
class ClearOnly : public Widget {
public:
    bool draw(float, float) override {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1.0f, 0);
        return true;
    }
};

std::string document() {
    std::string text = "<demo>";
    for (int i = 0; i < 40; ++i)
        text += "<float name=\"Section.Value " + std::to_string(i) + "\" value=\"" + std::to_string(i * 0.25) + "\"/>";
    text += "<visual.group name=\"Main\"/><music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/></demo>";
    return text;
}

void editorFrame(benchmark::State& state) {
    EditorBench bench;
    if (!bench.create(state, document())) return;
    ClearOnly clearOnly;
    // The first frames record the state blocks and fill the font caches: not counted.
    for (int i = 0; i < 3; ++i) bench.display.frame(1.0f, 0.016f);
    bench.alternate(
        state, 1.0f, [&] { bench.display.setRoot(&clearOnly); }, [&] { bench.display.setRoot(&bench.gui); }, "clear",
        "editor");
    bench.display.setRoot(nullptr);
}

std::string productionLike() {
    std::string text = "<demo><texture.file name=\"Black\" resource=\"black.jpg\"/>";
    std::string items;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "Overlay " + std::to_string(i);
        text += "<visual.overlay name=\"" + name + "\" texture=\"Black\" start=\"" + std::to_string(i * 10) +
                "\" stop=\"" + std::to_string(i * 10 + 15) + "\"/>";
        items += "<item visual=\"" + name + "\"/>";
    }
    text += "<visual.group name=\"Main\">" + items + "</visual.group>";
    text += "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"162\"/></demo>";
    return text;
}

bool waitForWaveform(EditorBench& bench) {
    Waveform& waveform = bench.gui.getEditor()->getTimeLine()->getWaveform();
    for (int i = 0; i < 20000 && (waveform.total() == 0 || waveform.ready() < waveform.total()); ++i)
        bench.display.frame(1.0f, 0.016f);
    return waveform.total() > 0 && waveform.ready() == waveform.total();
}

void timeLineFrame(benchmark::State& state) {
    EditorBench bench;
    if (!bench.create(state, productionLike())) return;
    EditorPanel* editor = bench.gui.getEditor();
    editor->getBrowser()->selectObject(bench.database.count() - 2);  // Main: a row per item
    if (!waitForWaveform(bench)) {
        state.SkipWithError("the waveform was not computed");
        return;
    }
    for (int i = 0; i < 3; ++i) bench.display.frame(30.0f, 0.016f);
    bench.alternate(
        state, 30.0f, [&] { editor->showTimeLine(false); }, [&] { editor->showTimeLine(true); }, "plain", "timeline");
    bench.display.setRoot(nullptr);
}

void waveformDelay(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    EditorBench bench;
    if (!bench.create(state, productionLike())) return;
    Waveform& waveform = bench.gui.getEditor()->getTimeLine()->getWaveform();
    Music* music = static_cast<Music*>(bench.database.music(TypeMusic));
    auto frame = [&] {
        const auto start = Clock::now();
        bench.display.frame(30.0f, 0.016f);
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    // The first frames compile the device's shaders, and the strip starts its own computation:
    // both are over before anything is measured.
    if (!waitForWaveform(bench)) {
        state.SkipWithError("the waveform was not computed");
        return;
    }
    double busyLongest = 0, busySum = 0, idleLongest = 0, idleSum = 0;
    long busyFrames = 0, idleFrames = 0, busySlow = 0;
    for (auto _ : state) {
        waveform.start(nullptr, 0);  // again from nothing
        waveform.start(music->data(), music->dataSize());
        while (waveform.total() == 0 || waveform.ready() < waveform.total()) {
            const double ms = frame();
            busyLongest = std::max(busyLongest, ms);
            busySum += ms;
            ++busyFrames;
            busySlow += ms > 5.0 + busySum / busyFrames;
        }
        for (long i = 0; i < std::max(busyFrames / 4, 50L); ++i) {
            const double ms = frame();
            idleLongest = std::max(idleLongest, ms);
            idleSum += ms;
            ++idleFrames;
        }
    }
    state.counters["computing_longest_ms"] = busyLongest;
    state.counters["computing_mean_ms"] = busyFrames ? busySum / busyFrames : 0;
    state.counters["after_longest_ms"] = idleLongest;
    state.counters["after_mean_ms"] = idleFrames ? idleSum / idleFrames : 0;
    state.counters["longest_delay_ms"] = busyLongest - idleLongest;
    state.counters["computing_frames"] = static_cast<double>(busyFrames);
    state.counters["computing_frames_5ms_over_mean"] = static_cast<double>(busySlow);
    bench.display.setRoot(nullptr);
}

}  // namespace

BENCHMARK(editorFrame)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(timeLineFrame)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(waveformDelay)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
