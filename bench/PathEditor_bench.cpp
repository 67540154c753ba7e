// The path editor, one frame at a time, in a 800x600 window (run under Xvfb with
// SDL_AUDIODRIVER=dummy): the editor shown over a document whose first object is a 40-key camera
// path and whose second is a float.
//   PathEditorFrame: per iteration one editor frame with the float's value panel (the baseline)
//     and one with the path panel (orbit view: trail, keys, axes), each presented. Counters: the
//     milliseconds of each, path_vs_float (their ratio) and allocations_per_frame of the path
//     frame, which should be 0: the trail and the key points are built in fixed arrays.
#include "app/Device.h"
#include "app/Display.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "gui/EditorPanel.h"
#include "gui/Gui.h"
#include "gui/ObjectBrowser.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<long> allocations{0};  // every operator new of the process while counting
std::atomic<bool> counting{false};

std::string document() {
    std::string text = "<demo><path.spline name=\"Camera\">";
    for (int i = 0; i < 40; ++i)
        text += "<key p=\"" + std::to_string(i * 10) + " " + std::to_string((i % 5) * 7) + " " +
                std::to_string((i % 3) * 20) + " 0 " + std::to_string(i * 20 % 999) + " 0\" t=\"" + std::to_string(i) + "\"/>";
    text += "</path.spline><float name=\"Speed\" value=\"1\"/>";
    text += "<visual.group name=\"Main\"/><music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/></demo>";
    return text;
}

void pathEditorFrame(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Display display;
    if (!display.create(nullptr, true, false, 800, 600) || !startAudio(display.window)) {
        state.SkipWithError("no window, device or audio");
        return;
    }
    {
        TiXmlDocument xml;
        xml.Parse(document().c_str());
        Database database;
        Gui gui;
        if (!database.load(&xml) || !gui.init(&database, &display)) {
            state.SkipWithError("the editor could not be built");
            database.deleteObjects();
            stopAudio();
            return;
        }
        display.setRoot(&gui);
        gui.toggleEditor();
        auto* browser = static_cast<ObjectBrowser*>(gui.getEditor()->childAt(1));
        for (int shown : {0, 1, 0}) {  // state blocks and font caches first: not counted
            browser->showObject(shown);
            display.frame(20.0f, 0.016f);
        }

        using Clock = std::chrono::steady_clock;
        double floatSeconds = 0, pathSeconds = 0;
        long pathAllocations = 0, frames = 0;
        for (auto _ : state) {
            browser->showObject(1);
            auto start = Clock::now();
            display.frame(20.0f, 0.016f);
            floatSeconds += std::chrono::duration<double>(Clock::now() - start).count();

            browser->showObject(0);
            const long before = allocations.load();
            counting = true;
            start = Clock::now();
            display.frame(20.0f, 0.016f);
            pathSeconds += std::chrono::duration<double>(Clock::now() - start).count();
            counting = false;
            pathAllocations += allocations.load() - before;
            ++frames;
        }
        if (frames > 0) {
            state.counters["float_ms"] = floatSeconds / frames * 1000;
            state.counters["path_ms"] = pathSeconds / frames * 1000;
            state.counters["path_vs_float"] = floatSeconds > 0 ? pathSeconds / floatSeconds : 0;
            state.counters["allocations_per_frame"] = static_cast<double>(pathAllocations) / frames;
        }
        display.setRoot(nullptr);
        display.shutdown();
        stopAudio();
        database.deleteObjects();
    }
}

}  // namespace

// Every plain form is replaced, so that whatever one form allocates another may free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
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

BENCHMARK(pathEditorFrame)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_MAIN();
