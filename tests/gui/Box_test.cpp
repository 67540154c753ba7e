// Row and column layout, measuring, focus traversal, hover and click focus of the boxes.
#include "gui/HBox.h"
#include "gui/VBox.h"
#include "gui/RecordingHost.h"

#include <gtest/gtest.h>

namespace {

constexpr int Tab = 9;
constexpr int Shift = 16;

Rect rectOf(Widget& w) { return w.getRect(); }

TEST(BoxLayout, FixedLabelAndStretchingChildShareA300PixelRow) {
    ProbeWidget button, label, stretch;
    button.setSizeHint(16, 16, true, true);
    label.setSizeHint(40, 13, true, false);
    stretch.setSizeHint(0, 0, false, false);
    Widget* list[] = {&button, &label, &stretch};
    HBox row;
    row.setChildren(list, 3);
    EXPECT_EQ(row.getSizeHint().width, 64);  // 16 + 40 + 0 + 2 spacings
    EXPECT_FALSE(row.getSizeHint().fixedWidth);
    EXPECT_TRUE(row.getSizeHint().fixedHeight);

    row.setRect({10, 20, 300, 30});
    EXPECT_EQ(rectOf(button).x, 10);
    EXPECT_EQ(rectOf(button).width, 16);
    EXPECT_EQ(rectOf(label).x, 30);
    EXPECT_EQ(rectOf(label).width, 40);
    EXPECT_EQ(rectOf(stretch).x, 10 + 64);
    EXPECT_EQ(rectOf(stretch).width, 236);
    // Children without a fixed height get the whole height at the top.
    EXPECT_EQ(rectOf(label).y, 20);
    EXPECT_EQ(rectOf(label).height, 30);
}

TEST(BoxLayout, LastStretchingChildTakesTheRemainder) {
    ProbeWidget a, b;
    a.setSizeHint(10, 5, false, false);
    b.setSizeHint(20, 5, false, false);
    Widget* list[] = {&a, &b};
    HBox row;
    row.setChildren(list, 2);
    row.setRect({0, 0, 10 + 4 + 20 + 7, 5});
    EXPECT_EQ(rectOf(a).width, 13);
    EXPECT_EQ(rectOf(b).width, 24);
    EXPECT_EQ(rectOf(b).x, 13 + 4);
}

TEST(BoxLayout, NegativeSpareShrinksStretchingChildrenTowardZero) {
    ProbeWidget a, b;
    a.setSizeHint(20, 5, false, false);
    b.setSizeHint(20, 5, false, false);
    Widget* list[] = {&a, &b};
    HBox row;
    row.setChildren(list, 2);
    row.setRect({0, 0, 44 - 5, 5});  // 5 short: -5 / 2 truncates to -2, the last takes -3
    EXPECT_EQ(rectOf(a).width, 18);
    EXPECT_EQ(rectOf(b).width, 17);
}

TEST(BoxLayout, FixedHeightChildIsCentredInTheRow) {
    ProbeWidget icon;
    icon.setSizeHint(16, 16, true, true);
    Widget* list[] = {&icon};
    HBox row;
    row.setChildren(list, 1);
    row.setRect({0, 100, 50, 30});
    EXPECT_EQ(rectOf(icon).y, 107);
    EXPECT_EQ(rectOf(icon).height, 16);
}

TEST(BoxLayout, ColumnMeasuresAndLaysOutAlongY) {
    ProbeWidget top, middle, bottom;
    top.setSizeHint(30, 10, true, true);    // centred horizontally
    middle.setSizeHint(50, 0, false, false);  // stretches
    bottom.setSizeHint(20, 12, false, true);  // full width
    Widget* list[] = {&top, &middle, &bottom};
    VBox column;
    column.setChildren(list, 3);
    const SizeHint h = column.getSizeHint();
    EXPECT_EQ(h.width, 50);
    EXPECT_EQ(h.height, 10 + 0 + 12 + 8);
    EXPECT_FALSE(h.fixedHeight);  // one child stretches
    EXPECT_TRUE(h.fixedWidth);    // one child has a fixed width

    column.setRect({5, 5, 100, 200});
    EXPECT_EQ(rectOf(top).x, 5 + 35);
    EXPECT_EQ(rectOf(top).width, 30);
    EXPECT_EQ(rectOf(middle).y, 5 + 14);
    EXPECT_EQ(rectOf(middle).height, 200 - 30);
    EXPECT_EQ(rectOf(middle).width, 100);
    EXPECT_EQ(rectOf(bottom).y, 5 + 14 + 170 + 4);
    EXPECT_EQ(rectOf(bottom).x, 5);
}

TEST(BoxLayout, RowIsFixedWidthOnlyWhenEveryChildIs) {
    ProbeWidget a, b;
    a.setSizeHint(10, 5, true, false);
    b.setSizeHint(10, 5, true, false);
    Widget* list[] = {&a, &b};
    HBox row;
    row.setChildren(list, 2);
    EXPECT_TRUE(row.getSizeHint().fixedWidth);
    EXPECT_FALSE(row.getSizeHint().fixedHeight);
}

TEST(BoxLayout, SetChildrenDetachesOldChildrenAndAttachesNew) {
    ProbeWidget a, b, c;
    Widget* first[] = {&a, &b};
    Widget* second[] = {&b, &c};
    HBox row;
    row.setChildren(first, 2);
    EXPECT_EQ(a.getHost(), row.childHost());
    row.setChildren(second, 2);
    EXPECT_EQ(a.getHost(), nullptr);
    EXPECT_EQ(b.getHost(), row.childHost());
    EXPECT_EQ(c.getHost(), row.childHost());
}

class BoxFocus : public ::testing::Test {
protected:
    void SetUp() override {
        Widget* list[] = {&label, &first, &second};
        std::copy(list, list + 3, children);
        row.setHost(&host);
        row.setChildren(children, 3);
        row.setRect({0, 0, 300, 20});
    }
    RecordingHost host;
    ProbeWidget label{false}, first{true}, second{true};
    Widget* children[3] = {};
    HBox row;
};

TEST_F(BoxFocus, FocusInSkipsChildrenThatRefuse) {
    EXPECT_TRUE(row.focusIn(0));
    EXPECT_TRUE(row.isFocused());
    EXPECT_EQ(row.getFocusedChild(), &first);
    EXPECT_TRUE(first.isFocused());
}

TEST_F(BoxFocus, BackwardFocusStartsAtTheLastChild) {
    EXPECT_TRUE(row.focusIn(1));
    EXPECT_EQ(row.getFocusedChild(), &second);
    EXPECT_EQ(second.lastFocusDirection, 1);
}

TEST_F(BoxFocus, TabMovesForwardAndFailsPastTheLastChild) {
    row.focusIn(0);
    EXPECT_TRUE(row.key(Tab, true));
    EXPECT_EQ(row.getFocusedChild(), &second);
    EXPECT_FALSE(first.isFocused());
    EXPECT_FALSE(row.key(Tab, true));  // the parent moves on
    EXPECT_EQ(row.getFocusedChild(), nullptr);
    EXPECT_FALSE(second.isFocused());
}

TEST_F(BoxFocus, ShiftTabFromTheFirstFocusableChildFails) {
    row.focusIn(0);
    host.keysDown.insert(Shift);
    EXPECT_FALSE(row.key(Tab, true));
    EXPECT_FALSE(first.isFocused());
    EXPECT_FALSE(label.isFocused());
}

TEST_F(BoxFocus, TabKeyUpAndHandledKeysDoNotMoveTheFocus) {
    row.focusIn(0);
    EXPECT_FALSE(row.key(Tab, false));
    EXPECT_EQ(row.getFocusedChild(), &first);
    first.handlesKeys = true;
    EXPECT_TRUE(row.key(Tab, true));
    EXPECT_EQ(row.getFocusedChild(), &first);
    EXPECT_EQ(first.lastKey, Tab);
}

TEST_F(BoxFocus, ClickingALabelLeavesTheFocusWhereItWas) {
    row.focusIn(0);
    const Point onLabel{1, 1};
    ASSERT_TRUE(label.getRect().width > 0);
    row.leftButton(onLabel, 0);
    EXPECT_EQ(label.leftButtons, 1);
    EXPECT_EQ(row.getFocusedChild(), &first);
    EXPECT_TRUE(first.isFocused());
}

TEST_F(BoxFocus, ClickingAFocusableChildFocusesIt) {
    row.focusIn(0);
    const Rect r = second.getRect();
    row.leftButton({r.x + 1, r.y + 1}, 0);
    EXPECT_EQ(row.getFocusedChild(), &second);
    EXPECT_EQ(second.lastFocusDirection, 2);
    EXPECT_FALSE(first.isFocused());
}

TEST_F(BoxFocus, ClicksInAnUnfocusedBoxDoNotTakeTheFocus) {
    const Rect r = second.getRect();
    row.leftButton({r.x + 1, r.y + 1}, 0);
    EXPECT_EQ(second.leftButtons, 1);
    EXPECT_EQ(row.getFocusedChild(), nullptr);
    EXPECT_FALSE(second.isFocused());
}

TEST_F(BoxFocus, FocusOutReleasesTheChain) {
    row.focusIn(0);
    row.focusOut();
    EXPECT_FALSE(row.isFocused());
    EXPECT_FALSE(first.isFocused());
    EXPECT_EQ(row.getFocusedChild(), nullptr);
}

TEST_F(BoxFocus, NewChildrenGetTheFocusWhenTheBoxHasIt) {
    row.focusIn(0);
    ProbeWidget other;
    Widget* list[] = {&other};
    row.setChildren(list, 1);
    EXPECT_FALSE(first.isFocused());
    EXPECT_TRUE(other.isFocused());
}

TEST(BoxNesting, TabRunsFromTheInnerBoxToTheOuterBoxsNextChild) {
    RecordingHost host;
    ProbeWidget a, b, c;
    HBox inner;
    Widget* innerList[] = {&a, &b};
    inner.setChildren(innerList, 2);
    VBox outer;
    Widget* outerList[] = {&inner, &c};
    outer.setChildren(outerList, 2);
    outer.setHost(&host);
    outer.setRect({0, 0, 100, 100});

    ASSERT_TRUE(outer.focusIn(0));
    EXPECT_TRUE(a.isFocused());
    EXPECT_TRUE(outer.key(Tab, true));
    EXPECT_TRUE(b.isFocused());
    EXPECT_TRUE(outer.key(Tab, true));
    EXPECT_TRUE(c.isFocused());
    EXPECT_FALSE(b.isFocused());
    EXPECT_FALSE(inner.isFocused());
    host.keysDown.insert(Shift);
    EXPECT_TRUE(outer.key(Tab, true));  // back into the inner box at its last child
    EXPECT_TRUE(b.isFocused());
}

TEST(BoxHover, MouseCallsGoToTheChildUnderThePointer) {
    ProbeWidget a, b;
    a.setSizeHint(10, 10, true, true);
    b.setSizeHint(10, 10, true, true);
    Widget* list[] = {&a, &b};
    HBox row;
    row.setChildren(list, 2);
    row.setRect({0, 0, 24, 10});
    row.mouseMove({15, 5});
    EXPECT_EQ(row.getHoveredChild(), &b);
    EXPECT_TRUE(b.isHovered());
    EXPECT_EQ(b.moves, 1);
    row.wheel({2, 5}, -2.0f);
    EXPECT_EQ(row.getHoveredChild(), &a);
    EXPECT_FALSE(b.isHovered());
    EXPECT_FLOAT_EQ(a.wheelNotches, -2.0f);
    row.mouseMove({12, 5});  // the gap between them
    EXPECT_EQ(row.getHoveredChild(), nullptr);
    EXPECT_FALSE(a.isHovered());
    row.mouseMove({3, 3});
    row.mouseLeave();
    EXPECT_FALSE(a.isHovered());
    EXPECT_EQ(row.getHoveredChild(), nullptr);
}

TEST(BoxDraw, DrawsEveryChildAndAnswersTrueOnlyIfAllDid) {
    ProbeWidget a(true, false), b;
    Widget* list[] = {&a, &b};
    HBox row;
    EXPECT_TRUE(row.draw(0, 0.01f));  // empty
    row.setChildren(list, 2);
    EXPECT_FALSE(row.draw(0, 0.01f));
    EXPECT_EQ(a.draws, 1);
    EXPECT_EQ(b.draws, 1);
}

TEST(BoxHost, ChildrenReachTheDisplayThroughTheBox) {
    RecordingHost host;
    ProbeWidget a;
    Widget* list[] = {&a};
    HBox inner;
    inner.setChildren(list, 1);
    Widget* outerList[] = {&inner};
    VBox outer;
    outer.setChildren(outerList, 1);
    outer.setHost(&host);

    WidgetHost* up = a.getHost();
    ASSERT_NE(up, nullptr);
    EXPECT_TRUE(up->setCapture(&a));
    EXPECT_EQ(host.capture, &a);
    up->releaseCapture();
    EXPECT_EQ(host.capture, nullptr);
    up->showCursor(true);
    EXPECT_TRUE(host.cursorShown);
    up->beginWindowDrag();
    EXPECT_EQ(host.windowDrags, 1);
    host.keysDown.insert(Shift);
    EXPECT_TRUE(up->isKeyDown(Shift));
    // Re-measuring stays inside: the display is not told.
    up->childChanged();
    EXPECT_EQ(host.childChanges, 0);

    outer.setHost(nullptr);
    EXPECT_FALSE(up->setCapture(&a));
    EXPECT_FALSE(up->isKeyDown(Shift));
}

}  // namespace
