// The Display on a private 1280x1024 X server with the real device: window size and centring,
// presentation parameters, frames reaching the screen, the close request, full-screen modes and
// their failure message, capture and cursor rules, and the order of setRoot's calls.
#include "app/Device.h"
#include "app/Display.h"
#include "app/RecordingWidget.h"
#include "platform/win/MessageLog.h"
#include "support/MoveLoop.h"
#include "support/TestPaths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using message_log::pumpFor;
using message_log::pumpUntil;
using testing_paths::commandOutput;

namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_x::startPrivateXServer());
        setenv("ZOD_NO_MESSAGE_BOXES", "1", 1);
        ASSERT_TRUE(testing_x::xdotool({"mousemove", "5", "5"}));  // outside the centred window
    }
    void TearDown() override { display.shutdown(); }

    // The colour of one screen pixel as the X server shows it, 0xRRGGBB; -1 if unreadable.
    static long screenPixel(int x, int y) {
        std::string text = commandOutput("import -window root -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) +
                                         " -depth 8 txt:- 2>/dev/null");
        auto hash = text.find('#', text.find('\n'));
        if (hash == std::string::npos) return -1;
        return std::strtol(text.substr(hash + 1, 6).c_str(), nullptr, 16);
    }

    // Presents frames drawing the given colour until the screen shows it (or about 3 s pass).
    bool showColour(RecordingWidget& widget, D3DCOLOR colour, int x, int y) {
        widget.onDraw = [colour] { device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0); };
        return pumpUntilShown(colour & 0xffffff, x, y);
    }

    // The back buffer's top row is the window's top row, its left column the window's left: a
    // corner drawn in the back buffer shows there on screen, and not in the other corners.
    void expectUprightOnScreen(int left, int top, int width, int height) {
        display.setRoot(&root);
        root.onDraw = [] {
            const D3DRECT corner{0, 0, 40, 30};
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff204080, 1.0f, 0);
            device->Clear(1, &corner, D3DCLEAR_TARGET, 0xffc0a020, 1.0f, 0);
        };
        EXPECT_TRUE(pumpUntilShown(0xc0a020, left + 5, top + 5)) << "the top left corner";
        EXPECT_EQ(screenPixel(left + 5, top + height - 10), 0x204080) << "the bottom left";
        EXPECT_EQ(screenPixel(left + width - 10, top + 5), 0x204080) << "the top right";
    }

    // Presents frames of the root's drawing until the screen pixel shows the colour 0xRRGGBB.
    bool pumpUntilShown(long colour, int x, int y) {
        for (int i = 0; i < 30; ++i) {
            if (!display.frame(0.0f, 0.0f)) return false;
            pumpFor(20);
            if (screenPixel(x, y) == colour) return true;
        }
        return false;
    }

    std::vector<std::string> log;
    RecordingWidget root{"root", log};  // outlive the display, which calls its root at shutdown
    RecordingWidget first{"first", log};
    RecordingWidget second{"second", log};
    Display display;
};

}  // namespace

TEST_F(DisplayTest, WindowedClientAreaIsCentredAndFramesReachTheScreen) {
    ASSERT_TRUE(display.create(nullptr, true, false, 800, 600));
    RECT client{}, outer{};
    ASSERT_TRUE(GetClientRect(display.window, &client));
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    ASSERT_TRUE(GetWindowRect(display.window, &outer));
    EXPECT_EQ(outer.left, (1280 - 800) / 2);
    EXPECT_EQ(outer.top, (1024 - 600) / 2);

    EXPECT_EQ(device, display.ownedDevice.get());
    EXPECT_EQ(GetWindowLongPtrA(display.window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&display));
    EXPECT_EQ(presentParameters.BackBufferWidth, 800u);
    EXPECT_EQ(presentParameters.BackBufferHeight, 600u);
    EXPECT_TRUE(presentParameters.Windowed);
    EXPECT_TRUE(presentParameters.EnableAutoDepthStencil);
    EXPECT_EQ(presentParameters.AutoDepthStencilFormat, D3DFMT_D24S8) << "the first depth format the device has";
    EXPECT_EQ(presentParameters.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(presentParameters.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(presentParameters.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(presentParameters.Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
    EXPECT_EQ(presentParameters.hDeviceWindow, display.window);
    std::string id = commandOutput("xdotool search --name \"Zod'e Revez!\" 2>/dev/null");
    ASSERT_FALSE(id.empty()) << "the window carries the title";
    EXPECT_NE(commandOutput("xprop -id " + id.substr(0, id.find('\n')) + " _NET_WM_ICON 2>/dev/null").find("Icon (64 x 64)"),
              std::string::npos)
        << "icon resource 101";

    display.setRoot(&root);
    EXPECT_TRUE(showColour(root, 0xff204080, 640, 512)) << "the root's drawing is presented in the window";
    expectUprightOnScreen(240, 212, 800, 600);
    root.drawResult = false;
    EXPECT_FALSE(display.frame(1.0f, 0.1f)) << "the root's result ends the loop";
}

TEST_F(DisplayTest, WindowDragMovesTheCaptionlessWindow) {
    ASSERT_TRUE(display.create(nullptr, true, false, 400, 300));  // at (440, 362)
    display.setRoot(&root);
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == display.window; }));
    ASSERT_TRUE(testing_x::xdotool({"mousemove", "450", "370", "mousedown", "1"}));
    ASSERT_TRUE(pumpUntil([&] { return std::find(log.begin(), log.end(), "root.leftButton 10 8 0") != log.end(); }));
    EXPECT_TRUE(testing_x::moveDuringLoop([&] { display.beginWindowDrag(); },  // returns when the button is up
                                          {"mousemove", "400", "300", "mousemove", "350", "250", "mouseup", "1"}));
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(display.window, &outer));
    EXPECT_EQ(outer.left, 440 - 100);
    EXPECT_EQ(outer.top, 362 - 120);
    EXPECT_EQ(outer.right - outer.left, 400);
}

TEST_F(DisplayTest, CloseRequestEndsTheLoopWithoutDrawing) {
    ASSERT_TRUE(display.create(nullptr, true, false, 320, 240));
    display.setRoot(&root);
    ASSERT_TRUE(showColour(root, 0xff0000ff, 640, 512));
    int drawn = root.draws;

    PostMessageA(display.window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return display.quitRequested; }));
    root.onDraw = [] { device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff0000, 1.0f, 0); };
    EXPECT_FALSE(display.frame(2.0f, 0.1f));
    EXPECT_EQ(root.draws, drawn) << "nothing is drawn";
    pumpFor(100);
    EXPECT_EQ(screenPixel(640, 512), 0x0000ff) << "nothing is presented";
    RECT r;
    EXPECT_TRUE(GetWindowRect(display.window, &r)) << "the window stays until shutdown";
    HWND closed = display.window;
    display.shutdown();
    EXPECT_FALSE(GetWindowRect(closed, &r)) << "shutdown destroys it";
    EXPECT_EQ(display.window, nullptr);
    EXPECT_EQ(device, nullptr);
}

TEST_F(DisplayTest, FullScreenTakesTheModeOfItsSize) {
    ASSERT_TRUE(display.create(nullptr, false, false, 1280, 1024));
    EXPECT_FALSE(presentParameters.Windowed);
    EXPECT_EQ(presentParameters.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(presentParameters.BackBufferWidth, 1280u);
    display.setRoot(&root);
    EXPECT_TRUE(showColour(root, 0xff30a050, 10, 1000));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == display.window; })) << "the full-screen window is active";
    ASSERT_TRUE(testing_x::xdotool({"key", "space"}));
    EXPECT_TRUE(pumpUntil([&] { return std::find(log.begin(), log.end(), "root.key 32 0") != log.end(); }));
    display.beginWindowDrag();  // nothing happens in full screen
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(display.window, &outer));
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
}

TEST_F(DisplayTest, FullScreenSizeWithoutAModeFails) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(display.create(nullptr, false, false, 1000, 700));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Zod'e Revez!: Cannot find video mode: no matching back buffer / depth buffer format "
                          "combinations"),
              std::string::npos)
        << errors;
    EXPECT_EQ(device, nullptr);
    display.shutdown();  // after a failed create as well
    EXPECT_EQ(display.window, nullptr);
}

// A size chosen in the setup dialog that the screen has no mode of: the screen's own mode.
TEST_F(DisplayTest, FullScreenFallsBackToTheScreensModeWhenAllowed) {
    display.screenModeFallback = true;
    ASSERT_TRUE(display.create(nullptr, false, false, 800, 600));
    EXPECT_EQ(presentParameters.BackBufferWidth, 1280u);
    EXPECT_EQ(presentParameters.BackBufferHeight, 1024u);
    EXPECT_EQ(display.width, 1280);
    display.setRoot(&root);
    EXPECT_TRUE(showColour(root, 0xff30a050, 1200, 1000));  // the whole screen
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(display.window, &outer));
    EXPECT_EQ(outer.right - outer.left, 1280);
}

TEST_F(DisplayTest, AntialiasingIsTakenWhenOfferedOrWarnedAbout) {
    testing::internal::CaptureStderr();
    ASSERT_TRUE(display.create(nullptr, true, true, 320, 240));
    std::string errors = testing::internal::GetCapturedStderr();
    DWORD levels = 0;
    bool offered = SUCCEEDED(display.direct3d->CheckDeviceMultiSampleType(
                       0, D3DDEVTYPE_HAL, presentParameters.BackBufferFormat, TRUE, D3DMULTISAMPLE_NONMASKABLE,
                       nullptr)) &&
                   SUCCEEDED(display.direct3d->CheckDeviceMultiSampleType(
                       0, D3DDEVTYPE_HAL, presentParameters.AutoDepthStencilFormat, TRUE,
                       D3DMULTISAMPLE_NONMASKABLE, &levels));
    bool warned = errors.find("Your card does not support multisampled antialiasing.\nContinuing happily without it.") !=
                  std::string::npos;
    expectUprightOnScreen((1280 - 320) / 2, (1024 - 240) / 2, 320, 240);
    if (offered) {
        EXPECT_EQ(presentParameters.MultiSampleType, D3DMULTISAMPLE_NONMASKABLE);
        EXPECT_EQ(presentParameters.MultiSampleQuality, levels - 1) << "the highest quality level";
        EXPECT_FALSE(warned);
    } else {
        EXPECT_EQ(presentParameters.MultiSampleType, D3DMULTISAMPLE_NONE);
        EXPECT_TRUE(warned) << errors;
    }
    EXPECT_NE(device, nullptr);
}

TEST_F(DisplayTest, CaptureMovesBetweenWidgetsAndCursorCallsOnlyOnChange) {
    ASSERT_TRUE(display.create(nullptr, true, false, 400, 300));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == display.window; }));
    RecordingWidget& a = first;
    RecordingWidget& b = second;
    display.setRoot(&root);

    EXPECT_TRUE(display.setCapture(&a));
    EXPECT_EQ(display.capture, &a);
    EXPECT_EQ(GetCapture(), display.window);
    EXPECT_TRUE(display.setCapture(&b));
    EXPECT_EQ(display.capture, &b);
    EXPECT_EQ(GetCapture(), display.window);
    EXPECT_TRUE(display.setCapture(nullptr));
    EXPECT_EQ(display.capture, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);

    // Another window has the focus: the system refuses the capture and so does the display.
    HWND other = CreateWindowExA(0, "zqWindow", "other", WS_POPUP | WS_BORDER, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ShowWindow(other, SW_SHOWNORMAL);
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == other; }));
    EXPECT_FALSE(display.setCapture(&a));
    EXPECT_EQ(display.capture, nullptr);
    DestroyWindow(other);

    display.showCursor(false);
    display.showCursor(false);
    EXPECT_EQ(ShowCursor(TRUE), 0) << "hidden once";
    EXPECT_EQ(ShowCursor(FALSE), -1);
    display.showCursor(true);
    EXPECT_EQ(ShowCursor(FALSE), -1) << "shown again";
    EXPECT_EQ(ShowCursor(TRUE), 0);
}

TEST_F(DisplayTest, SetRootHandsOverInOrder) {
    ASSERT_TRUE(display.create(nullptr, true, false, 400, 300));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == display.window; }));
    display.setRoot(&first);
    ASSERT_TRUE(testing_x::xdotool({"mousemove", "500", "400"}));  // client (60, 38)
    ASSERT_TRUE(pumpUntil([&] { return display.mouseTracked; }));
    ASSERT_TRUE(display.setCapture(&first));

    log.clear();
    display.setRoot(&second);
    std::vector<std::string> expected{"first.focusOut",   "first.mouseLeave", "second.setHost",
                                      "second.focusIn 0", "second.hitTest 60 38", "second.setRect 0 0 400 300"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(display.capture, nullptr) << "the capture went with the old root";
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(second.getHost(), &display);

    log.clear();
    display.setRoot(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"second.focusOut", "second.mouseLeave"}));
    EXPECT_EQ(display.root, nullptr);
}
