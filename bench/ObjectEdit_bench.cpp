// An edit in the property list against a whole reload, in the same run. The production ("Demo.xml"
// and every resource it names) is written into a temporary folder and loaded from there as a -d
// document in an 800 x 600 window; each iteration types a new `stop` into one of its overlays as
// the property list does (the overlay and the objects that refer to it built again, one undo step),
// draws a frame of the production, and loads the whole document again as a reload does.
// Needs a display (run under Xvfb).
//   edit_ms: the edit, from the element's new text to the objects built again; frame_ms: one
//   frame of the production at 800 x 600; reload_ms: the whole document loaded again (database,
//   music, "Main" and the editor); reload_vs_edit: how many edits a reload costs; edit_of_frame:
//   the edit against a frame (below 1: the edit fits in a frame). Medians over the iterations.
#include "app/Display.h"
#include "app/LiveReload.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/DocumentEdit.h"
#include "database/TypeRegistry.h"
#include "gui/Gui.h"

#include <BenchMeasures.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef ZOD_EDIT_ITERATIONS
#define ZOD_EDIT_ITERATIONS 15
#endif

namespace {

namespace fs = std::filesystem;
using namespace bench;

void BM_ObjectEdit(benchmark::State& state) {
    Display display;
    if (!openWindowWithAudio(display, state)) return;
    const fs::path folder = writeProduction("zodedit");
    const std::string file = (folder / "Demo.xml").string();
    std::vector<double> edit, frame, reload;
    {
        LoadedDocument current;
        std::vector<std::string> problems;
        if (!LiveReload::load(file, &display, current, &problems)) {
            state.SkipWithError(problems.empty() ? "the folder's copy does not load" : problems.front().c_str());
            return;
        }
        display.setRoot(current.gui.get());
        current.gui->toggleEditor();
        Database& database = *current.database;
        // The first overlay the production shows: edited back and forth.
        int overlay = -1;
        for (int i = 0; i < database.count() && overlay < 0; ++i)
            if (typeFromKeyword(database.keywordAt(i)) == TypeVisualOverlay && database.objectAt(i)) overlay = i;
        if (overlay < 0) {
            state.SkipWithError("no overlay in the production");
            return;
        }
        const std::string element = database.currentElementText(overlay);
        std::string stop;
        DocumentEdit::attribute(element, "stop", &stop);
        const std::string later = std::to_string(std::atof(stop.c_str()) + 0.5);
        const std::string texts[2] = {DocumentEdit::withAttribute(element, "stop", &later), element};
        const float time = current.music->time();
        int n = 0;
        for (auto _ : state) {
            auto begin = Clock::now();
            std::string why;
            if (!current.gui->getEditor()->editElement(overlay, texts[n % 2], &why)) {
                state.SkipWithError(why.c_str());
                break;
            }
            edit.push_back(msSince(begin));
            current.gui->toggleEditor();  // the production's own frame, not the editor's
            begin = Clock::now();
            display.frame(time, 0.02f);
            frame.push_back(msSince(begin));
            current.gui->toggleEditor();
            begin = Clock::now();
            LoadedDocument next;
            if (!LiveReload::load(file, &display, next, &problems)) {
                state.SkipWithError("the document does not load again");
                break;
            }
            reload.push_back(msSince(begin));
            display.setRoot(current.gui.get());
            next.database->deleteObjects();
            ++n;
        }
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    fs::remove_all(folder);
    const double e = median(edit), f = median(frame), r = median(reload);
    state.counters["edit_ms"] = e;
    state.counters["frame_ms"] = f;
    state.counters["reload_ms"] = r;
    state.counters["reload_vs_edit"] = e > 0 ? r / e : 0;
    state.counters["edit_of_frame"] = f > 0 ? e / f : 0;
}

}  // namespace

BENCHMARK(BM_ObjectEdit)->Iterations(ZOD_EDIT_ITERATIONS)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
