#include "platform/audio/bass.h"

#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<unsigned char> testStream(const char* name) {
    std::ifstream file(testing_paths::sourceDir() + "/tests/data/audio/" + name, std::ios::binary);
    std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void sleepFor(double s) {
    std::this_thread::sleep_for(std::chrono::duration<double>(s));
}

class Bass : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(BASS_Init(BASS_DEVICE_FIRST, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    }
    void TearDown() override { BASS_Free(); }

    HSTREAM open(const std::vector<unsigned char>& bytes) {
        return BASS_StreamCreateFile(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 0);
    }

    double position(HSTREAM stream) {
        return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
    }

    // Whether the stream's time advanced like the steady clock since (clockStart, streamStart),
    // within tolerance. The reading is bracketed by two clock readings, and a few tries are
    // allowed, so that this thread being descheduled between the two is not counted as an error.
    bool followsTheClock(HSTREAM stream, Clock::time_point clockStart, double streamStart,
                         double tolerance, double* error) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            auto before = Clock::now();
            double at = position(stream) - streamStart;
            auto after = Clock::now();
            double low = seconds(clockStart, before), high = seconds(clockStart, after);
            *error = at < low ? low - at : at > high ? at - high : 0;
            if (*error <= tolerance) {
                return true;
            }
            sleepFor(0.02);
        }
        return false;
    }
};

}  // namespace

TEST_F(Bass, StartsOnceAndReportsTheSilentOutput) {
    EXPECT_FALSE(BASS_Init(BASS_DEVICE_FIRST, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    BASS_INFO info;
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.speakers, 2u);
    EXPECT_TRUE(info.silent);  // SDL_AUDIODRIVER=dummy chooses the silent output
    EXPECT_GT(info.latency, 0u);
    EXPECT_LT(info.latency, 100u);

    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    auto bytes = testStream("sine441-22050-mono.ogg");
    EXPECT_EQ(open(bytes), 0u);  // nothing works before the library starts
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Init(BASS_DEVICE_FIRST, 0, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FREQ);
    EXPECT_FALSE(BASS_Init(2, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
}

TEST_F(Bass, StreamsComeFromMemoryAndStaleHandlesFail) {
    auto bytes = testStream("sine441-22050-mono.ogg");
    HSTREAM first = open(bytes);
    HSTREAM second = open(bytes);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    const char text[] = "no music here, only text";
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, text, 0, sizeof text, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    // An offset into a larger block.
    std::vector<unsigned char> padded(7, 0xee);
    padded.insert(padded.end(), bytes.begin(), bytes.end());
    EXPECT_NE(BASS_StreamCreateFile(TRUE, padded.data(), 7, static_cast<DWORD>(bytes.size()), 0), 0u);

    EXPECT_TRUE(BASS_StreamFree(first));
    EXPECT_FALSE(BASS_StreamFree(first));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_ChannelPlay(first, FALSE));
    EXPECT_EQ(BASS_ChannelGetPosition(first), static_cast<QWORD>(-1));
    EXPECT_LT(BASS_ChannelBytes2Seconds(first, 0), 0);

    // Freeing the library frees its streams; handles are never handed out twice.
    BASS_Free();
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_FIRST, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_ChannelPlay(second, FALSE));
    HSTREAM third = open(bytes);
    EXPECT_NE(third, 0u);
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
}

TEST_F(Bass, ConvertsBytesAndSecondsInTheStreamsOwnForm) {
    auto mono = testStream("sine441-22050-mono.ogg");
    auto stereo = testStream("tones-44100-stereo.ogg");
    HSTREAM slow = open(mono);    // 16-bit x 1 channel x 22050 Hz: 44100 bytes a second
    HSTREAM fast = open(stereo);  // 16-bit x 2 channels x 44100 Hz: 176400 bytes a second
    ASSERT_NE(slow, 0u);
    ASSERT_NE(fast, 0u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(slow, 44100), 1.0f);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(slow, 11025 * 2), 0.5f);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(slow, 0.5f), 22050u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(slow, 2.0f), 88200u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(slow, -3.0f), 0u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(fast, 176400), 1.0f);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(fast, 1.0f), 176400u);
    // Whole frames, and back again to the same bytes.
    for (QWORD bytes : {QWORD{2}, QWORD{2 * 12345}, QWORD{2 * 44099}}) {
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(slow, BASS_ChannelBytes2Seconds(slow, bytes)), bytes);
    }
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(fast, 0.1f) % 4, 0u);
}

TEST_F(Bass, PositionsWhilePaused) {
    auto bytes = testStream("sine441-22050-mono.ogg");
    HSTREAM stream = open(bytes);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, 30000));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 30000u);
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, 30001));  // within a frame: the frame's start
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 30000u);
    // Beyond the end: the end, reported as an invalid position.
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, 10'000'000));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 88200u);
}

TEST_F(Bass, PlayingFollowsTheClockAndPauseHolds) {
    auto bytes = testStream("tones-44100-stereo.ogg");
    HSTREAM stream = open(bytes);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    sleepFor(0.1);  // past the output's latency, the position moves with the clock
    // The start's reading is bracketed too: the time it took widens the tolerance.
    auto clockStart = Clock::now();
    double streamStart = position(stream);
    const double reading = seconds(clockStart, Clock::now());
    EXPECT_GT(streamStart, 0.0);
    sleepFor(1.5);
    double error = 0;
    EXPECT_TRUE(followsTheClock(stream, clockStart, streamStart, 0.004 + reading, &error)) << error;

    ASSERT_TRUE(BASS_ChannelPause(stream));
    double held = position(stream);
    sleepFor(0.2);
    EXPECT_EQ(position(stream), held);
    EXPECT_TRUE(BASS_ChannelPause(stream));  // pausing again changes nothing
    EXPECT_EQ(position(stream), held);

    // Playing without restart continues from the paused position, never jumping ahead of it.
    auto played = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    double resumed = position(stream);
    EXPECT_GE(resumed, held);
    EXPECT_LE(resumed, held + seconds(played, Clock::now()) + 0.01);
    sleepFor(0.3);
    EXPECT_GT(position(stream), held + 0.2);

    // A restart plays from the start.
    played = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_LE(position(stream), seconds(played, Clock::now()) + 0.01);
}

TEST_F(Bass, PlayingPastTheEndReportsTheEnd) {
    auto bytes = testStream("sine441-22050-mono.ogg");
    HSTREAM stream = open(bytes);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.8f)));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    sleepFor(0.6);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 88200u);
    EXPECT_FLOAT_EQ(position(stream), 2.0f);
    sleepFor(0.1);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 88200u);
    // Moved back while playing, it plays on from there.
    const auto moved = Clock::now();
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 0.5f)));
    sleepFor(0.2);
    EXPECT_GT(position(stream), 0.55);
    EXPECT_LE(position(stream), 0.5 + seconds(moved, Clock::now()) + 0.01);
}

// SDL's "disk" driver is a real SDL audio device that writes what it is given to a file: the
// stream's sound must arrive there, converted to the output's stereo floats.
TEST(BassDevice, PlaysThroughAnSdlAudioDevice) {
    const char* previous = std::getenv("SDL_AUDIODRIVER");
    std::string restore = previous ? previous : "";
    std::string folder = testing_paths::makeTempDir();
    std::string raw = folder + "/output.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    bool started = BASS_Init(BASS_DEVICE_FIRST, 44100, 0, nullptr, nullptr);
    if (previous) setenv("SDL_AUDIODRIVER", restore.c_str(), 1); else unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    ASSERT_TRUE(started);
    BASS_INFO info;
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_FALSE(info.silent);

    auto bytes = testStream("tones-44100-stereo.ogg");
    HSTREAM stream = BASS_StreamCreateFile(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 0);
    ASSERT_NE(stream, 0u);
    const auto played = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    // Until the device's thread, which a busy machine may hold up, has played some of it.
    float heard = 0;
    for (int i = 0; i < 1000 && heard <= 0.3f; ++i) {
        sleepFor(0.01);
        heard = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
    }
    EXPECT_GT(heard, 0.3f);
    EXPECT_LE(heard, seconds(played, Clock::now()) + 0.01);
    BASS_Free();

    std::ifstream file(raw, std::ios::binary);
    std::vector<char> data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    file.close();
    std::filesystem::remove_all(folder);
    std::vector<float> samples(data.size() / sizeof(float));
    std::memcpy(samples.data(), data.data(), samples.size() * sizeof(float));
    std::size_t begin = 0;
    while (begin + 1 < samples.size() && samples[begin] == 0.0f) begin += 2;
    begin -= begin % 2;
    const std::size_t frames = 44100 / 4;  // a quarter second of the first tone
    ASSERT_GE(samples.size(), begin + frames * 2) << "the device wrote too little";
    int crossings = 0;
    float rightPeak = 0, leftPeak = 0;
    for (std::size_t i = 1; i < frames; ++i) {
        float before = samples[begin + (i - 1) * 2], now = samples[begin + i * 2];
        crossings += before < 0 && now >= 0;
        leftPeak = std::max(leftPeak, std::abs(now));
        rightPeak = std::max(rightPeak, std::abs(samples[begin + i * 2 + 1]));
    }
    EXPECT_NEAR(crossings * 4, 300, 12);  // 300 Hz on the left
    EXPECT_GT(leftPeak, 0.4f);
    EXPECT_LT(rightPeak, 0.02f);
}

// The loop's hand-over between the two threads: this one sets the loop and prepares its start,
// as the music does every frame, while the output's thread plays and jumps. The loop moves after
// every jump, often while its start is being decoded; the position stays inside the loops and the
// jumps keep coming.
TEST_F(Bass, ALoopMovedWhileItPlaysKeepsJumpingInsideIt) {
    auto bytes = testStream("tones-44100-stereo.ogg");
    HSTREAM stream = open(bytes);
    ASSERT_NE(stream, 0u);
    const double loops[2][2] = {{0.5, 0.7}, {0.6, 0.9}};
    auto setLoop = [&](int which) {
        return BASS_ChannelSetLoop(stream, BASS_ChannelSeconds2Bytes(stream, loops[which][0]),
                                   BASS_ChannelSeconds2Bytes(stream, loops[which][1]));
    };
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 0.5)));
    ASSERT_TRUE(setLoop(0));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    int jumps = 0, which = 0;
    double latest = position(stream), lowest = latest, highest = latest;
    for (int i = 0; i < 20000 && jumps < 12; ++i) {
        ASSERT_TRUE(BASS_ChannelUpdate(stream, 0));
        const double now = position(stream);
        if (now < latest) {
            ++jumps;
            which = 1 - which;
            ASSERT_TRUE(setLoop(which));
        }
        latest = now;
        lowest = std::min(lowest, now);
        highest = std::max(highest, now);
        sleepFor(0.001);
    }
    EXPECT_EQ(jumps, 12) << "the loop stopped jumping back";
    EXPECT_GE(lowest, 0.5 - 1e-3);
    EXPECT_LT(highest, 0.9);  // a late output thread included
    EXPECT_TRUE(BASS_ChannelSetLoop(stream, 0, 0));
}
