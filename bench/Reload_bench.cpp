// The live reload against start-up, in the same run. The production ("Demo.xml" and every
// resource it names) is written as files into a temporary folder and played from there as a -d
// document; each iteration changes the document on disk and polls between frames, as the main
// loop does, until the new version is swapped in. Needs a display (run under Xvfb).
//   Reload: start_ms, loading the linked production as start-up does (parse, database, music,
//     "Main" and the editor); reload_ms, the one poll that read the files, loaded the whole new
//     version, swapped it in and let the old one go: how long that frame stalls playback;
//     reload_vs_start, their ratio; of_half_second, reload_ms against the half second a reload
//     may take; cpu_start_ms and cpu_reload_ms, the same in processor time of the whole process
//     (what they cost when the machine is shared). Medians over the iterations.
//   ReloadWithTheEditor: the same folder with the editor shown, up to a whole editor: start_ms,
//     loading it as start-up does with -d, showing the editor and waiting for the time line's
//     waveform to be complete; reload_ms, the poll that swapped in a new version of the document
//     (the music unchanged) and the wait for its waveform. reload_vs_start and cpu_reload_vs_start
//     compare them; waveform_kept is the share of reloads that took the waveform over instead of
//     decoding the music again.
#include "app/Display.h"
#include "app/DocumentLoader.h"
#include "app/LiveReload.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "gui/TimeLine.h"

#include <BenchMeasures.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace bench;

// Start-up's loading of the linked production, into `loaded`.
bool loadLinked(Display& display, LoadedDocument& loaded) {
    DocumentLoader::Options options;
    options.display = &display;
    return static_cast<bool>(DocumentLoader::load(options, loaded));
}

// Until the time line's waveform is whole; false when it never gets there.
bool waitForWaveform(Gui& gui) {
    const Waveform& waveform = gui.getEditor()->getTimeLine()->getWaveform();
    for (int i = 0; i < 600000 && (waveform.total() == 0 || waveform.ready() < waveform.total()); ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return waveform.total() > 0 && waveform.ready() == waveform.total();
}

void BM_Reload(benchmark::State& state) {
    Display display;
    if (!openWindowWithAudio(display, state)) return;
    const fs::path folder = writeProduction("zodreload");
    const fs::path file = folder / "Demo.xml";
    std::string text;
    LiveReload::readText(file.string(), &text);

    std::vector<double> start, reload, cpuStart, cpuReload;
    {
        LoadedDocument current;
        std::vector<std::string> problems;
        if (!LiveReload::load(file.string(), &display, current, &problems)) {
            state.SkipWithError(problems.empty() ? "the folder's copy does not load" : problems.front().c_str());
            return;
        }
        display.setRoot(current.gui.get());
        LiveReload live(file.string(), &display);
        if (!live.start(current)) {
            state.SkipWithError("the folder cannot be watched");
            return;
        }
        int n = 0;
        for (auto _ : state) {
            {
                const auto begin = Clock::now();
                const double cpu = processMs();
                LoadedDocument linked;
                const bool loaded = loadLinked(display, linked);
                start.push_back(msSince(begin));
                cpuStart.push_back(processMs() - cpu);
                if (!loaded) state.SkipWithError("the linked production does not load");
                if (linked.database) linked.database->deleteObjects();
            }
            std::ofstream(file) << text << "<!-- " << ++n << " -->\n";
            for (int tries = 0; tries < 2000; ++tries) {
                const auto begin = Clock::now();
                const double cpu = processMs();
                if (live.poll(current)) {
                    reload.push_back(msSince(begin));
                    cpuReload.push_back(processMs() - cpu);
                    break;
                }
                display.frame(0.0f, 0.016f);
            }
        }
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    display.shutdown();
    fs::remove_all(folder);
    state.counters["start_ms"] = median(start);
    state.counters["reload_ms"] = median(reload);
    state.counters["reload_vs_start"] = median(start) > 0 ? median(reload) / median(start) : 0;
    state.counters["of_half_second"] = median(reload) / 500.0;
    state.counters["cpu_start_ms"] = median(cpuStart);
    state.counters["cpu_reload_ms"] = median(cpuReload);
}
BENCHMARK(BM_Reload)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_ReloadWithTheEditor(benchmark::State& state) {
    Display display;
    if (!openWindowWithAudio(display, state)) return;
    const fs::path folder = writeProduction("zodreload");
    const fs::path file = folder / "Demo.xml";
    std::string text;
    LiveReload::readText(file.string(), &text);

    std::vector<double> start, reload, cpuStart, cpuReload;
    int kept = 0;
    {
        std::vector<std::string> problems;
        LoadedDocument current;
        if (!LiveReload::load(file.string(), &display, current, &problems)) {
            state.SkipWithError(problems.empty() ? "the folder's copy does not load" : problems.front().c_str());
            return;
        }
        display.setRoot(current.gui.get());
        current.gui->toggleEditor();
        LiveReload live(file.string(), &display);
        if (!live.start(current) || !waitForWaveform(*current.gui)) {
            state.SkipWithError("the folder cannot be watched, or its music gives no waveform");
            return;
        }
        int n = 0;
        for (auto _ : state) {
            {
                const auto begin = Clock::now();
                const double cpu = processMs();
                LoadedDocument fresh;
                const bool loaded = LiveReload::load(file.string(), &display, fresh, &problems);
                if (loaded) fresh.gui->toggleEditor();
                if (!loaded || !waitForWaveform(*fresh.gui)) state.SkipWithError("start-up's load gave no editor");
                start.push_back(msSince(begin));
                cpuStart.push_back(processMs() - cpu);
                if (fresh.database) fresh.database->deleteObjects();
            }
            std::ofstream(file) << text << "<!-- " << ++n << " -->\n";
            for (int tries = 0; tries < 2000; ++tries) {
                const auto begin = Clock::now();
                const double cpu = processMs();
                if (live.poll(current)) {
                    const Waveform& waveform = current.gui->getEditor()->getTimeLine()->getWaveform();
                    const bool whole = waveform.total() > 0 && waveform.ready() == waveform.total();
                    if (!waitForWaveform(*current.gui)) state.SkipWithError("the reload gave no waveform");
                    reload.push_back(msSince(begin));
                    cpuReload.push_back(processMs() - cpu);
                    kept += whole ? 1 : 0;
                    break;
                }
                display.frame(0.0f, 0.016f);
            }
        }
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    display.shutdown();
    fs::remove_all(folder);
    state.counters["start_ms"] = median(start);
    state.counters["reload_ms"] = median(reload);
    state.counters["reload_vs_start"] = median(start) > 0 ? median(reload) / median(start) : 0;
    state.counters["cpu_start_ms"] = median(cpuStart);
    state.counters["cpu_reload_ms"] = median(cpuReload);
    state.counters["cpu_reload_vs_start"] = median(cpuStart) > 0 ? median(cpuReload) / median(cpuStart) : 0;
    state.counters["waveform_kept"] = reload.empty() ? 0 : double(kept) / double(reload.size());
}
BENCHMARK(BM_ReloadWithTheEditor)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
