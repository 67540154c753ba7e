// The editor as the user sees it, one frame at a time, in a 800x600 window (run under Xvfb with
// SDL_AUDIODRIVER=dummy): the Gui with the editor shown over a document of 40 floats, the float
// panel in the editor frame.
//   EditorFrame: per iteration one frame whose root only clears (the baseline) and one frame of
//     the editor (toolbar, transport, list and value panel), each presented. Counters: the
//     milliseconds of each, editor_vs_clear (their ratio) and allocations_per_frame of the
//     editor's draw, which should be 0: texts are formatted into buffers sized at set-up.
#include "app/Device.h"
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

namespace {

std::atomic<long> allocations{0};  // every operator new of the process while counting
std::atomic<bool> counting{false};

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
        ClearOnly clearOnly;
        if (!database.load(&xml) || !gui.init(&database, &display)) {
            state.SkipWithError("the editor could not be built");
            database.deleteObjects();
            stopAudio();
            return;
        }
        display.setRoot(&gui);
        gui.toggleEditor();
        // The first frames record the state blocks and fill the font caches: not counted.
        for (int i = 0; i < 3; ++i) display.frame(1.0f, 0.016f);

        using Clock = std::chrono::steady_clock;
        double clearSeconds = 0, editorSeconds = 0;
        long editorAllocations = 0, frames = 0;
        for (auto _ : state) {
            display.setRoot(&clearOnly);
            auto start = Clock::now();
            display.frame(1.0f, 0.016f);
            clearSeconds += std::chrono::duration<double>(Clock::now() - start).count();

            display.setRoot(&gui);
            const long before = allocations.load();
            counting = true;
            start = Clock::now();
            display.frame(1.0f, 0.016f);
            editorSeconds += std::chrono::duration<double>(Clock::now() - start).count();
            counting = false;
            editorAllocations += allocations.load() - before;
            ++frames;
        }
        if (frames > 0) {
            state.counters["clear_ms"] = clearSeconds / frames * 1000;
            state.counters["editor_ms"] = editorSeconds / frames * 1000;
            state.counters["editor_vs_clear"] = clearSeconds > 0 ? editorSeconds / clearSeconds : 0;
            state.counters["allocations_per_frame"] = static_cast<double>(editorAllocations) / frames;
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

BENCHMARK(editorFrame)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_MAIN();
