// The time line's ranges: what it shows for an overlay, a scene and a group, against their
// attributes and keys, and drawn where the strip's columns put them.
#include "clock/Music.h"
#include "gui/MusicDocumentTest.h"
#include "gui/TimeLine.h"

#include <gtest/gtest.h>

namespace {

const char* const Document =
    "<demo>"
    "<texture.file name=\"Black\" resource=\"black.jpg\"/>"
    "<visual.overlay name=\"Fade\" texture=\"Black\" start=\"2.5\" stop=\"9\"/>"
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

}  // namespace
