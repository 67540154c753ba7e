// The title picture: its hint, its refusal of the focus, the window drag on a press, and the
// gradient tint it is drawn with.
#include "gui/TitleImage.h"

#include "gui/HBox.h"
#include "gui/RecordingHost.h"
#include "support/TestDevice.h"

#include <gtest/gtest.h>

namespace {

TEST(TitleImage, PressStartsAWindowDragThroughTheContainers) {
    RecordingHost host;
    TitleImage title;
    Widget* list[] = {&title};
    HBox row;
    row.setHost(&host);
    row.setChildren(list, 1);
    row.setRect({0, 0, 300, 16});
    const SizeHint h = title.getSizeHint();
    EXPECT_EQ(h.width, 128);
    EXPECT_EQ(h.height, 16);
    EXPECT_FALSE(h.fixedWidth);
    EXPECT_TRUE(h.fixedHeight);
    EXPECT_EQ(title.getRect().width, 300);  // it takes the spare width

    row.leftButton({200, 5}, 0);
    EXPECT_EQ(host.windowDrags, 1);
    row.leftButton({200, 5}, 2);
    row.leftButton({200, 5}, 1);
    EXPECT_EQ(host.windowDrags, 1);
    EXPECT_FALSE(title.focusIn(2));
}

TEST(TitleImage, DrawnAtItsOwnSizeAtTheLeftWithTheTint) {
    TestDevice screen(200, 32);
    TitleImage title;
    ASSERT_TRUE(title.setIcon(129));
    title.setRect({4, 8, 190, 16});
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    EXPECT_TRUE(title.draw(0, 0.01f));
    screen->EndScene();
    // White lettering tinted 0xff80c040: no pixel may be brighter than the tint allows, and
    // nothing is drawn right of the 128 pixels.
    int lit = 0;
    for (int y = 8; y < 24; ++y) {
        for (int x = 4; x < 132; ++x) {
            const DWORD c = screen.pixel(x, y);
            if ((c & 0xffffff) == 0) continue;
            ++lit;
            EXPECT_LE(static_cast<int>((c >> 16) & 0xff), 0x80 + 3);
        }
        for (int x = 133; x < 200; ++x) EXPECT_EQ(screen.pixel(x, y) & 0xffffff, 0u);
    }
    EXPECT_GT(lit, 40);
}

}  // namespace
