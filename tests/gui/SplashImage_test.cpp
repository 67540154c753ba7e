// The loading picture: black everywhere, the 256 x 256 picture centred (10 pixels right of centre).
#include "gui/SplashImage.h"

#include "support/TestDevice.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashImage, ClearsToBlackAndDrawsThePictureInTheMiddle) {
    TestDevice screen(320, 300);
    SplashImage splash;
    ASSERT_TRUE(splash.setIcon(130));
    EXPECT_FALSE(splash.focusIn(0));
    splash.setRect({0, 0, 320, 300});
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff00ff, 1.0f, 0);
    EXPECT_TRUE(splash.draw(0, 0.001f));
    screen->EndScene();

    const int left = (320 - 256) / 2 + 10, top = (300 - 256) / 2;  // 42, 22
    EXPECT_EQ(screen.pixel(5, 5) & 0xffffff, 0u);
    EXPECT_EQ(screen.pixel(left - 1, 150) & 0xffffff, 0u);
    EXPECT_EQ(screen.pixel(left + 256, 150) & 0xffffff, 0u);
    EXPECT_EQ(screen.pixel(150, top - 1) & 0xffffff, 0u);
    EXPECT_EQ(screen.pixel(150, top + 256) & 0xffffff, 0u);
    // The picture's dark blue background reaches its corners.
    for (Point p : {Point{left, top}, Point{left + 255, top + 255}}) {
        const DWORD c = screen.pixel(p.x, p.y);
        EXPECT_GT(c & 0xff, (c >> 16) & 0xff) << "blue at " << p.x << "," << p.y;
        EXPECT_NE(c & 0xffffff, 0u);
    }
}

TEST(SplashImage, WithoutAPictureTheScreenIsBlack) {
    TestDevice screen(64, 64);
    SplashImage splash;
    EXPECT_FALSE(splash.setIcon(99999));
    splash.setRect({0, 0, 64, 64});
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1.0f, 0);
    EXPECT_TRUE(splash.draw(0, 0.001f));
    screen->EndScene();
    EXPECT_EQ(screen.pixel(1, 1) & 0xffffff, 0u);
}

}  // namespace
