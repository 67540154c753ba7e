// The button's click rules: Space and Return on key-down, a press then release of the left
// button, nothing for a double-click alone, and leaving cancels the press.
#include "gui/Button.h"
#include "gui/ButtonListener.h"
#include "gui/HBox.h"
#include "gui/RecordingHost.h"
#include "support/TestDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Clicks : ButtonListener {
    void clicked(Button* button) override { ids.push_back(button->getId()); }
    std::vector<int> ids;
};

TEST(ButtonBehaviour, SpaceAndReturnClickOnKeyDown) {
    Clicks clicks;
    Button button;
    button.setListener(3, &clicks);
    EXPECT_TRUE(button.key(32, true));
    EXPECT_TRUE(button.key(13, true));
    EXPECT_FALSE(button.key(32, false));
    EXPECT_FALSE(button.key(27, true));
    EXPECT_FALSE(button.key(9, true));
    EXPECT_EQ(clicks.ids, (std::vector<int>{3, 3}));
}

TEST(ButtonBehaviour, PressAndReleaseClick) {
    Clicks clicks;
    Button button;
    button.setListener(1, &clicks);
    button.leftButton({0, 0}, 0);
    EXPECT_TRUE(button.isPressed());
    EXPECT_TRUE(clicks.ids.empty());
    button.leftButton({0, 0}, 1);  // a double-click alone does nothing
    EXPECT_TRUE(clicks.ids.empty());
    button.leftButton({0, 0}, 2);
    EXPECT_FALSE(button.isPressed());
    EXPECT_EQ(clicks.ids, (std::vector<int>{1}));
}

TEST(ButtonBehaviour, AReleaseClicksOnlyAfterAPressOnTheButton) {
    // Pressed on the list, released over the close button: no click, nothing saved or ended.
    RecordingHost host;
    Clicks clicks;
    ProbeWidget list;
    Button button;
    button.setListener(1, &clicks);
    Widget* children[] = {&list, &button};
    HBox row;
    row.setHost(&host);
    row.setChildren(children, 2);
    row.setRect({0, 0, 36, 16});
    row.leftButton({5, 5}, 0);
    row.mouseMove({25, 5});
    row.leftButton({25, 5}, 2);
    EXPECT_TRUE(clicks.ids.empty());
    // A quick second click arrives as a double-click press; its release clicks too.
    row.leftButton({25, 5}, 0);
    row.leftButton({25, 5}, 2);
    row.leftButton({25, 5}, 1);
    row.leftButton({25, 5}, 2);
    EXPECT_EQ(clicks.ids, (std::vector<int>{1, 1}));
}

TEST(ButtonBehaviour, LeavingClearsHoverAndPress) {
    Button button;
    button.setRect({0, 0, 16, 16});
    EXPECT_TRUE(button.hitTest({3, 3}));
    button.leftButton({3, 3}, 0);
    button.mouseLeave();
    EXPECT_FALSE(button.isHovered());
    EXPECT_FALSE(button.isPressed());
}

TEST(ButtonBehaviour, WithoutAListenerNothingHappens) {
    Button button;
    EXPECT_TRUE(button.key(32, true));
    button.leftButton({0, 0}, 0);
    button.leftButton({0, 0}, 2);
    EXPECT_FALSE(button.isPressed());
}

TEST(ButtonLayout, HintFollowsTheRectangle) {
    Button button;
    EXPECT_EQ(button.getSizeHint().width, 16);
    EXPECT_TRUE(button.getSizeHint().fixedWidth && button.getSizeHint().fixedHeight);
    button.setRect({4, 4, 20, 18});
    EXPECT_EQ(button.getSizeHint().width, 20);
    EXPECT_EQ(button.getSizeHint().height, 18);
    EXPECT_TRUE(button.getSizeHint().fixedWidth);
}

TEST(ButtonInBox, ClickInAFocusedRowFocusesAndClicksTheButton) {
    RecordingHost host;
    Clicks clicks;
    Button a, b;
    a.setListener(0, &clicks);
    b.setListener(1, &clicks);
    Widget* list[] = {&a, &b};
    HBox row;
    row.setHost(&host);
    row.setChildren(list, 2);
    row.setRect({0, 0, 36, 16});
    ASSERT_TRUE(row.focusIn(0));
    EXPECT_TRUE(a.isFocused());
    row.leftButton({25, 5}, 0);
    row.leftButton({25, 5}, 2);
    EXPECT_TRUE(b.isFocused());
    EXPECT_FALSE(a.isFocused());
    EXPECT_EQ(clicks.ids, (std::vector<int>{1}));
    EXPECT_TRUE(row.key(32, true));  // Space now clicks the focused button
    EXPECT_EQ(clicks.ids, (std::vector<int>{1, 1}));
}

}  // namespace

// --- drawing on the real device ------------------------------------------------------------------


namespace {

int channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xff); }

TEST(ButtonDrawing, IconIsTintedAndHalfTransparentUnlessHoveredOrFocused) {
    TestDevice screen(32, 32);
    Button button;
    ASSERT_TRUE(button.setIcon(120)) << "the close icon resource";
    button.setRect({8, 8, 16, 16});

    auto drawOnBlack = [&]() {
        screen->BeginScene();
        screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
        button.draw(0, 0.01f);
        screen->EndScene();
        return screen.readback();
    };

    button.focusIn(0);
    const std::vector<DWORD> focused = drawOnBlack();
    int best = -1;
    for (int y = 10; y < 22; ++y)  // inside the focus mark
        for (int x = 10; x < 22; ++x)
            if (best < 0 || channel(focused[y * 32 + x], 16) > channel(focused[best], 16)) best = y * 32 + x;
    ASSERT_GT(channel(focused[best], 16), 100) << "the icon should have something bright";
    for (int x = 0; x < 32; ++x) EXPECT_EQ(focused[2 * 32 + x] & 0xffffff, 0u);  // nothing outside
    // The focus shows as a frame on the button's edge, which nothing else draws.
    for (int corner : {8 * 32 + 8, 8 * 32 + 23, 23 * 32 + 8, 23 * 32 + 23})
        EXPECT_EQ(focused[corner] & 0xffffff, FocusMark::colour & 0xffffff) << corner;

    button.focusOut();
    const std::vector<DWORD> plain = drawOnBlack();
    EXPECT_NE(plain[8 * 32 + 8] & 0xffffff, FocusMark::colour & 0xffffff);
    EXPECT_NEAR(channel(plain[best], 16), channel(focused[best], 16) * 0x80 / 255, 4);

    EXPECT_TRUE(button.hitTest({10, 10}));  // hovered counts like focused
    const std::vector<DWORD> hovered = drawOnBlack();
    EXPECT_NEAR(channel(hovered[best], 16), channel(focused[best], 16), 2);

    button.highlighted = true;
    const std::vector<DWORD> highlighted = drawOnBlack();
    EXPECT_NEAR(channel(highlighted[best], 16), channel(focused[best], 16) * 0x8c / 255, 4);
    EXPECT_NEAR(channel(highlighted[best], 8), channel(focused[best], 8) * 0xe0 / 255, 4);
    EXPECT_NEAR(channel(highlighted[best], 0), channel(focused[best], 0), 3);
}

TEST(ButtonDrawing, AMissingIconFailsAndLeavesTheButtonUsable) {
    TestDevice screen(16, 16);
    Button button;
    EXPECT_FALSE(button.setIcon(99999));
    screen->BeginScene();
    EXPECT_TRUE(button.draw(0, 0.01f));
    screen->EndScene();
}

}  // namespace
