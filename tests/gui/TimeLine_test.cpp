// The time line: the ranges it shows for an overlay, a scene and a group, drawn where the strip's
// columns put them; what a click, a right drag, a right click and the wheel do to the music and
// the view; the loop the music is given, which ends where it was marked; and a path's key ticks,
// which pick the current key and move it as one undo step.
#include "clock/Music.h"
#include "gui/EditHistory.h"
#include "gui/MusicDocumentTest.h"
#include "gui/RecordingHost.h"
#include "gui/TimeLine.h"
#include "paths/PathSpline.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

const char* const Document =
    "<demo>"
    "<texture.file name=\"Black\" resource=\"black.jpg\"/>"
    "<visual.overlay name=\"Fade\" texture=\"Black\" start=\"2.5\" stop=\"9\"/>"
    "<float name=\"X\"><key t=\"1\" v=\"0\"/><key t=\"3\" v=\"8\"/></float>"
    "<visual.overlay name=\"Slide\" texture=\"Black\" start=\"0\" stop=\"4\" position=\"0 @X 16 16\" alpha=\"@X\"/>"
    "<path.spline name=\"Camera\"><key p=\"0 0 0 0 0 0\" t=\"12\"/><key p=\"9 0 0 0 0 0\" t=\"20.5\"/></path.spline>"
    "<model.group name=\"World\"/>"
    "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\"/>"
    "<visual.group name=\"Inner\"><item visual=\"Fade\"/><item visual=\"Scene\"/></visual.group>"
    "<visual.group name=\"Main\"><item visual=\"Scene\"/><item visual=\"Inner\"/><item visual=\"Fade\"/></visual.group>"
    "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>"
    "</demo>";

class TimeLineRanges : public MusicDocumentTest {
protected:
    TimeLineRanges() : MusicDocumentTest(400, 60, Document) {}
};

TEST_F(TimeLineRanges, MatchTheAttributesAndKeysAndAreDrawnThere) {
    TimeRanges ranges;
    ranges.measure(doc.database.find("Fade", TypeVisual));
    ASSERT_EQ(ranges.rowCount, 1);
    ASSERT_EQ(ranges.rows[0].ranges.size(), 1u);
    EXPECT_EQ(ranges.rows[0].ranges[0].start, 2.5f);
    EXPECT_EQ(ranges.rows[0].ranges[0].stop, 9.0f);

    ranges.measure(doc.database.find("Scene", TypeVisual));
    ASSERT_EQ(ranges.rowCount, 1);
    ASSERT_EQ(ranges.rows[0].ranges.size(), 1u);
    EXPECT_EQ(ranges.rows[0].ranges[0].start, 12.0f);
    EXPECT_EQ(ranges.rows[0].ranges[0].stop, 20.5f);

    // A group: one row per item, a nested group's row holding all it shows.
    ranges.measure(doc.database.find("Main", TypeVisual));
    ASSERT_EQ(ranges.rowCount, 3);
    EXPECT_EQ(ranges.rows[0].name, "Scene");
    EXPECT_EQ(ranges.rows[1].name, "Inner");
    ASSERT_EQ(ranges.rows[1].ranges.size(), 2u);
    EXPECT_EQ(ranges.rows[1].ranges[0].start, 2.5f);
    EXPECT_EQ(ranges.rows[1].ranges[1].stop, 20.5f);
    EXPECT_EQ(ranges.rows[2].ranges[0].stop, 9.0f);

    // Over its own row, a row of key ticks for each number that follows a float.
    ranges.measure(doc.database.find("Slide", TypeVisual));
    ASSERT_EQ(ranges.rowCount, 3);
    EXPECT_EQ(ranges.rows[1].name, "position 2");
    EXPECT_EQ(ranges.rows[2].name, "alpha");
    EXPECT_EQ(ranges.rows[2].ticks, (std::vector<float>{1.0f, 3.0f}));

    // A path: its key times as ticks; an object without time: nothing.
    ranges.measure(doc.database.find("Camera", TypePath));
    EXPECT_EQ(ranges.rowCount, 0);
    EXPECT_EQ(ranges.ticks, (std::vector<float>{12.0f, 20.5f}));
    ranges.measure(doc.database.find("World", TypeModel));
    EXPECT_EQ(ranges.rowCount + ranges.ticks.size(), 0u);

    // Drawn: the overlay's bar in the bottom row from its start's column to its stop's, zoomed so
    // that a second is some pixels wide.
    auto* music = static_cast<Music*>(doc.database.music(TypeMusic));
    ASSERT_NE(music, nullptr);
    TimeLine strip;
    ASSERT_TRUE(strip.init(music));
    strip.setRect({0, 5, 400, TimeLine::height});
    strip.wheel({0, 20}, 10.0f);  // zoomed about the left edge: the start stays in view
    ASSERT_TRUE(strip.isZoomed());
    strip.setObject(doc.database.find("Fade", TypeVisual));
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1.0f, 0);
    strip.draw(40.0f, 0.001f);  // the cursor out of view
    const int y = 5 + TimeLine::height - 3;
    const int a = strip.xAt(2.5f), b = strip.xAt(9.0f);
    ASSERT_GT(b - a, 20);
    auto green = [&](int x) {
        const DWORD c = screen.pixel(x, y);
        return ((c >> 8) & 0xff) > ((c >> 16) & 0xff) + 30 && ((c >> 8) & 0xff) > (c & 0xff) + 30;
    };
    EXPECT_TRUE(green(a + 1));
    EXPECT_TRUE(green((a + b) / 2));
    EXPECT_TRUE(green(b - 1));
    EXPECT_FALSE(green(a - 3));
    EXPECT_FALSE(green(b + 3));
}

// A strip over the whole music, driven through a host that grants the capture.
class TimeLineBehaviour : public MusicDocumentTest {
protected:
    TimeLineBehaviour() : MusicDocumentTest(400, 60, Document) {}

    void SetUp() override {
        MusicDocumentTest::SetUp();
        music = static_cast<Music*>(doc.database.music(TypeMusic));
        ASSERT_NE(music, nullptr);
        ASSERT_TRUE(strip.init(music));
        strip.setHost(&host);
        strip.setRect({0, 5, 400, TimeLine::height});
        beat = music->beatLength();
        ASSERT_GT(music->length(), 20 * beat);
    }

    void click(int x) {
        strip.leftButton({x, y}, 0);
        strip.leftButton({x, y}, 2);
    }
    void rightDrag(int from, int to) {
        strip.rightButton({from, y}, 0);
        strip.mouseMove({to, y});
        strip.rightButton({to, y}, 2);
    }
    // The first column whose time lies between `low` and `high` of a beat past a beat.
    int columnAtBeatFraction(float low, float high) {
        for (int x = 1; x < 399; ++x) {
            const float t = strip.timeAt(x) / beat;
            const float fraction = t - std::floor(t);
            if (t > 1 && fraction > low && fraction < high) return x;
        }
        return -1;
    }

    Music* music = nullptr;
    RecordingHost host;
    TimeLine strip;
    float beat = 1;
    const int y = 20;
};

TEST_F(TimeLineBehaviour, AClickSeeksToTheNearestBeatAndShiftSeeksExactly) {
    strip.wheel({0, y}, 8.0f);  // some pixels to a beat
    ASSERT_TRUE(strip.isZoomed());
    for (auto [low, high] : {std::pair{0.6f, 0.9f}, std::pair{0.1f, 0.4f}}) {
        const int x = columnAtBeatFraction(low, high);
        ASSERT_GE(x, 0);
        click(x);
        const float at = strip.timeAt(x);
        EXPECT_LE(std::fabs(music->time() - at), 0.5f * beat) << "not the nearest beat to " << at;
        EXPECT_NEAR(std::remainder(music->time(), beat), 0.0f, 1e-4f) << "not on a beat";
        EXPECT_TRUE(music->isPaused());
    }
    host.keysDown.insert(16);  // Shift
    const int x = columnAtBeatFraction(0.6f, 0.9f);
    click(x);
    EXPECT_FLOAT_EQ(music->time(), strip.timeAt(x));
}

TEST_F(TimeLineBehaviour, TheWheelZoomsAboutThePointerNoDeeperThanTwoMillisecondsAPixel) {
    const float length = music->length();
    const float under = strip.timeAt(150);
    strip.wheel({150, y}, 3.0f);
    EXPECT_TRUE(strip.isZoomed());
    EXPECT_NEAR(strip.timeAt(150), under, 1e-3f);  // the time under the pointer stayed
    strip.wheel({150, y}, 200.0f);
    const float perPixel = (strip.timeAt(300) - strip.timeAt(100)) / 200.0f;
    EXPECT_NEAR(perPixel, 0.002f, 1e-5f);
    // Out as far as it goes: the whole music, no further.
    strip.wheel({150, y}, -400.0f);
    EXPECT_FALSE(strip.isZoomed());
    EXPECT_FLOAT_EQ(strip.timeAt(0), 0.0f);
    EXPECT_NEAR(strip.timeAt(400), length, 1e-3f);
}

TEST_F(TimeLineBehaviour, ARightDragOfThreePixelsMarksALoopOnBeatsAndARightClickClearsIt) {
    strip.wheel({0, y}, 8.0f);
    const int from = columnAtBeatFraction(0.1f, 0.4f);
    ASSERT_GE(from, 0);
    rightDrag(from, from + 2);  // short of a drag: a click, which clears (nothing here)
    EXPECT_FALSE(strip.hasLoop());
    rightDrag(from, from + 40);
    ASSERT_TRUE(strip.hasLoop());
    EXPECT_NEAR(std::remainder(strip.getLoopStart(), beat), 0.0f, 1e-4f);
    EXPECT_NEAR(std::remainder(strip.getLoopEnd(), beat), 0.0f, 1e-4f);
    EXPECT_LE(std::fabs(strip.getLoopStart() - strip.timeAt(from)), 0.5f * beat);
    EXPECT_LE(std::fabs(strip.getLoopEnd() - strip.timeAt(from + 40)), 0.5f * beat);
    const float start = strip.getLoopStart(), end = strip.getLoopEnd();
    rightDrag(from + 100, from + 102);  // under the threshold: the loop is cleared, not moved
    EXPECT_FALSE(strip.hasLoop());
    rightDrag(from, from + 40);
    EXPECT_EQ(strip.getLoopStart(), start);
    EXPECT_EQ(strip.getLoopEnd(), end);
    EXPECT_EQ(host.capture, nullptr);
}

// The music, playing in the marked loop, comes back to its start before passing its end.
TEST_F(TimeLineBehaviour, TheMusicLoopsBetweenTheMarkedStartAndEnd) {
    strip.setLoop(4 * beat, 6 * beat);
    strip.enableLoop(true);
    music->seek(5 * beat);
    music->setPaused(false);
    float latest = music->time(), highest = latest;
    bool jumped = false;
    // Until the jump back; a generous cap on the waiting only keeps a broken loop from hanging.
    for (int i = 0; i < 4000 && !jumped; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        music->update();
        jumped = music->time() < latest;
        latest = music->time();
        if (!jumped) highest = std::max(highest, latest);
    }
    ASSERT_TRUE(jumped) << "the music never came back to the loop's start";
    EXPECT_LT(highest, strip.getLoopEnd()) << "the music played past the marked end";
    EXPECT_GE(latest, strip.getLoopStart());
    EXPECT_LT(latest, strip.getLoopStart() + beat);
    strip.enableLoop(false);
}

const char* const PathDocument =
    "<demo>\n"
    "<path.spline name=\"Camera\">\n"
    "  <key p=\"0 0 0 0 0 0\" t=\"1\"/> <key p=\"10 0 0 0 0 0\" t=\"2\"/>\n"
    "  <key p=\"20 0 0 0 0 0\" t=\"4\"/> <key p=\"30 0 0 0 0 0\" t=\"5\"/>\n"
    "</path.spline>\n"
    "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n"
    "</demo>\n";

class TimeLineKeys : public MusicDocumentTest {
protected:
    TimeLineKeys() : MusicDocumentTest(400, 60, PathDocument) {}
};

std::vector<std::string> keyTimesIn(const std::string& text) {
    TiXmlDocument saved;
    saved.Parse(text.c_str());
    std::vector<std::string> times;
    const TiXmlElement* path = saved.RootElement() ? saved.RootElement()->FirstChildElement("path.spline") : nullptr;
    for (const TiXmlElement* k = path ? path->FirstChildElement("key") : nullptr; k; k = k->NextSiblingElement("key"))
        times.push_back(k->Attribute("t") ? k->Attribute("t") : "");
    return times;
}

TEST_F(TimeLineKeys, DraggingATickMovesThatKeyInTheSavedFileNeverPastTheNextAndUndoGivesTheBytesBack) {
    const std::string folder = testing_paths::makeTempDir();
    const std::string file = folder + "/demo.xml";
    doc.placeIn(file);
    auto* camera = doc.find<PathSpline>("Camera", TypePathSpline);
    auto* music = static_cast<Music*>(doc.database.music(TypeMusic));
    ASSERT_NE(camera, nullptr);
    ASSERT_NE(music, nullptr);
    RecordingHost host;
    TimeLine strip;
    ASSERT_TRUE(strip.init(music));
    strip.setHost(&host);
    strip.setRect({0, 5, 400, TimeLine::height});
    strip.wheel({0, 20}, 8.0f);  // a beat (half a second) is some pixels wide
    ASSERT_LT(strip.xAt(5.0f), 390);
    strip.setObject(camera);
    EditHistory history;
    history.activate();
    const int y = 5 + TimeLine::height - 3;

    strip.leftButton({strip.xAt(5.0f), y}, 0);  // a click: the key is current, nothing edited
    strip.leftButton({strip.xAt(5.0f), y}, 2);
    EXPECT_EQ(camera->getCurrentKey(), 3);
    EXPECT_FALSE(history.canUndo());

    strip.leftButton({strip.xAt(2.0f), y}, 0);
    EXPECT_EQ(camera->getCurrentKey(), 1);
    EXPECT_EQ(music->time(), 2.0f);
    strip.mouseMove({strip.xAt(3.1f), y});
    EXPECT_EQ(camera->keyAt(1).time, 3.0f);  // on the beat
    strip.mouseMove({strip.xAt(4.7f), y});   // past the next key: held at its time
    strip.leftButton({strip.xAt(4.7f), y}, 2);
    ASSERT_TRUE(doc.database.saveAs((folder + "/Backup.xml").c_str())) << doc.database.saveError();
    EXPECT_EQ(keyTimesIn(testing_paths::readFile(folder + "/Backup.xml")),
              (std::vector<std::string>{"1.000000", "4.000000", "4.000000", "5.000000"}));

    ASSERT_GE(history.undo(&doc.database), 0);
    EXPECT_FALSE(history.canUndo());  // the whole drag was one step
    ASSERT_TRUE(doc.database.save());
    EXPECT_EQ(testing_paths::readFile(file), doc.source);
    std::filesystem::remove_all(folder);
}

}  // namespace
