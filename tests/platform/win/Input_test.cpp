// Real X input (xdotool on a private server) through the message queue: virtual-key codes,
// characters, auto-repeat, system keys, focus, buttons and double clicks, the wheel, leave
// tracking, capture, key state and the cursor counter.
#include "platform/win/MessageLog.h"

#include <string>

using namespace message_log;

namespace {

// The window sits at (100, 100), 400 by 300.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_x::startPrivateXServer());
        entries().clear();
        closeDestroys = false;
        ASSERT_TRUE(testing_x::xdotool({"mousemove", "700", "700"}));  // start outside
        window = openWindow(100, 100, 400, 300);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(arrived(WM_SETFOCUS));
        ASSERT_EQ(GetFocus(), window);
        entries().clear();
    }
    void TearDown() override {
        ReleaseCapture();
        if (window) DestroyWindow(window);
        pumpOnce();
    }

    bool act(std::vector<std::string> arguments) { return testing_x::xdotool(arguments); }

    HWND window = nullptr;
};

}  // namespace

TEST_F(InputTest, KeysArriveWithWindowsVirtualKeyCodes) {
    const std::pair<const char*, int> keys[] = {
        {"a", 'A'},           {"z", 'Z'},          {"0", '0'},           {"7", '7'},         {"Tab", VK_TAB},
        {"Return", VK_RETURN}, {"Shift_L", VK_SHIFT}, {"Control_L", VK_CONTROL}, {"Escape", VK_ESCAPE},
        {"space", VK_SPACE},  {"Prior", VK_PRIOR}, {"Next", VK_NEXT},    {"Left", VK_LEFT},  {"Up", VK_UP},
        {"Right", VK_RIGHT},  {"Down", VK_DOWN},   {"KP_End", VK_NUMPAD0 + 1}, {"KP_Next", VK_NUMPAD0 + 3},
        {"KP_Home", VK_NUMPAD0 + 7}, {"KP_Insert", VK_NUMPAD0}, {"F1", VK_F1}, {"F12", VK_F1 + 11},
        {"BackSpace", VK_BACK}, {"Delete", VK_DELETE}};
    for (const auto& [name, code] : keys) {
        entries().clear();
        ASSERT_TRUE(act({"key", name}));
        ASSERT_TRUE(pumpUntil([] { return count(WM_KEYUP) == 1; })) << name;
        auto events = only({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN});
        ASSERT_EQ(events.size(), 2u) << name;
        EXPECT_EQ(events[0].message, WM_KEYDOWN) << name;
        EXPECT_EQ(events[0].wParam, WPARAM(code)) << name;
        EXPECT_EQ(events[1].wParam, WPARAM(code)) << name;
        EXPECT_EQ(events[0].lParam & (LPARAM(1) << 30), 0) << name << ": a first press";
    }
}

TEST_F(InputTest, TranslateMessageTypesCharacters) {
    ASSERT_TRUE(act({"key", "a", "shift+b", "Return", "Escape", "F1"}));
    ASSERT_TRUE(pumpUntil([] { return only({WM_KEYUP}).size() >= 5 && count(WM_CHAR) >= 4; }));
    pumpOnce();
    auto characters = only({WM_CHAR});
    ASSERT_EQ(characters.size(), 4u) << "F1 types nothing";
    EXPECT_EQ(characters[0].wParam, WPARAM('a'));
    EXPECT_EQ(characters[1].wParam, WPARAM('B'));
    EXPECT_EQ(characters[2].wParam, WPARAM(13));
    EXPECT_EQ(characters[3].wParam, WPARAM(27));
    // Each character follows its key down, before the key up.
    auto sequence = only({WM_KEYDOWN, WM_CHAR});
    ASSERT_GE(sequence.size(), 2u);
    EXPECT_EQ(sequence[0].message, WM_KEYDOWN);
    EXPECT_EQ(sequence[1].message, WM_CHAR);
}

TEST_F(InputTest, HeldKeyRepeatsAsKeyDowns) {
    ASSERT_TRUE(act({"keydown", "a"}));
    bool repeated = pumpUntil([] { return count(WM_KEYDOWN) >= 3; });
    ASSERT_TRUE(act({"keyup", "a"}));
    ASSERT_TRUE(repeated) << "the server's auto-repeat";
    ASSERT_TRUE(arrived(WM_KEYUP));
    auto downs = only({WM_KEYDOWN});
    EXPECT_EQ(downs[0].lParam & (LPARAM(1) << 30), 0);
    for (std::size_t i = 1; i < downs.size(); ++i) {
        EXPECT_EQ(downs[i].wParam, WPARAM('A'));
        EXPECT_NE(downs[i].lParam & (LPARAM(1) << 30), 0) << "a repeat: the key was down before";
    }
    EXPECT_EQ(count(WM_KEYUP), 1u);
}

TEST_F(InputTest, KeyStateFollowsTheMessagesTaken) {
    ASSERT_TRUE(act({"keydown", "Shift_L"}));
    ASSERT_TRUE(arrived(WM_KEYDOWN));
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_EQ(GetKeyState('A') & 0x8000, 0);
    ASSERT_TRUE(act({"keydown", "Shift_R"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_KEYDOWN) >= 2; }));
    ASSERT_TRUE(act({"keyup", "Shift_L"}));
    ASSERT_TRUE(arrived(WM_KEYUP));
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0) << "the right Shift is still held";
    ASSERT_TRUE(act({"keyup", "Shift_R"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_KEYUP) >= 2; }));
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

TEST_F(InputTest, AltF4IsASystemKeyThatCloses) {
    ASSERT_TRUE(act({"key", "alt+F4"}));
    ASSERT_TRUE(arrived(WM_CLOSE)) << "the default procedure turns Alt+F4 into a close request";
    EXPECT_EQ(count(WM_KEYDOWN), 0u) << "system keys are not key downs";
    auto system = only({WM_SYSKEYDOWN});
    ASSERT_GE(system.size(), 2u);
    EXPECT_EQ(system.back().wParam, WPARAM(VK_F1 + 3));
    EXPECT_NE(system.back().lParam & (LPARAM(1) << 29), 0) << "Alt context";
    pumpFor(300);  // the rest of the keys
    EXPECT_EQ(count(WM_CHAR), 0u);
}

TEST_F(InputTest, FocusMovesToANewlyShownWindow) {
    HWND other = CreateWindowExA(0, "zodRecording", "other", WS_POPUP | WS_BORDER, 600, 600, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ShowWindow(other, SW_SHOWNORMAL);
    ASSERT_TRUE(arrived(WM_KILLFOCUS));
    EXPECT_EQ(only({WM_KILLFOCUS})[0].window, window);
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == other; }));
    DestroyWindow(other);
}

TEST_F(InputTest, ButtonsCarryClientCoordinatesAndDoubleClicksComeSecond) {
    ASSERT_TRUE(act({"mousemove", "150", "130", "click", "1"}));
    ASSERT_TRUE(arrived(WM_LBUTTONUP));
    auto left = only({WM_LBUTTONDOWN});
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(left[0].lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(left[0].lParam), 30);

    // Far from the first click, so that it does not count towards a double click.
    ASSERT_TRUE(act({"mousemove", "400", "300", "click", "--repeat", "2", "--delay", "60", "1"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_LBUTTONUP) == 3; }));
    auto clicks = only({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK});
    ASSERT_EQ(clicks.size(), 6u);
    EXPECT_EQ(clicks[2].message, WM_LBUTTONDOWN);
    EXPECT_EQ(clicks[3].message, WM_LBUTTONUP);
    EXPECT_EQ(clicks[4].message, WM_LBUTTONDBLCLK);
    EXPECT_EQ(clicks[5].message, WM_LBUTTONUP);
    EXPECT_EQ(GET_X_LPARAM(clicks[4].lParam), 300);
    EXPECT_EQ(GET_Y_LPARAM(clicks[4].lParam), 200);

    ASSERT_TRUE(act({"mousemove", "200", "150", "click", "--repeat", "2", "--delay", "60", "3"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_RBUTTONUP) == 2; }));
    EXPECT_EQ(count(WM_RBUTTONDOWN), 1u);
    EXPECT_EQ(count(WM_RBUTTONDBLCLK), 1u);
    ASSERT_TRUE(act({"mousemove", "450", "350", "click", "--repeat", "2", "--delay", "60", "2"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_MBUTTONUP) == 2; }));
    EXPECT_EQ(count(WM_MBUTTONDOWN), 1u);
    EXPECT_EQ(count(WM_MBUTTONDBLCLK), 1u);
}

TEST_F(InputTest, WithoutDoubleClicksInTheClassSecondClicksArePlainPresses) {
    WNDCLASSEXA plain;
    plain.style = 0;
    plain.lpfnWndProc = recordingProcedure;
    plain.lpszClassName = "zodNoDoubleClicks";
    ASSERT_NE(RegisterClassExA(&plain), 0);
    HWND other = CreateWindowExA(0, "zodNoDoubleClicks", "plain", WS_POPUP | WS_BORDER, 600, 500, 200, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ShowWindow(other, SW_SHOWNORMAL);
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == other; }));
    ASSERT_TRUE(act({"mousemove", "650", "550", "click", "--repeat", "2", "--delay", "60", "1"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_LBUTTONUP) == 2; }));
    EXPECT_EQ(count(WM_LBUTTONDOWN), 2u);
    EXPECT_EQ(count(WM_LBUTTONDBLCLK), 0u);
    DestroyWindow(other);
}

TEST_F(InputTest, WheelGivesSignedDetentsAndScreenCoordinates) {
    ASSERT_TRUE(act({"mousemove", "220", "180", "click", "4"}));
    ASSERT_TRUE(arrived(WM_MOUSEWHEEL));
    ASSERT_TRUE(act({"click", "5"}));
    ASSERT_TRUE(pumpUntil([] { return count(WM_MOUSEWHEEL) == 2; }));
    auto wheel = only({WM_MOUSEWHEEL});
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].wParam), 120) << "away from the user";
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[1].wParam), -120);
    EXPECT_EQ(GET_X_LPARAM(wheel[0].lParam), 220) << "screen coordinates";
    EXPECT_EQ(GET_Y_LPARAM(wheel[0].lParam), 180);
    EXPECT_EQ(count(WM_LBUTTONDOWN) + count(WM_RBUTTONDOWN) + count(WM_MBUTTONDOWN), 0u);
}

TEST_F(InputTest, LeaveIsReportedOnceWhenTracked) {
    ASSERT_TRUE(act({"mousemove", "200", "200"}));
    ASSERT_TRUE(arrived(WM_MOUSEMOVE));
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    ASSERT_TRUE(TrackMouseEvent(&track));
    ASSERT_TRUE(act({"mousemove", "210", "210", "mousemove", "700", "700"}));
    ASSERT_TRUE(arrived(WM_MOUSELEAVE));
    for (const auto& e : only({WM_MOUSEMOVE})) {
        EXPECT_GE(GET_X_LPARAM(e.lParam), 0) << "no moves from outside without capture";
        EXPECT_LT(GET_X_LPARAM(e.lParam), 400);
    }
    entries().clear();
    ASSERT_TRUE(act({"mousemove", "300", "300", "mousemove", "800", "800"}));
    ASSERT_TRUE(arrived(WM_MOUSEMOVE));
    pumpFor(300);
    EXPECT_EQ(count(WM_MOUSELEAVE), 0u) << "tracking ends with its one leave";

    // Asked while the cursor is already outside: the leave comes at once.
    ASSERT_TRUE(TrackMouseEvent(&track));
    EXPECT_TRUE(arrived(WM_MOUSELEAVE));
}

TEST_F(InputTest, CaptureKeepsTheMouseOutsideTheWindow) {
    ASSERT_TRUE(act({"mousemove", "200", "200"}));
    ASSERT_TRUE(arrived(WM_MOUSEMOVE));
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    ASSERT_TRUE(TrackMouseEvent(&track));
    EXPECT_EQ(SetCapture(window), nullptr);
    ASSERT_EQ(GetCapture(), window);

    ASSERT_TRUE(act({"mousemove", "50", "60", "mousedown", "1", "mouseup", "1"}));
    ASSERT_TRUE(arrived(WM_LBUTTONUP));
    auto moves = only({WM_MOUSEMOVE});
    EXPECT_EQ(GET_X_LPARAM(moves.back().lParam), -50) << "signed client coordinates";
    EXPECT_EQ(GET_Y_LPARAM(moves.back().lParam), -40);
    auto down = only({WM_LBUTTONDOWN});
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(down[0].lParam), -50);
    EXPECT_EQ(count(WM_MOUSELEAVE), 0u) << "no leave while the mouse is captured";

    ASSERT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(count(WM_CAPTURECHANGED), 1u) << "sent at once";
    ASSERT_TRUE(arrived(WM_MOUSELEAVE)) << "the leave that waited for the release";
    entries().clear();
    ASSERT_TRUE(act({"mousemove", "40", "40", "click", "1"}));
    pumpFor(300);
    EXPECT_EQ(count(WM_LBUTTONUP) + count(WM_MOUSEMOVE), 0u) << "released: outside is nobody's";
}

TEST_F(InputTest, CaptureEndsWhenTheFocusGoes) {
    SetCapture(window);
    ASSERT_EQ(GetCapture(), window);
    HWND other = CreateWindowExA(0, "zodRecording", "other", WS_POPUP | WS_BORDER, 600, 600, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ShowWindow(other, SW_SHOWNORMAL);
    ASSERT_TRUE(arrived(WM_CAPTURECHANGED));
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(other);
}

TEST_F(InputTest, CursorCounterChangesVisibilityOnlyAtZero) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    POINT p{};
    ASSERT_TRUE(act({"mousemove", "123", "234"}));
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 123);
    EXPECT_EQ(p.y, 234);
}
