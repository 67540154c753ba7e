// Separators: size hints by orientation and the fading line they draw.
#include "gui/Separator.h"

#include "support/TestDevice.h"

#include <gtest/gtest.h>

namespace {

int channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xff); }

TEST(SeparatorLayout, ThicknessAcrossIsFixedAndTheLengthStretches) {
    Separator vertical(true), horizontal(false);
    EXPECT_EQ(vertical.getSizeHint().width, 5);
    EXPECT_TRUE(vertical.getSizeHint().fixedWidth);
    EXPECT_FALSE(vertical.getSizeHint().fixedHeight);
    EXPECT_EQ(horizontal.getSizeHint().height, 5);
    EXPECT_TRUE(horizontal.getSizeHint().fixedHeight);
    EXPECT_FALSE(horizontal.getSizeHint().fixedWidth);
    vertical.setHalf(4);
    EXPECT_EQ(vertical.getSizeHint().width, 9);
    EXPECT_FALSE(vertical.focusIn(0));
}

TEST(SeparatorDrawing, LineIsSolidInTheMiddleAndFadesToTheEnds) {
    TestDevice screen(64, 64);
    Separator vertical(true), horizontal(false);
    vertical.setRect({10, 0, 5, 64});
    horizontal.setRect({0, 40, 64, 5});
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1.0f, 0);
    vertical.draw(0, 0.01f);
    horizontal.draw(0, 0.01f);
    screen->EndScene();

    // The vertical line runs at x = 10 + 2.
    const DWORD middle = screen.pixel(12, 32);
    EXPECT_NEAR(channel(middle, 16), 0x20, 10);
    EXPECT_NEAR(channel(middle, 8), 0x40, 10);
    EXPECT_NEAR(channel(middle, 0), 0x80, 10);
    EXPECT_GE(channel(screen.pixel(12, 1), 16), 230);  // nearly transparent at the end
    const int quarter = channel(screen.pixel(12, 16), 16);
    EXPECT_GT(quarter, 0x30);
    EXPECT_LT(quarter, 230);
    EXPECT_EQ(screen.pixel(11, 32) & 0xffffff, 0xffffffu);
    EXPECT_EQ(screen.pixel(13, 32) & 0xffffff, 0xffffffu);

    // The horizontal one at y = 40 + 2.
    EXPECT_NEAR(channel(screen.pixel(32, 42), 0), 0x80, 10);
    EXPECT_EQ(screen.pixel(32, 41) & 0xffffff, 0xffffffu);
    EXPECT_GE(channel(screen.pixel(1, 42), 16), 230);
}

}  // namespace
