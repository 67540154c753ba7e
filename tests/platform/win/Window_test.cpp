// Window classes and windows: registration rules, geometry on the 1280x1024 screen, user data,
// destruction and stale handles, the full-screen style, and the caption drag of DefWindowProcA.
#include "platform/win/MessageLog.h"
#include "platform/win/NativeWindow.h"
#include "support/ChildProcess.h"
#include "support/MoveLoop.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace message_log;

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_x::startPrivateXServer());
        entries().clear();
        closeDestroys = false;
    }
};

LRESULT otherProcedure(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST_F(WindowTest, ClassesAreRegisteredByNameOnce) {
    WNDCLASSEXA windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = recordingProcedure;
    windowClass.lpszClassName = "zodClassRules";
    EXPECT_NE(RegisterClassExA(&windowClass), 0);
    EXPECT_NE(RegisterClassExA(&windowClass), 0) << "the same class again is accepted";

    WNDCLASSEXA clash = windowClass;
    clash.lpfnWndProc = otherProcedure;
    clash.lpszClassName = "ZODCLASSRULES";  // names ignore letter case
    EXPECT_EQ(RegisterClassExA(&clash), 0) << "another procedure under a taken name";

    WNDCLASSEXA unnamed = windowClass;
    unnamed.lpszClassName = nullptr;
    EXPECT_EQ(RegisterClassExA(&unnamed), 0);

    EXPECT_EQ(CreateWindowExA(0, "zodNoSuchClass", "x", WS_POPUP | WS_BORDER, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExA(0, "zodClassRules", "x", WS_POPUP | WS_BORDER, 0, 0, 0, 100, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr)
        << "an empty window";
}

TEST_F(WindowTest, GeometryUserDataAndDestruction) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);

    HWND window = openWindow(100, 120, 320, 200);
    ASSERT_NE(window, nullptr);
    RECT client{}, outer{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 200);

    ASSERT_TRUE(MoveWindow(window, 300, 250, 400, 300, FALSE));
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.left, 300);
    EXPECT_EQ(outer.top, 250);
    EXPECT_EQ(outer.right - outer.left, 400) << "borderless: outer and client sizes agree";
    EXPECT_EQ(outer.bottom - outer.top, 300);
    POINT p{310, 270};
    ASSERT_TRUE(ScreenToClient(window, &p));
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    EXPECT_TRUE(SetWindowTextA(window, "renamed"));

    int owner = 7;
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&owner)), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&owner));

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(count(WM_DESTROY), 1u) << "the procedure hears of its end";
    // A stale handle is refused, never followed.
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
    EXPECT_FALSE(GetWindowRect(window, &outer));
    EXPECT_FALSE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(count(WM_CLOSE), 0u);
}

TEST_F(WindowTest, PostedMessagesComeInOrderAndCloseDestroysByDefault) {
    HWND window = openWindow(100, 100, 200, 200);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, 'A', 1));
    ASSERT_TRUE(PostMessageA(window, WM_KEYUP, 'B', 2));
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, window, WM_KEYUP, WM_KEYUP, 0)) << "a filter finds the later one";
    EXPECT_EQ(m.wParam, WPARAM('B'));
    ASSERT_TRUE(pumpUntil([] { return count(WM_KEYUP) == 1; }));
    auto keys = only({WM_KEYDOWN, WM_KEYUP});
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, WPARAM('A'));
    EXPECT_EQ(keys[1].wParam, WPARAM('B'));

    closeDestroys = true;  // the default procedure destroys a window on WM_CLOSE, as on Windows
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(arrived(WM_DESTROY));
    EXPECT_FALSE(GetWindowRect(window, nullptr));
    RECT r;
    EXPECT_FALSE(GetWindowRect(window, &r));
}

TEST_F(WindowTest, BarePopupIsFullScreenInTheModeOfItsSize) {
    HWND window = openWindow(0, 0, 1280, 1024, WS_POPUP);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->fullscreen);
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.right, 1280);
    EXPECT_EQ(outer.bottom, 1024);
    DestroyWindow(window);
}

TEST_F(WindowTest, CaptionDragMovesTheWindowUntilTheButtonIsUp) {
    HWND window = openWindow(200, 200, 300, 200);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(arrived(WM_SETFOCUS));
    ASSERT_TRUE(testing_x::xdotool({"mousemove", "250", "230", "mousedown", "1"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_LBUTTONDOWN) == 1; }));
    // The system's move loop runs inside the call, while the button is held elsewhere.
    EXPECT_TRUE(testing_x::moveDuringLoop([&] { SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0); },
                                          {"mousemove", "300", "260", "mousemove", "330", "290", "mouseup", "1"}));
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.left, 280);
    EXPECT_EQ(outer.top, 260);
    EXPECT_EQ(outer.right - outer.left, 300);
    // The move took the mouse: no button-up reaches the procedure.
    pumpOnce();
    EXPECT_EQ(count(WM_LBUTTONUP), 0u);
    DestroyWindow(window);
}

// SDL wakes its event wait with a message to one of its windows, sent over a connection of its
// own; one that reaches the server after the window has gone is refused, and Xlib reports that when
// the connection closes, which SDL does at its end, after it put back the error handler it found
// at its start. That must not end the program (it did, now and then, under load).
TEST_F(WindowTest, AWakeUpThatFindsItsWindowGoneEndsNothing) {
    // The end of SDL's video is for good in a process: this runs in a child of its own, which
    // leaves at once after the refusal was read (Xlib's own handler would end it with 1 first).
    if (std::getenv("ZOD_LATE_WAKE_UP_CHILD") == nullptr) {
        ChildOptions options;
        const ChildOutcome child = runTool("/proc/self/exe", {"--gtest_filter=WindowTest.AWakeUp*"}, options,
                                           {"ZOD_LATE_WAKE_UP_CHILD=1"});
        EXPECT_EQ(child.exitCode, 0) << child.errors;
        EXPECT_EQ(child.errors.find("X Error"), std::string::npos) << child.errors;
        return;
    }
    HWND window = openWindow(100, 120, 320, 200);
    ASSERT_NE(window, nullptr);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(window->sdlWindow, &info));
    const ::Window gone = info.info.x11.window;
    ASSERT_TRUE(DestroyWindow(window));
    while (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);  // as at the program's end

    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    ASSERT_NE(x11, nullptr);
    auto open = reinterpret_cast<Display* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    auto send = reinterpret_cast<Status (*)(Display*, ::Window, Bool, long, XEvent*)>(dlsym(x11, "XSendEvent"));
    auto close = reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XCloseDisplay"));
    ASSERT_TRUE(open && send && close);
    Display* second = open(nullptr);  // as SDL's own
    ASSERT_NE(second, nullptr);
    XEvent wakeUp{};
    wakeUp.xclient.type = ClientMessage;
    wakeUp.xclient.window = gone;
    wakeUp.xclient.format = 8;
    send(second, gone, False, NoEventMask, &wakeUp);
    close(second);  // the refusal is read here, with the handler that SDL put back at its end
    std::fflush(nullptr);
    _exit(0);  // what SDL's end left loaded is not ours to free
}
