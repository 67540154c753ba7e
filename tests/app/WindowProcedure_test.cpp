// The window procedure and its routers, driven by real X input (xdotool on a private server) into
// a Display with a recording root widget: every row of the keyboard and mouse tables, double
// clicks, the wheel's sign, leaving and coming back, capture outside the widget and the window,
// auto-repeat, Alt+F4 and the default procedure while there is no root.
#include "app/Display.h"
#include "app/RecordingWidget.h"
#include "app/WindowProcedure.h"
#include "platform/win/MessageLog.h"

#include <algorithm>
#include <cstdlib>
#include <string>

using message_log::pumpFor;
using message_log::pumpUntil;

namespace {

// The window's client area is 400 by 300 at screen (440, 362), centred on 1280 x 1024.
constexpr int left = 440, top = 362;

std::string screen(int clientX, int clientY) {
    return std::to_string(left + clientX) + " " + std::to_string(top + clientY);
}

class WindowProcedureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_x::startPrivateXServer());
        setenv("ZOD_NO_MESSAGE_BOXES", "1", 1);
        ASSERT_TRUE(act("mousemove 5 5"));
        ASSERT_TRUE(display.create(nullptr, true, false, 400, 300));
        display.setRoot(&root);
        ASSERT_TRUE(pumpUntil([&] { return has("root.focusIn 0"); })) << "the focus reaches the root";
        log.clear();
    }
    void TearDown() override { display.shutdown(); }

    // Runs xdotool with the words of the line ("mousemove 10 20 click 1").
    static bool act(const std::string& line) {
        std::vector<std::string> words;
        std::size_t at = 0;
        while (at < line.size()) {
            std::size_t end = line.find(' ', at);
            if (end == std::string::npos) end = line.size();
            if (end > at) words.push_back(line.substr(at, end - at));
            at = end + 1;
        }
        return testing_x::xdotool(words);
    }
    bool has(const std::string& call) const { return std::find(log.begin(), log.end(), call) != log.end(); }
    bool waitFor(const std::string& call) { return pumpUntil([&] { return has(call); }); }
    std::size_t count(const std::string& prefix) const {
        return std::count_if(log.begin(), log.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }
    std::vector<std::string> calls(const std::string& prefix) const {
        std::vector<std::string> result;
        for (const auto& c : log)
            if (c.rfind(prefix, 0) == 0) result.push_back(c);
        return result;
    }

    std::vector<std::string> log;
    RecordingWidget root{"root", log};
    RecordingWidget grabber{"grabber", log};
    Display display;
};

}  // namespace

TEST_F(WindowProcedureTest, KeyboardRowsGoToTheRoot) {
    ASSERT_TRUE(act("key a shift+Tab Return Escape space Prior Next Left Up Right Down KP_End F5"));
    ASSERT_TRUE(waitFor("root.key 116 0"));  // F5 up
    std::vector<std::string> expected{
        "root.key 65 1",  "root.character 97", "root.key 65 0",   "root.key 16 1",    "root.key 9 1",
        "root.character 9", "root.key 16 0",  "root.key 9 0",     "root.key 13 1",    "root.character 13",
        "root.key 13 0",  "root.key 27 1",   "root.character 27", "root.key 27 0",    "root.key 32 1",
        "root.character 32", "root.key 32 0", "root.key 33 1",    "root.key 33 0",    "root.key 34 1",
        "root.key 34 0",  "root.key 37 1",   "root.key 37 0",     "root.key 38 1",    "root.key 38 0",
        "root.key 39 1",  "root.key 39 0",   "root.key 40 1",     "root.key 40 0",    "root.key 97 1",
        "root.key 97 0",  "root.key 116 1",  "root.key 116 0"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(display.isKeyDown(VK_SHIFT));
    ASSERT_TRUE(act("keydown Shift_L"));
    ASSERT_TRUE(waitFor("root.key 16 1"));
    EXPECT_TRUE(display.isKeyDown(VK_SHIFT)) << "the host's key state";
    ASSERT_TRUE(act("keyup Shift_L"));
    ASSERT_TRUE(waitFor("root.key 16 0"));
    EXPECT_FALSE(display.isKeyDown(VK_SHIFT));
}

TEST_F(WindowProcedureTest, FocusRowsGoToTheRoot) {
    HWND other = CreateWindowExA(0, "zqWindow", "other", WS_POPUP | WS_BORDER, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ShowWindow(other, SW_SHOWNORMAL);
    ASSERT_TRUE(waitFor("root.focusOut"));
    DestroyWindow(other);
    SendMessageA(display.window, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(has("root.focusIn 0"));
}

TEST_F(WindowProcedureTest, HeldKeyRepeatsItsKeyDown) {
    ASSERT_TRUE(act("keydown space"));
    bool repeated = pumpUntil([&] { return count("root.key 32 1") >= 3; });
    ASSERT_TRUE(act("keyup space"));
    EXPECT_TRUE(repeated);
    ASSERT_TRUE(waitFor("root.key 32 0"));
    EXPECT_EQ(count("root.key 32 0"), 1u);
}

TEST_F(WindowProcedureTest, AltF4RequestsTheQuitAndIsNotRouted) {
    ASSERT_TRUE(act("key alt+F4"));
    ASSERT_TRUE(pumpUntil([&] { return display.quitRequested; }));
    pumpFor(200);
    // xdotool lets Alt go first, so F4's release is a plain key up, as Windows would send it.
    EXPECT_EQ(count("root.key 115 1") + count("root.key 18"), 0u) << "system keys keep their default meaning";
    RECT r;
    EXPECT_TRUE(GetWindowRect(display.window, &r)) << "the window is not destroyed";
    EXPECT_FALSE(display.frame(0.0f, 0.0f));
}

TEST_F(WindowProcedureTest, WithoutARootMessagesGoToTheDefaultProcedure) {
    display.setRoot(nullptr);
    log.clear();
    EXPECT_EQ(windowProcedure(display.window, WM_KEYDOWN, 'A', 1), 0);
    // The default procedure's Alt+F4 is still a close request.
    windowProcedure(display.window, WM_SYSKEYDOWN, VK_F1 + 3, LPARAM(1) << 29);
    EXPECT_TRUE(display.quitRequested);
    EXPECT_TRUE(log.empty());

    // With a root, only the rows of the tables count as handled.
    display.setRoot(&root);
    EXPECT_TRUE(routeKeyboard(display, WM_KEYDOWN, 'A', 1));
    EXPECT_FALSE(routeKeyboard(display, WM_SYSKEYDOWN, VK_F1 + 3, LPARAM(1) << 29));
    EXPECT_FALSE(routeMouse(display, WM_SYSKEYDOWN, VK_F1 + 3, LPARAM(1) << 29));
    EXPECT_FALSE(routeMouse(display, WM_NCLBUTTONDOWN, HTCAPTION, 0));
    EXPECT_TRUE(routeMouse(display, WM_CAPTURECHANGED, 0, 0));
}

TEST_F(WindowProcedureTest, MouseRowsGoToTheRootWithClientPoints) {
    ASSERT_TRUE(act("mousemove " + screen(100, 50)));
    ASSERT_TRUE(waitFor("root.mouseMove 100 50"));
    EXPECT_EQ(log.front(), "root.hitTest 100 50") << "the first move announces the cursor first";
    EXPECT_TRUE(display.mouseTracked);
    ASSERT_TRUE(act("mousemove " + screen(110, 60)));
    ASSERT_TRUE(waitFor("root.mouseMove 110 60"));
    EXPECT_EQ(count("root.hitTest"), 1u);

    // Single clicks far apart, then a double click of each button.
    ASSERT_TRUE(act("click 1 mousemove " + screen(200, 150) + " click 2 mousemove " + screen(300, 250) + " click 3"));
    ASSERT_TRUE(waitFor("root.rightButton 300 250 2"));
    std::vector<std::string> buttons;
    for (const auto& c : log)
        if (c.find("Button") != std::string::npos) buttons.push_back(c);
    EXPECT_EQ(buttons, (std::vector<std::string>{"root.leftButton 110 60 0", "root.leftButton 110 60 2",
                                                 "root.middleButton 200 150 0", "root.middleButton 200 150 2",
                                                 "root.rightButton 300 250 0", "root.rightButton 300 250 2"}));
    const std::pair<int, const char*> kinds[] = {{1, "left"}, {2, "middle"}, {3, "right"}};
    int y = 20;
    for (const auto& [button, name] : kinds) {
        log.clear();
        y += 80;
        ASSERT_TRUE(act("mousemove " + screen(30, y) + " click --repeat 2 --delay 60 " + std::to_string(button)));
        std::string prefix = std::string("root.") + name + "Button 30 " + std::to_string(y);
        ASSERT_TRUE(pumpUntil([&] { return count(prefix + " 2") == 2; })) << name;
        EXPECT_EQ(calls(std::string("root.") + name),
                  (std::vector<std::string>{prefix + " 0", prefix + " 2", prefix + " 1", prefix + " 2"}))
            << name;
    }
}

TEST_F(WindowProcedureTest, WheelNotchesArePositiveAwayFromTheUser) {
    ASSERT_TRUE(act("mousemove " + screen(40, 30) + " click 4"));
    ASSERT_TRUE(waitFor("root.wheel 40 30 +1.000"));
    ASSERT_TRUE(act("click 5"));
    ASSERT_TRUE(waitFor("root.wheel 40 30 -1.000"));
}

TEST_F(WindowProcedureTest, LeavingAndComingBackAnnouncesTheCursorAgain) {
    ASSERT_TRUE(act("mousemove " + screen(100, 100)));
    ASSERT_TRUE(waitFor("root.mouseMove 100 100"));
    ASSERT_TRUE(act("mousemove " + screen(-30, 100)));
    ASSERT_TRUE(waitFor("root.mouseLeave"));
    EXPECT_FALSE(display.mouseTracked);
    log.clear();
    ASSERT_TRUE(act("mousemove " + screen(20, 30)));
    ASSERT_TRUE(waitFor("root.mouseMove 20 30"));
    EXPECT_EQ(log, (std::vector<std::string>{"root.hitTest 20 30", "root.mouseMove 20 30"}));
    EXPECT_TRUE(display.mouseTracked);
}

TEST_F(WindowProcedureTest, CaptureHoldsTheMouseOutsideTheWidgetAndTheWindow) {
    ASSERT_TRUE(act("mousemove " + screen(50, 50)));
    ASSERT_TRUE(waitFor("root.mouseMove 50 50"));
    ASSERT_TRUE(display.setCapture(&grabber));
    log.clear();

    ASSERT_TRUE(act("mousemove " + screen(300, 200) + " mousemove " + screen(-40, -20) + " mousedown 1 mouseup 1"));
    ASSERT_TRUE(waitFor("grabber.leftButton -40 -20 2"));
    ASSERT_TRUE(act("click 5"));
    ASSERT_TRUE(waitFor("grabber.wheel -40 -20 -1.000"));
    EXPECT_EQ(log, (std::vector<std::string>{"grabber.mouseMove 300 200", "grabber.mouseMove -40 -20",
                                             "grabber.leftButton -40 -20 0", "grabber.leftButton -40 -20 2",
                                             "grabber.wheel -40 -20 -1.000"}))
        << "no leave while captured; everything to the capture";

    // The capture is lost when the focus goes: forgotten, no widget told.
    log.clear();
    HWND other = CreateWindowExA(0, "zqWindow", "other", WS_POPUP | WS_BORDER, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ShowWindow(other, SW_SHOWNORMAL);
    ASSERT_TRUE(pumpUntil([&] { return display.capture == nullptr; }));
    EXPECT_EQ(count("grabber"), 0u);
    DestroyWindow(other);
}

TEST_F(WindowProcedureTest, ReleasingTheCaptureOutsideReportsTheLeave) {
    ASSERT_TRUE(act("mousemove " + screen(50, 50)));
    ASSERT_TRUE(waitFor("root.mouseMove 50 50"));
    ASSERT_TRUE(display.setCapture(&grabber));
    ASSERT_TRUE(act("mousemove " + screen(500, 50)));
    ASSERT_TRUE(waitFor("grabber.mouseMove 500 50"));
    display.releaseCapture();
    ASSERT_TRUE(waitFor("root.mouseLeave"));
    EXPECT_FALSE(display.mouseTracked);
}
