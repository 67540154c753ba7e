// The waveform worked out on its own thread while this one reads what is published: every bin of
// the music in the end, the sine's loudness in each, and a start over other bytes (or the end of
// the waveform) while the thread runs stops it cleanly.
#include "clock/Waveform.h"

#include "clock/Audio.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

std::vector<unsigned char> audioFile(const char* name) {
    std::ifstream file(testing_paths::sourceDir() + "/tests/data/audio/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Reads the published bins as the time line does, until all are there (or a minute went by).
bool readUntilReady(const Waveform& waveform, float* loudest) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while ((waveform.total() == 0 || waveform.ready() < waveform.total()) && std::chrono::steady_clock::now() < deadline) {
        for (int bin = 0; bin < waveform.ready(); ++bin) *loudest = std::max(*loudest, waveform.peak(bin));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return waveform.total() > 0 && waveform.ready() == waveform.total();
}

}  // namespace

TEST(Waveform, FillsEveryBinWhileTheyAreReadAndStartsOverForOtherMusic) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const std::vector<unsigned char> tones = audioFile("tones-44100-stereo.ogg");  // 3 s
    const std::vector<unsigned char> sine = audioFile("sine441-22050-mono.ogg");   // 2 s
    {
        Waveform waveform;
        waveform.start(tones.data(), tones.size());
        waveform.start(sine.data(), sine.size());  // at once: the first run is stopped
        float loudest = 0;
        ASSERT_TRUE(readUntilReady(waveform, &loudest));
        EXPECT_NEAR(waveform.total(), 200, 1);  // a bin of 10 ms
        EXPECT_GT(loudest, 0.3f);
        const int middle = waveform.total() / 2;
        EXPECT_NEAR(waveform.level(middle), waveform.peak(middle) / std::sqrt(2.0f), 0.05f) << "not a sine's loudness";

        waveform.start(tones.data(), tones.size());
        ASSERT_TRUE(readUntilReady(waveform, &loudest));
        EXPECT_NEAR(waveform.total(), 300, 1);
        waveform.start(sine.data(), sine.size());  // ends here, in the middle of its run
    }
    stopAudio();
}
