// What several benchmarks measure with: processor time of the whole process, the wall clock, the
// median of a run's figures, the production written out as a -d document with its files, and
// the player's window with the audio output.
#pragma once

#include "app/Display.h"
#include "clock/Audio.h"
#include "platform/win/ResourceTable.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// Processor time of the whole process, all threads (the renderer's included), in milliseconds.
inline double processMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

inline double msSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The production's document and every resource linked into the program, written into a new
// temporary folder ("/tmp/<prefix>-XXXXXX"); the caller removes it.
inline std::filesystem::path writeProduction(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    for (int i = 0; i < win::embeddedResourceCount; ++i) {
        const win::EmbeddedResource& r = win::embeddedResources[i];
        std::ofstream(folder / r.name, std::ios::binary)
            .write(reinterpret_cast<const char*>(r.begin), std::streamsize(r.end - r.begin));
    }
    return folder;
}

// The player's 800 x 600 window with its device, and the audio output; false (the benchmark
// skipped, with why) when either cannot be had.
inline bool openWindowWithAudio(Display& display, benchmark::State& state) {
    if (!display.create(nullptr, true, false, 800, 600)) {
        state.SkipWithError("no window or device (no display?)");
        return false;
    }
    if (!startAudio(display.window)) {
        state.SkipWithError("no audio output");
        return false;
    }
    return true;
}

}  // namespace bench
