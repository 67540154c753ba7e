// The path editor, one frame at a time, in a 800x600 window (run under Xvfb with
// SDL_AUDIODRIVER=dummy): the editor shown over a document whose first object is a 40-key camera
// path and whose second is a float.
//   PathEditorFrame: per iteration one editor frame with the float's value panel (the baseline)
//     and one with the path panel (orbit view: trail, keys, axes), each presented. Counters: the
//     milliseconds of each, path_vs_float (their ratio) and allocations_per_frame of the path
//     frame, which should be 0: the trail and the key points are built in fixed arrays.
#include "EditorBench.h"

#include "gui/EditorPanel.h"
#include "gui/ObjectBrowser.h"

#include <string>

namespace {

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
    EditorBench bench;
    if (!bench.create(state, document())) return;
    auto* browser = static_cast<ObjectBrowser*>(bench.gui.getEditor()->childAt(1));
    for (int shown : {0, 1, 0}) {  // state blocks and font caches first: not counted
        browser->showObject(shown);
        bench.display.frame(20.0f, 0.016f);
    }
    bench.alternate(
        state, 20.0f, [&] { browser->showObject(1); }, [&] { browser->showObject(0); }, "float", "path");
}

}  // namespace

BENCHMARK(pathEditorFrame)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_MAIN();
