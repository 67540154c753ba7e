// The editor as the user sees it, one frame at a time, in a 800x600 window (run under Xvfb with
// SDL_AUDIODRIVER=dummy): the Gui with the editor shown over a document of 40 floats, the float
// panel in the editor frame.
//   EditorFrame: per iteration one frame whose root only clears (the baseline) and one frame of
//     the editor (toolbar, transport, list and value panel), each presented. Counters: the
//     milliseconds of each, editor_vs_clear (their ratio) and allocations_per_frame of the
//     editor's draw, which should be 0: texts are formatted into buffers sized at set-up.
#include "EditorBench.h"

#include "app/Device.h"

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

}  // namespace

BENCHMARK(editorFrame)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_MAIN();
