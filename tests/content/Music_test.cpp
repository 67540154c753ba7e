// Listens to the production's music by analysis: the linked "Music.ogg" decoded with libvorbisfile
// and measured against the plan of the piece (162 beats per minute, 120 bars in six sections,
// a final chord that rings out): format, length, headroom, level per section, no gaps, the beat.
#include "resources/LoadResource.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr double beat = 60.0 / 162.0;
constexpr double bar = 4 * beat;

struct Memory {
    const unsigned char* data;
    size_t size;
    size_t position;
};

size_t readMemory(void* out, size_t size, size_t count, void* source) {
    auto* memory = static_cast<Memory*>(source);
    size_t bytes = std::min(size * count, memory->size - memory->position);
    std::memcpy(out, memory->data + memory->position, bytes);
    memory->position += bytes;
    return size ? bytes / size : 0;
}

int seekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* memory = static_cast<Memory*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? memory->position : memory->size;
    if (base + offset < 0 || base + offset > static_cast<ogg_int64_t>(memory->size)) return -1;
    memory->position = static_cast<size_t>(base + offset);
    return 0;
}

long tellMemory(void* source) { return static_cast<long>(static_cast<Memory*>(source)->position); }

// The whole piece, decoded once for all tests: mono mix for levels, both channels for peaks.
struct Decoded {
    int rate = 0;
    int channels = 0;
    std::vector<float> left, right;
    bool ok = false;

    Decoded() {
        ResourceData resource = loadResource("Music.ogg");
        if (!resource) return;
        Memory memory{resource.data, resource.size, 0};
        OggVorbis_File file;
        ov_callbacks callbacks{readMemory, seekMemory, nullptr, tellMemory};
        if (ov_open_callbacks(&memory, &file, nullptr, 0, callbacks) != 0) return;
        vorbis_info* info = ov_info(&file, -1);
        rate = static_cast<int>(info->rate);
        channels = info->channels;
        int section = 0;
        for (;;) {
            float** pcm = nullptr;
            long frames = ov_read_float(&file, &pcm, 4096, &section);
            if (frames < 0) {
                ov_clear(&file);
                return;
            }
            if (frames == 0) break;
            left.insert(left.end(), pcm[0], pcm[0] + frames);
            right.insert(right.end(), pcm[channels > 1 ? 1 : 0], pcm[channels > 1 ? 1 : 0] + frames);
        }
        ov_clear(&file);
        ok = true;
    }

    double seconds() const { return rate ? double(left.size()) / rate : 0; }

    // RMS of both channels between two times, in dB relative to full scale.
    double rmsDb(double from, double to) const {
        size_t a = std::min(left.size(), static_cast<size_t>(from * rate));
        size_t b = std::min(left.size(), static_cast<size_t>(to * rate));
        if (b <= a) return -200;
        double sum = 0;
        for (size_t i = a; i < b; ++i) sum += double(left[i]) * left[i] + double(right[i]) * right[i];
        return 10 * std::log10(sum / (2.0 * (b - a)) + 1e-20);
    }
};

const Decoded& music() {
    static const Decoded decoded;
    return decoded;
}

struct Section {
    const char* name;
    int firstBar, lastBar;
    double from() const { return (firstBar - 1) * bar; }
    double to() const { return lastBar * bar; }
};

const Section sections[] = {{"intro", 1, 16},     {"build", 17, 32},  {"drop A", 33, 64},
                            {"breakdown", 65, 80}, {"drop B", 81, 112}, {"outro", 113, 120}};

double sectionDb(const char* name) {
    for (const Section& s : sections)
        if (std::strcmp(s.name, name) == 0) return music().rmsDb(s.from(), s.to());
    return -200;
}

}  // namespace

TEST(Music, DecodesAsStereoAt44100HzForThePlannedLength) {
    const Decoded& m = music();
    ASSERT_TRUE(m.ok) << "Music.ogg is not linked or does not decode";
    EXPECT_EQ(m.rate, 44100);
    EXPECT_EQ(m.channels, 2);
    // 120 bars (177.78 s) and the final chord's release, cut at 180 s.
    EXPECT_NEAR(m.seconds(), 180.0, 0.05);
    EXPECT_GT(m.seconds(), 120 * bar + 1.0);
}

TEST(Music, PeakBelowFullScaleAndNothingClips) {
    const Decoded& m = music();
    ASSERT_TRUE(m.ok);
    float peak = 0;
    size_t nearFull = 0;
    for (size_t i = 0; i < m.left.size(); ++i) {
        float a = std::max(std::fabs(m.left[i]), std::fabs(m.right[i]));
        peak = std::max(peak, a);
        if (a >= 0.995f) ++nearFull;
    }
    const double peakDb = 20 * std::log10(peak);
    std::printf("peak %.2f dBFS\n", peakDb);
    EXPECT_LT(peakDb, -0.3);  // headroom kept through the encoder
    EXPECT_GT(peakDb, -3.0);  // but normalised: not left quiet
    EXPECT_EQ(nearFull, 0u);
}

TEST(Music, SectionsFollowThePlanInLevel) {
    ASSERT_TRUE(music().ok);
    for (const Section& s : sections) {
        std::printf("%-10s bars %3d-%3d  %6.2f-%6.2f s  RMS %6.2f dBFS\n", s.name, s.firstBar, s.lastBar, s.from(),
                    s.to(), music().rmsDb(s.from(), s.to()));
        EXPECT_GT(music().rmsDb(s.from(), s.to()), -32.0) << s.name << " is too quiet";
        EXPECT_LT(music().rmsDb(s.from(), s.to()), -12.0) << s.name << " is too loud";
    }
    // The drops carry the full beat; the intro, the breakdown and the outro stand back from them.
    for (const char* drop : {"drop A", "drop B"}) {
        EXPECT_GT(sectionDb(drop), sectionDb("intro") + 5.0) << drop;
        EXPECT_GT(sectionDb(drop), sectionDb("breakdown") + 3.0) << drop;
        EXPECT_GT(sectionDb(drop), sectionDb("outro") + 5.0) << drop;
        EXPECT_GT(sectionDb(drop), sectionDb("build")) << drop;
    }
    EXPECT_GT(sectionDb("build"), sectionDb("intro"));
    // The two drops are balanced against each other.
    EXPECT_NEAR(sectionDb("drop A"), sectionDb("drop B"), 2.0);
}

TEST(Music, NoSilentGapsAndACleanEnding) {
    const Decoded& m = music();
    ASSERT_TRUE(m.ok);
    // Something sounds in every fifth of a second from the first note to the last bar.
    double quietest = 0, quietestAt = 0;
    for (double t = 0.3; t + 0.2 <= 120 * bar; t += 0.2) {
        double db = m.rmsDb(t, t + 0.2);
        if (db < quietest) {
            quietest = db;
            quietestAt = t;
        }
    }
    EXPECT_GT(quietest, -45.0) << "a gap at " << quietestAt << " s";
    // The final chord is struck at bar 119 and rings out: louder when struck than when released,
    // and silent at the very end, so nothing is cut off.
    const double struck = m.rmsDb(118 * bar, 118 * bar + 1.0);
    const double ringing = m.rmsDb(119 * bar, 119 * bar + 0.5);
    const double tail = m.rmsDb(m.seconds() - 0.25, m.seconds());
    std::printf("final chord %.1f dB, a bar later %.1f dB, last 0.25 s %.1f dB\n", struck, ringing, tail);
    EXPECT_GT(struck, ringing + 3.0);
    EXPECT_GT(ringing, tail + 10.0);
    EXPECT_LT(tail, -55.0);
    const double lastSample = std::max(std::fabs(m.left.back()), std::fabs(m.right.back()));
    EXPECT_LT(lastSample, 0.001);
}

TEST(Music, TheBeatIs162PerMinuteOnTheBarGrid) {
    const Decoded& m = music();
    ASSERT_TRUE(m.ok);
    // Onset strength: positive change of energy in frames of about 5 ms over drop A.
    const int frame = m.rate / 200;
    const double from = 32 * bar, to = 64 * bar;
    std::vector<double> energy;
    for (size_t i = static_cast<size_t>(from * m.rate); i + frame < static_cast<size_t>(to * m.rate); i += frame) {
        double sum = 0;
        for (int k = 0; k < frame; ++k) {
            const double mono = 0.5 * (double(m.left[i + k]) + m.right[i + k]);
            sum += mono * mono;
        }
        energy.push_back(std::log10(sum + 1e-9));
    }
    std::vector<double> onset(energy.size(), 0);
    for (size_t i = 1; i < energy.size(); ++i) onset[i] = std::max(0.0, energy[i] - energy[i - 1]);

    // The period of the strongest self-similarity between 0.25 and 0.6 s.
    auto correlation = [&](int lag) {
        double sum = 0;
        for (size_t i = 0; i + lag < onset.size(); ++i) sum += onset[i] * onset[i + lag];
        return sum;
    };
    int bestLag = 0;
    double best = -1;
    for (int lag = 50; lag <= 120; ++lag) {
        double c = correlation(lag);
        if (c > best) {
            best = c;
            bestLag = lag;
        }
    }
    const double period = bestLag * double(frame) / m.rate;
    std::printf("beat period %.4f s (planned %.4f s)\n", period, beat);
    EXPECT_NEAR(period, beat, 0.006);

    // The notes land on the half beats that the document's tempo (324) counts: onsets are much
    // stronger there than on the sixteenths between them (a shifted or wrong tempo gives about 1:1).
    double onGrid = 0, offGrid = 0;
    const double framesPerHalfBeat = beat / 2 * m.rate / frame;
    for (int h = 0; h < 32 * 8; ++h) {
        const long at = std::lround(h * framesPerHalfBeat);
        const long between = std::lround((h + 0.5) * framesPerHalfBeat);
        for (long k = -2; k <= 2; ++k) {
            if (at + k >= 0 && at + k < static_cast<long>(onset.size())) onGrid += onset[at + k];
            if (between + k < static_cast<long>(onset.size())) offGrid += onset[between + k];
        }
    }
    std::printf("onsets on the half beats %.1f, between them %.1f\n", onGrid, offGrid);
    EXPECT_GT(onGrid, 1.5 * offGrid);
}
