#include "platform/audio/AudioStream.h"

#include "platform/audio/bass.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> testStream(const char* name) {
    auto bytes = readFile(testing_paths::sourceDir() + "/tests/data/audio/" + name);
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

// A sound card's output: positions follow what it reports as rendered, heard at once.
OutputForm form(int rate) {
    return {rate, 512, 0, false};
}

struct Rendered {
    std::vector<float> left, right;
};

// Renders seconds of output the way the output thread does, in buffers of 512 frames.
Rendered render(AudioStream& stream, int outputRate, double seconds, double& now) {
    Rendered out;
    std::vector<float> mix(512 * 2);
    auto frames = static_cast<int>(seconds * outputRate);
    for (int done = 0; done < frames; done += 512) {
        std::fill(mix.begin(), mix.end(), 0.0f);
        stream.render(mix.data(), 512, now, now);
        now += 512.0 / outputRate;
        for (int i = 0; i < 512; ++i) {
            out.left.push_back(mix[i * 2]);
            out.right.push_back(mix[i * 2 + 1]);
        }
    }
    return out;
}

// Upward zero crossings per second.
double frequency(const std::vector<float>& samples, int rate) {
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        crossings += samples[i - 1] < 0 && samples[i] >= 0;
    }
    return crossings * static_cast<double>(rate) / static_cast<double>(samples.size());
}

float peak(const std::vector<float>& samples) {
    float largest = 0;
    for (float s : samples) largest = std::max(largest, std::fabs(s));
    return largest;
}

}  // namespace

TEST(AudioStream, DecodesFromMemoryAtEveryPosition) {
    auto bytes = testStream("tones-44100-stereo.ogg");
    int error = -2;
    auto stream = AudioStream::open(bytes.data(), bytes.size(), form(44100), error);
    ASSERT_TRUE(stream);
    EXPECT_EQ(error, BASS_OK);
    EXPECT_EQ(stream->channels(), 2);
    EXPECT_EQ(stream->rate(), 44100);
    EXPECT_EQ(stream->length(), 3 * 44100);

    // One second each of 300, 600 and 1200 Hz on the left; the right is silent.
    double now = 0;
    stream->play(now);
    Rendered start = render(*stream, 44100, 0.5, now);
    EXPECT_NEAR(frequency(start.left, 44100), 300, 9);
    EXPECT_GT(peak(start.left), 0.4f);
    EXPECT_LT(peak(start.right), 0.02f);

    const std::pair<double, double> tones[] = {{2.3, 1200}, {1.2, 600}, {0.1, 300}};
    for (auto [at, hertz] : tones) {
        stream->setPosition(static_cast<std::int64_t>(at * 44100), now);
        Rendered part = render(*stream, 44100, 0.5, now);
        EXPECT_NEAR(frequency(part.left, 44100), hertz, hertz * 0.03) << "from " << at << " s";
    }
}

TEST(AudioStream, ChainedStreamPlaysFromItsFirstLink) {
    // Two encodings joined: 1 s of 300 Hz, then 1 s of 1200 Hz. The decoder comes out of opening
    // on the last link; the first play must still begin with the first.
    auto bytes = testStream("chained-300-1200.ogg");
    int error = 0;
    auto stream = AudioStream::open(bytes.data(), bytes.size(), form(22050), error);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->length(), 2 * 22050);
    double now = 0;
    stream->play(now);
    Rendered out = render(*stream, 22050, 2.0, now);
    std::vector<float> first(out.left.begin() + 1000, out.left.begin() + 21000);
    std::vector<float> second(out.left.begin() + 23000, out.left.begin() + 43000);
    EXPECT_NEAR(frequency(first, 22050), 300, 9);
    EXPECT_GT(peak(first), 0.4f);
    EXPECT_NEAR(frequency(second, 22050), 1200, 36);
    EXPECT_GT(peak(second), 0.4f);
}

TEST(AudioStream, ResamplesToTheOutputRate) {
    // 441 Hz at 22050 Hz played at 44100 Hz and 48000 Hz stays 441 Hz, on both sides.
    auto bytes = testStream("sine441-22050-mono.ogg");
    for (int outputRate : {44100, 48000}) {
        int error = 0;
        auto stream = AudioStream::open(bytes.data(), bytes.size(), form(outputRate), error);
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->channels(), 1);
        EXPECT_EQ(stream->rate(), 22050);
        EXPECT_EQ(stream->length(), 44100);
        double now = 0;
        stream->play(now);
        Rendered out = render(*stream, outputRate, 1.0, now);
        EXPECT_NEAR(frequency(out.left, outputRate), 441, 5) << outputRate;
        EXPECT_EQ(out.left, out.right);
        EXPECT_GT(peak(out.left), 0.4f);
        EXPECT_LT(peak(out.left), 0.6f);
    }
}

TEST(AudioStream, MixesSurroundDownToStereo) {
    auto bytes = testStream("centre480-48000-51.ogg");
    int error = 0;
    auto stream = AudioStream::open(bytes.data(), bytes.size(), form(44100), error);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->channels(), 6);
    EXPECT_EQ(stream->rate(), 48000);
    double now = 0;
    stream->play(now);
    Rendered out = render(*stream, 44100, 0.5, now);
    // The centre feeds both sides alike.
    EXPECT_EQ(out.left, out.right);
    EXPECT_NEAR(frequency(out.left, 44100), 480, 10);
    EXPECT_GT(peak(out.left), 0.1f);
}

TEST(AudioStream, PlaysToTheEndAndStaysThere) {
    auto bytes = testStream("sine441-22050-mono.ogg");
    int error = 0;
    auto stream = AudioStream::open(bytes.data(), bytes.size(), form(44100), error);
    ASSERT_TRUE(stream);
    stream->setPosition(22050 + 11025, 0);  // 1.5 s into the 2 s stream
    double now = 0;
    stream->play(now);
    Rendered out = render(*stream, 44100, 1.0, now);
    // Half a second of sound, then silence.
    EXPECT_GT(peak({out.left.begin() + 20000, out.left.begin() + 22000}), 0.3f);
    EXPECT_EQ(peak({out.left.begin() + 22100, out.left.end()}), 0.0f);
    EXPECT_EQ(stream->position(now), 44100);
    EXPECT_EQ(stream->position(now + 100), 44100);
    stream->pause(now);
    EXPECT_EQ(stream->position(now), 44100);
    // From the end, playing again plays nothing and stays at the end.
    stream->play(now);
    Rendered after = render(*stream, 44100, 0.1, now);
    EXPECT_EQ(peak(after.left), 0.0f);
    EXPECT_EQ(stream->position(now), 44100);
}

TEST(AudioStream, PauseKeepsWhatWasHeard) {
    auto bytes = testStream("tones-44100-stereo.ogg");
    int error = 0;
    auto stream = AudioStream::open(bytes.data(), bytes.size(), form(44100), error);
    ASSERT_TRUE(stream);
    double now = 10;
    stream->play(now);
    render(*stream, 44100, 0.5, now);  // reports 'now' as heard at once: no latency here
    double heard = stream->position(now);
    EXPECT_NEAR(heard, 0.5 * 44100, 512 + 1);
    stream->pause(now);
    EXPECT_EQ(stream->position(now + 5), std::floor(heard));
    // A paused stream takes nothing from the output.
    std::vector<float> mix(1024, 0.0f);
    stream->render(mix.data(), 512, now, now);
    EXPECT_EQ(peak(mix), 0.0f);
    EXPECT_EQ(stream->position(now + 5), std::floor(heard));
}

TEST(AudioStream, RefusesWhatIsNotOggVorbis) {
    const std::string folder = testing_paths::sourceDir() + "/tests/data/bad/music";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++files;
        auto bytes = readFile(entry.path().string());
        int error = 0;
        auto stream = AudioStream::open(bytes.data(), bytes.size(), form(44100), error);
        if (!stream) {
            EXPECT_NE(error, BASS_OK) << entry.path();
            continue;
        }
        // What opens despite damage plays to its end without harm: the damage is silence.
        double now = 0;
        stream->play(now);
        double seconds = static_cast<double>(stream->length()) / stream->rate() + 0.1;
        ASSERT_LT(seconds, 10) << entry.path();
        Rendered out = render(*stream, 44100, seconds, now);
        EXPECT_LE(peak(out.left), 1.0f) << entry.path();
        EXPECT_EQ(stream->position(now), stream->length()) << entry.path();
    }
    EXPECT_GE(files, 5);
    int error = 0;
    EXPECT_FALSE(AudioStream::open(nullptr, 10, form(44100), error));
    unsigned char one = 'O';
    EXPECT_FALSE(AudioStream::open(&one, 1, form(44100), error));
    EXPECT_EQ(error, BASS_ERROR_FILEFORM);
}

TEST(AudioStream, OnTheSilentOutputPositionsFollowTheClock) {
    auto bytes = testStream("sine441-22050-mono.ogg");
    int error = 0;
    auto stream = AudioStream::open(bytes.data(), bytes.size(), {44100, 512, 0.01, true}, error);
    ASSERT_TRUE(stream);
    stream->setPosition(11025, 0);
    stream->play(100.0);
    // Nothing rendered: time alone moves it, from the output's latency on.
    EXPECT_EQ(stream->position(100.005), 11025);
    EXPECT_NEAR(stream->position(100.51), 11025 + 0.5 * 22050, 1e-3);
    EXPECT_EQ(stream->position(103.0), 44100);  // and it stops at the end
    stream->pause(103.0);
    EXPECT_EQ(stream->position(104.0), 44100);
}

TEST(AudioStream, DamagedStreamsSeekAndPlayAgainWithoutHarm) {
    // libvorbis divides by zero when asked again after some errors, and when a seek lands in a
    // link whose codebooks it could not build. Seeks made before the play reaches the damage, and
    // seeks after the decoder has failed on it, go on as silence instead.
    const std::string folder = testing_paths::sourceDir() + "/tests/data/bad/music";
    int opened = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        auto bytes = readFile(entry.path().string());
        int error = 0;
        auto stream = AudioStream::open(bytes.data(), bytes.size(), form(44100), error);
        if (!stream) continue;
        ++opened;
        double now = 0;
        stream->play(now);
        for (std::int64_t at : {stream->length() / 2, stream->length() - 1, std::int64_t(0)}) {
            stream->setPosition(at, now);
            Rendered out = render(*stream, 44100, 0.05, now);
            for (float sample : out.left) ASSERT_TRUE(std::isfinite(sample)) << entry.path();
        }
        double seconds = static_cast<double>(stream->length()) / stream->rate() + 0.1;
        ASSERT_LT(seconds, 10) << entry.path();
        render(*stream, 44100, seconds, now);
        for (std::int64_t at : {std::int64_t(0), stream->length() / 2, stream->length() - 1}) {
            stream->setPosition(at, now);
            Rendered out = render(*stream, 44100, 0.2, now);
            for (float sample : out.left) ASSERT_TRUE(std::isfinite(sample)) << entry.path();
            EXPECT_LE(stream->position(now), stream->length()) << entry.path();
        }
    }
    EXPECT_GE(opened, 4);
}

TEST(AudioStream, ALoopJumpsBackToItsStartWithoutAGapAndReportsPositionsInside) {
    auto bytes = testStream("tones-44100-stereo.ogg");
    int error = 0;
    auto stream = AudioStream::open(bytes.data(), bytes.size(), form(44100), error);
    ASSERT_TRUE(stream);
    const std::int64_t start = 22050, end = 22050 + 11025;  // 0.5 s to 0.75 s
    // What the loop's start sounds like, played from there.
    double now = 0;
    stream->setPosition(start, now);
    stream->play(now);
    const Rendered reference = render(*stream, 44100, 0.3, now);
    stream->pause(now);

    auto none = [] {};
    ASSERT_FALSE(stream->setLoop(start, start + 100));  // too short to jump gaplessly
    ASSERT_TRUE(stream->setLoop(start, end));
    stream->setPosition(end - 6000, now);
    stream->play(now);
    Rendered out;
    for (int piece = 0; piece < 10; ++piece) {
        stream->prepareLoop(none, none);  // as the music does once a frame
        Rendered part = render(*stream, 44100, 0.1, now);
        out.left.insert(out.left.end(), part.left.begin(), part.left.end());
        const double heard = stream->position(now);
        EXPECT_GE(heard, static_cast<double>(start)) << "piece " << piece;
        EXPECT_LE(heard, static_cast<double>(end)) << "piece " << piece;
    }
    // Each pass through the loop sounds exactly as its start played from there: no gap, no click.
    for (std::size_t jump : {std::size_t{6000}, std::size_t{6000 + 11025}, std::size_t{6000 + 2 * 11025}}) {
        ASSERT_LT(jump + 8000, out.left.size());
        int differing = 0;
        for (std::size_t i = 0; i < 8000; ++i) differing += out.left[jump + i] != reference.left[i];
        EXPECT_EQ(differing, 0) << "after the jump at output frame " << jump;
    }
    EXPECT_GT(peak({out.left.begin() + 5900, out.left.begin() + 6100}), 0.1f);

    // Without the loop the stream plays on past its end.
    ASSERT_TRUE(stream->setLoop(0, 0));
    render(*stream, 44100, 0.5, now);
    EXPECT_GT(stream->position(now), static_cast<double>(end));
}
