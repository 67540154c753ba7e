// EditorBench: the editor shown over a document in an 800x600 window (run under Xvfb with
// SDL_AUDIODRIVER=dummy), and the timing of a measured frame against a baseline frame drawn
// alternately in the same run, the measured frame's allocations counted. It replaces the
// process's operator new, so a benchmark executable includes it from one file only.
#pragma once

#include "app/Display.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "gui/Gui.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <string>

namespace editorbench {
inline std::atomic<long> allocations{0};  // every operator new of the process while counting
inline std::atomic<bool> counting{false};
}  // namespace editorbench

struct EditorBench {
    Display display;
    TiXmlDocument xml;
    Database database;  // after the document it is loaded from, before the Gui that shows it
    Gui gui;
    bool audioStarted = false;

    // False, with the reason given to `state`, without a window, device or audio or when the
    // editor could not be built; the destructor releases whatever was made.
    bool create(benchmark::State& state, const std::string& document) {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (!display.create(nullptr, true, false, 800, 600) || !(audioStarted = startAudio(display.window))) {
            state.SkipWithError("no window, device or audio");
            return false;
        }
        xml.Parse(document.c_str());
        if (!database.load(&xml) || !gui.init(&database, &display)) {
            state.SkipWithError("the editor could not be built");
            return false;
        }
        display.setRoot(&gui);
        gui.toggleEditor();
        return true;
    }

    ~EditorBench() {
        display.shutdown();
        if (audioStarted) stopAudio();
        database.deleteObjects();
    }

    // Per iteration: showBaseline(), a frame, showMeasured(), a counted frame, each presented.
    // Counters: <baseline>_ms, <measured>_ms, their ratio <measured>_vs_<baseline> and
    // allocations_per_frame of the measured frames.
    template <class ShowBaseline, class ShowMeasured>
    void alternate(benchmark::State& state, float time, ShowBaseline showBaseline, ShowMeasured showMeasured,
                   const std::string& baseline, const std::string& measured) {
        using Clock = std::chrono::steady_clock;
        double baselineSeconds = 0, measuredSeconds = 0;
        long measuredAllocations = 0, frames = 0;
        for (auto _ : state) {
            showBaseline();
            auto start = Clock::now();
            display.frame(time, 0.016f);
            baselineSeconds += std::chrono::duration<double>(Clock::now() - start).count();

            showMeasured();
            const long before = editorbench::allocations.load();
            editorbench::counting = true;
            start = Clock::now();
            display.frame(time, 0.016f);
            measuredSeconds += std::chrono::duration<double>(Clock::now() - start).count();
            editorbench::counting = false;
            measuredAllocations += editorbench::allocations.load() - before;
            ++frames;
        }
        if (frames > 0) {
            state.counters[baseline + "_ms"] = baselineSeconds / frames * 1000;
            state.counters[measured + "_ms"] = measuredSeconds / frames * 1000;
            state.counters[measured + "_vs_" + baseline] = baselineSeconds > 0 ? measuredSeconds / baselineSeconds : 0;
            state.counters["allocations_per_frame"] = static_cast<double>(measuredAllocations) / frames;
        }
    }
};

// Every plain form is replaced, so that whatever one form allocates another may free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (editorbench::counting) ++editorbench::allocations;
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
