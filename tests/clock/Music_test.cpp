#include "clock/Music.h"

#include "resources/LoadResource.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "database/ObjectType.h"
#include "platform/audio/bass.h"
#include "platform/win/win32.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void sleepFor(double s) {
    std::this_thread::sleep_for(std::chrono::duration<double>(s));
}

// Seconds since `from`: what bounds how far the music can have played, on a machine that may
// stall this thread for any time.
double secondsSince(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// A music whose stream comes from a test file instead of the executable's resources.
class TestMusic : public Music {
public:
    TestMusic() : Music(nullptr) {}
    bool openFile(const char* name, float tempo = 0) {
        std::ifstream file(testing_paths::sourceDir() + "/tests/data/audio/" + name, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        return open(bytes.data(), bytes.size(), tempo);
    }
    HSTREAM handle() const { return stream; }
    void setLastTick(DWORD tick) { lastTick = tick; }
    double streamTime() const { return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)); }

private:
    std::vector<unsigned char> bytes;  // outlives the stream: the music frees it first
};

TiXmlElement musicElement(const char* resource, const char* tempo = nullptr) {
    TiXmlElement element("music");
    element.SetAttribute("name", "Music");
    if (resource) element.SetAttribute("resource", resource);
    if (tempo) element.SetAttribute("tempo", tempo);
    return element;
}

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(startAudio(nullptr));
    }
    void TearDown() override { stopAudio(); }
};

}  // namespace

TEST_F(MusicTest, IsTheMusicTypeAndHasNoBrowserPanel) {
    TestMusic music;
    EXPECT_EQ(music.castTo(TypeObject), &music);
    EXPECT_EQ(music.castTo(TypeMusic), &music);
    EXPECT_EQ(music.castTo(TypeVisual), nullptr);
    EXPECT_EQ(music.castTo(TypeFloat), nullptr);
    EXPECT_EQ(music.getEditor(), nullptr);
    // Constructed: paused at time 0, a millisecond frame, one beat a second.
    EXPECT_TRUE(music.isPaused());
    EXPECT_EQ(music.time(), 0.0f);
    EXPECT_EQ(music.frameDelta(), 0.001f);
    EXPECT_EQ(music.beatLength(), 1.0f);
}

TEST_F(MusicTest, LoadFailsWithoutAPlayableResource) {
    TestMusic music;
    TiXmlElement missing = musicElement("No such music.ogg");
    EXPECT_FALSE(music.load(&missing));
    TiXmlElement unnamed = musicElement(nullptr);
    EXPECT_FALSE(music.load(&unnamed));
    TiXmlElement font = musicElement("DejaVuSans.ttf");  // a resource, but no Ogg Vorbis
    ASSERT_TRUE(loadResource("DejaVuSans.ttf"));
    EXPECT_FALSE(music.load(&font));
    EXPECT_EQ(music.handle(), 0u);
    EXPECT_FALSE(music.openFile("../bad/music/text.ogg"));
    EXPECT_FALSE(music.openFile("../bad/music/truncated-header.ogg"));
}

TEST_F(MusicTest, LoadsTheProductionsMusicFromADocument) {
    ASSERT_TRUE(loadResource("Music.ogg")) << "the production's music must be linked in";
    // As the Application finds it: the element named "Music", asked for as type 18.
    TiXmlDocument document;
    document.Parse("<demo><music name=\"Music\" resource=\"music.ogg\" tempo=\"324\"/>"
                   "<music name=\"Silent\" resource=\"No such music.ogg\"/></demo>");
    ASSERT_FALSE(document.Error());
    Database database;
    ASSERT_TRUE(database.load(&document));
    auto* music = static_cast<Music*>(database.music(TypeMusic));
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(database.find("Silent", TypeMusic), nullptr);  // a missing resource fails its load
    EXPECT_TRUE(music->isPaused());
    EXPECT_EQ(music->time(), 0.0f);
    EXPECT_NEAR(music->beatLength(), 0.185185f, 1e-6f);
    const auto played = Clock::now();
    music->setPaused(false);
    sleepFor(0.2);
    music->update();
    EXPECT_GT(music->time(), 0.1f);
    EXPECT_LT(music->time(), secondsSince(played) + 0.01);
    // The element is written back unchanged.
    EXPECT_TRUE(music->save(document.RootElement()->FirstChildElement("music")));
    database.deleteObjects();
}

TEST_F(MusicTest, TempoGivesTheBeatLength) {
    TestMusic music;
    ASSERT_TRUE(music.openFile("sine441-22050-mono.ogg", 120));
    EXPECT_EQ(music.beatLength(), 0.5f);
    ASSERT_TRUE(music.openFile("sine441-22050-mono.ogg", 0));
    EXPECT_EQ(music.beatLength(), 1.0f);
    ASSERT_TRUE(music.openFile("sine441-22050-mono.ogg", -60));
    EXPECT_EQ(music.beatLength(), 1.0f);
    // Through the element: absent, a number, and text that reads as no number.
    if (loadResource("Music.ogg")) {
        const std::pair<const char*, float> tempos[] = {{nullptr, 1.0f}, {"120", 0.5f}, {"abc", 1.0f}, {"0", 1.0f}};
        for (auto [tempo, beat] : tempos) {
            Music loaded(nullptr);
            TiXmlElement element = musicElement("Music.ogg", tempo);
            ASSERT_TRUE(loaded.load(&element));
            EXPECT_EQ(loaded.beatLength(), beat) << (tempo ? tempo : "none");
        }
    }
}

TEST_F(MusicTest, FrameDeltaIsAtLeastAMillisecondAndSurvivesTheWrap) {
    TestMusic music;
    ASSERT_TRUE(music.openFile("sine441-22050-mono.ogg"));
    for (int i = 0; i < 50; ++i) {
        music.update();
        EXPECT_GE(music.frameDelta(), 0.001f);
    }
    sleepFor(0.05);
    music.update();
    EXPECT_GE(music.frameDelta(), 0.049f);
    // The last tick just before the counter wrapped; now it is small again.
    music.setLastTick(0xfffffff0u);
    DWORD before = timeGetTime();
    music.update();
    DWORD after = timeGetTime();
    EXPECT_GE(music.frameDelta(), static_cast<float>(before + 16) * 0.001f - 1e-4f);
    EXPECT_LE(music.frameDelta(), static_cast<float>(after + 16) * 0.001f + 1e-4f);
}

TEST_F(MusicTest, TimeFollowsTheStreamOnlyWhilePlaying) {
    TestMusic music;
    ASSERT_TRUE(music.openFile("tones-44100-stereo.ogg"));
    sleepFor(0.1);
    music.update();
    EXPECT_EQ(music.time(), 0.0f);  // loaded music waits to be started
    music.setPaused(false);
    EXPECT_FALSE(music.isPaused());
    sleepFor(0.1);
    const auto beforeStart = Clock::now();
    music.update();
    float start = music.time();
    auto clockStart = Clock::now();
    const double reading = std::chrono::duration<double>(clockStart - beforeStart).count();
    EXPECT_GT(start, 0.0f);
    sleepFor(1.0);
    // The music's time advances as the clock does (both readings bracketed against descheduling).
    bool follows = false;
    for (int attempt = 0; attempt < 5 && !follows; ++attempt) {
        double low = std::chrono::duration<double>(Clock::now() - clockStart).count();
        music.update();
        double high = std::chrono::duration<double>(Clock::now() - clockStart).count() + reading;
        double advanced = music.time() - start;
        follows = advanced > low - 0.004 && advanced < high + 0.004;
    }
    EXPECT_TRUE(follows) << music.time() - start;

    music.setPaused(true);
    EXPECT_TRUE(music.isPaused());
    music.update();
    float held = music.time();
    sleepFor(0.15);
    music.update();
    EXPECT_EQ(music.time(), held);
}

TEST_F(MusicTest, ChangingToTheSameStateChangesNothing) {
    TestMusic music;
    ASSERT_TRUE(music.openFile("tones-44100-stereo.ogg"));
    music.setPaused(false);
    sleepFor(0.2);
    music.update();
    float early = music.time();
    sleepFor(0.2);
    // Playing again must not move the stream back to the time of the last update.
    music.setPaused(false);
    EXPECT_GT(music.streamTime(), early + 0.15);

    music.setPaused(true);
    double stopped = music.streamTime();
    music.setPaused(true);
    sleepFor(0.05);
    EXPECT_EQ(music.streamTime(), stopped);
    EXPECT_TRUE(music.isPaused());
}

TEST_F(MusicTest, SeekPausesAndResumesFromTheSoughtTime) {
    TestMusic music;
    ASSERT_TRUE(music.openFile("tones-44100-stereo.ogg"));
    music.setPaused(false);
    sleepFor(0.1);
    music.seek(2.0f);
    EXPECT_TRUE(music.isPaused());
    EXPECT_EQ(music.time(), 2.0f);
    sleepFor(0.1);
    music.update();
    EXPECT_EQ(music.time(), 2.0f);
    // The stream moves there when playback resumes.
    auto resumed = Clock::now();
    music.setPaused(false);
    sleepFor(0.3);
    music.update();
    EXPECT_GT(music.time(), 2.15f);  // less the output's latency
    EXPECT_LT(music.time(), 2.0 + secondsSince(resumed) + 0.01);

    music.seek(-3.0f);
    EXPECT_TRUE(music.isPaused());
    EXPECT_EQ(music.time(), 0.0f);
    resumed = Clock::now();
    music.setPaused(false);
    sleepFor(0.2);
    music.update();
    EXPECT_GT(music.time(), 0.1f);
    EXPECT_LT(music.time(), secondsSince(resumed) + 0.01);
}

TEST_F(MusicTest, PlayingPastTheEndKeepsTheEnd) {
    TestMusic music;
    ASSERT_TRUE(music.openFile("sine441-22050-mono.ogg"));  // 2 s
    music.seek(1.9f);
    music.setPaused(false);
    sleepFor(0.4);
    music.update();
    EXPECT_EQ(music.time(), 2.0f);
    sleepFor(0.1);
    music.update();
    EXPECT_EQ(music.time(), 2.0f);
    // Sought beyond the end, it plays from the end rather than from where it stopped before.
    music.seek(30.0f);
    music.setPaused(false);
    music.update();
    EXPECT_EQ(music.time(), 2.0f);
}

TEST_F(MusicTest, TransportPanelIsKeptOnceBuilt) {
    TestMusic music;
    ASSERT_TRUE(music.openFile("sine441-22050-mono.ogg"));
    TransportPanel* panel = music.transportPanel();
    // Without a display the panel may not build; either way it is asked for again or kept, and
    // the clock works on with or without it.
    EXPECT_EQ(music.transportPanel(), panel);
    music.setPaused(false);
    music.update();
    music.seek(1.0f);
    music.update();
    EXPECT_EQ(music.time(), 1.0f);
}
