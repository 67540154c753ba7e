// The frame: margins around its one child, measuring, focus and hover through it; and the panel
// it draws (gradient fill, black border) checked pixel by pixel on the real device.
#include "gui/Frame.h"
#include "gui/HBox.h"
#include "gui/RecordingHost.h"
#include "support/TestDevice.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameLayout, ChildGetsTheRectangleInsideTheMargins) {
    ProbeWidget child;
    child.setSizeHint(30, 12, true, false);
    Frame frame;
    frame.setChild(&child);
    EXPECT_EQ(frame.getSizeHint().width, 40);
    EXPECT_EQ(frame.getSizeHint().height, 22);
    EXPECT_TRUE(frame.getSizeHint().fixedWidth);
    EXPECT_FALSE(frame.getSizeHint().fixedHeight);
    frame.setRect({10, 20, 100, 50});
    const Rect r = child.getRect();
    EXPECT_EQ(r.x, 15);
    EXPECT_EQ(r.y, 25);
    EXPECT_EQ(r.width, 90);
    EXPECT_EQ(r.height, 40);
}

TEST(FrameLayout, NewMarginsMeasureAndLayOutAgain) {
    ProbeWidget child;
    child.setSizeHint(30, 12, false, false);
    Frame frame;
    frame.setChild(&child);
    frame.setRect({0, 0, 100, 50});
    frame.setMargins({2, 3});
    EXPECT_EQ(frame.getSizeHint().width, 34);
    EXPECT_EQ(frame.getSizeHint().height, 18);
    EXPECT_EQ(child.getRect().x, 2);
    EXPECT_EQ(child.getRect().height, 44);
}

TEST(FrameLayout, ReplacingTheChildDetachesTheOldOne) {
    RecordingHost host;
    ProbeWidget a, b;
    Frame frame;
    frame.setHost(&host);
    frame.setChild(&a);
    ASSERT_TRUE(frame.focusIn(0));
    EXPECT_TRUE(a.isFocused());
    frame.setChild(&b);
    EXPECT_EQ(a.getHost(), nullptr);
    EXPECT_FALSE(a.isFocused());
    EXPECT_TRUE(b.isFocused());  // the frame had the focus: the new child gets it
    EXPECT_EQ(b.getHost(), frame.childHost());
    frame.setChild(nullptr);
    EXPECT_TRUE(frame.draw(0, 0.01f));  // an empty frame draws its panel and answers true
    EXPECT_EQ(b.getHost(), nullptr);
}

TEST(FrameFocus, RefusedByItsChildIsRefusedByTheFrame) {
    ProbeWidget label(false);
    Frame frame;
    frame.setChild(&label);
    EXPECT_FALSE(frame.focusIn(0));
    EXPECT_FALSE(frame.isFocused());
    Frame empty;
    EXPECT_FALSE(empty.focusIn(0));
}

TEST(FrameFocus, OnlyForwardsKeysAndNeverMovesTheFocusWithTab) {
    ProbeWidget child;
    Frame frame;
    frame.setChild(&child);
    frame.focusIn(0);
    EXPECT_FALSE(frame.key(9, true));
    EXPECT_EQ(child.lastKey, 9);
    EXPECT_TRUE(child.isFocused());
    child.handlesKeys = true;
    EXPECT_TRUE(frame.key(40, true));
}

TEST(FrameHover, MouseInsideTheMarginsReachesTheChild) {
    ProbeWidget child;
    Frame frame;
    frame.setChild(&child);
    frame.setRect({0, 0, 40, 40});
    frame.leftButton({2, 2}, 0);  // on the margin
    EXPECT_EQ(child.leftButtons, 0);
    frame.leftButton({20, 20}, 0);
    EXPECT_EQ(child.leftButtons, 1);
    EXPECT_TRUE(child.isHovered());
    frame.mouseMove({1, 1});
    EXPECT_FALSE(child.isHovered());
    EXPECT_EQ(frame.getHoveredChild(), nullptr);
}

TEST(FrameDraw, AnswersItsChildsResult) {
    ProbeWidget child(true, false);
    Frame frame;
    frame.setChild(&child);
    EXPECT_FALSE(frame.draw(0, 0.01f));
    EXPECT_EQ(child.draws, 1);
}

}  // namespace

// --- drawing on the real device ------------------------------------------------------------------


namespace {

int channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xff); }

TEST(FrameDrawing, GradientPanelInsideABlackBorder) {
    TestDevice screen(64, 64);
    Frame frame;
    frame.setRect({8, 8, 40, 30});
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1.0f, 0);
    EXPECT_TRUE(frame.draw(0, 0.01f));
    screen->EndScene();

    // (The strip's closing corner at the bottom left is left to the rasteriser's last-pixel rule.)
    for (Point p : {Point{8, 8}, Point{47, 8}, Point{47, 37}, Point{9, 37}, Point{8, 36}, Point{28, 8},
                    Point{8, 20}, Point{47, 20}, Point{28, 37}})
        EXPECT_EQ(screen.pixel(p.x, p.y) & 0xffffff, 0u) << "border at " << p.x << "," << p.y;
    for (Point p : {Point{7, 7}, Point{48, 20}, Point{28, 38}, Point{28, 7}})
        EXPECT_EQ(screen.pixel(p.x, p.y) & 0xffffff, 0x00ff00u) << "outside at " << p.x << "," << p.y;

    // White at the left edge, 0x90a0c0 at the right, straight in between; blending is off.
    const DWORD left = screen.pixel(9, 20), right = screen.pixel(46, 20), middle = screen.pixel(28, 20);
    EXPECT_GE(channel(left, 16), 250);
    EXPECT_GE(channel(left, 0), 250);
    EXPECT_NEAR(channel(right, 16), 0x90, 4);
    EXPECT_NEAR(channel(right, 8), 0xa0, 4);
    EXPECT_NEAR(channel(right, 0), 0xc0, 4);
    EXPECT_NEAR(channel(middle, 16), (255 + 0x90) / 2, 6);
    EXPECT_EQ(channel(screen.pixel(9, 12), 16), channel(screen.pixel(9, 35), 16));  // no vertical change
}

TEST(FrameDrawing, TheSharedStateBlockSurvivesFramesComingAndGoing) {
    TestDevice screen(32, 32);
    for (int round = 0; round < 2; ++round) {
        Frame first;
        first.setRect({0, 0, 16, 16});
        {
            Frame second;
            second.setRect({16, 16, 16, 16});
            screen->BeginScene();
            screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff0000, 1.0f, 0);
            second.draw(0, 0.01f);
            screen->EndScene();
        }
        screen->BeginScene();
        first.draw(0, 0.01f);  // the block recorded by a Frame that is gone
        screen->EndScene();
        EXPECT_EQ(screen.pixel(0, 0) & 0xffffff, 0u);
        EXPECT_GE(channel(screen.pixel(2, 8), 8), 240);
        EXPECT_EQ(screen.pixel(16, 16) & 0xffffff, 0u);
    }
}

}  // namespace
