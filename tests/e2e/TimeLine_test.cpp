// The time line and undo end to end: the real executable on a private X server, driven with
// xdotool. Path edits are taken back and done again and the saved files compared byte for byte;
// a click on the time line seeks, and a one-bar loop keeps the playing time inside it, read from
// the cursor the strip draws. Where to press comes from laying out the same widgets here.
#include "clock/Audio.h"
#include "clock/Music.h"
#include "gui/Gui.h"
#include "gui/NumberLabel.h"
#include "gui/ObjectBrowser.h"
#include "gui/PathPanel.h"
#include "gui/TimeLabel.h"
#include "gui/TimeLine.h"
#include "gui/TransportPanel.h"
#include "paths/PathSpline.h"
#include "support/ChildProcess.h"
#include "support/PrivateXServer.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int WindowWidth = 640, WindowHeight = 480;

struct Spot {
    int x = 0, y = 0;
};

Spot centre(Widget* w) {
    const Rect r = w->getRect();
    return {r.x + r.width / 2, r.y + r.height / 2};
}

// The editor's layout at 640 x 480, as the executable builds it from the same fonts.
struct Layout {
    int toolbarHeight = 0;
    Spot save;
    Rect strip;  // the time line's own rectangle
    Rect browser;
};

Layout editorLayout() {
    Layout layout;
    NumberLabel fps;
    TimeLabel time;
    if (!fps.init("FPS: ", 4) || !time.init("Time: ")) return layout;
    layout.toolbarHeight = std::max({16, fps.getSizeHint().height, time.getSizeHint().height}) + 10;
    const int toolbarRight = 2 + 5 + (WindowWidth - 4 - 10);
    layout.save = {toolbarRight - 16 - 4 - 8, 2 + 5 + (layout.toolbarHeight - 10 - 16) / 2 + 8};
    const int stripTop = 2 + layout.toolbarHeight + 4;
    layout.strip = {2 + 5, stripTop + 5, WindowWidth - 4 - 10, TimeLine::height};
    const int browserTop = stripTop + TimeLine::height + 10 + 4;
    layout.browser = {2, browserTop, WindowWidth - 4, WindowHeight - 2 - browserTop};
    return layout;
}

// One run of the executable with a document in its own folder.
class Player {
public:
    explicit Player(const fs::path& folder) : folder(folder) {}
    ~Player() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool start(const fs::path& document) {
        pid = startExecutable({"-a", "-w", "-x640", "-y480", "-d" + document.string()}, folder.string());
        if (pid < 0) return false;
        window = testing_x::waitForWindow("Zod'e Revez", 300, [&] { return waitpid(pid, nullptr, WNOHANG) == pid; });
        return !window.empty();
    }
    void x(std::vector<std::string> args) {
        EXPECT_TRUE(testing_x::xdotool(args));
        std::this_thread::sleep_for(150ms);  // a frame at least between inputs, so they keep their order
    }
    void moveTo(Spot s) { x({"mousemove", "--window", window, std::to_string(s.x), std::to_string(s.y)}); }
    void click(Spot s, const char* button = "1") {
        moveTo(s);
        x({"click", button});
    }
    void drag(Spot from, Spot to, const char* button) {
        moveTo(from);
        x({"mousedown", button});
        moveTo({(from.x + to.x) / 2, (from.y + to.y) / 2});
        moveTo(to);
        x({"mouseup", button});
    }
    // The colour of one pixel of the window, 0xRRGGBB; -1 when it cannot be read.
    long pixel(int px, int py) const {
        const std::string out = testing_x::commandOutput("import -window " + window + " -crop 1x1+" + std::to_string(px) +
                                                         "+" + std::to_string(py) + " -depth 8 txt:- 2>/dev/null");
        const std::size_t hash = out.rfind('#');  // the pixel's, after the header's
        return hash == std::string::npos ? -1 : std::strtol(out.substr(hash + 1, 6).c_str(), nullptr, 16);
    }
    // Space until the toolbar's frame shows its white left edge: keys are lost while loading.
    bool openEditor() {
        for (int tries = 0; tries < 50; ++tries) {
            if (tries % 10 == 0) x({"key", "space"});
            if (pixel(4, 12) == 0xffffff) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    std::string caption() const { return testing_x::commandOutput("xdotool getwindowname " + window); }
    bool waitFor(const std::function<bool()>& state, int tries = 60) {
        for (int i = 0; i < tries; ++i) {
            if (state()) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    bool quit() {
        x({"key", "Escape"});
        int status = -1;
        const bool ended = waitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 200);
        if (ended) pid = -1;
        return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string errors() const { return testing_paths::readFile(folder / "stderr.txt"); }

    std::string window;

private:
    fs::path folder;
    pid_t pid = -1;
};

// The pixels of a rectangle of the window, 0xRRGGBB, row by row; empty when it cannot be read.
std::vector<long> windowPixels(const std::string& window, const Rect& r) {
    const std::string out = testing_x::commandOutput("import -window " + window + " -crop " + std::to_string(r.width) + "x" +
                                                     std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                                     std::to_string(r.y) + " -depth 8 txt:- 2>/dev/null");
    std::vector<long> pixels(static_cast<std::size_t>(r.width * r.height), -1);
    for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) {
        int px = 0, py = 0, red = 0, green = 0, blue = 0;
        if (std::sscanf(out.c_str() + at + 1, "%d,%d: (%d,%d,%d", &px, &py, &red, &green, &blue) != 5) continue;
        if (px >= 0 && py >= 0 && px < r.width && py < r.height)
            pixels[static_cast<std::size_t>(py * r.width + px)] = (red << 16) | (green << 8) | blue;
    }
    return pixels;
}

// How many pixels differ by more than a few levels in a channel.
int differing(const std::vector<long>& a, const std::vector<long>& b) {
    int count = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        for (int shift = 0; shift <= 16; shift += 8)
            if (a[i] < 0 || b[i] < 0 || std::abs(((a[i] >> shift) & 0xff) - ((b[i] >> shift) & 0xff)) > 8) {
                ++count;
                break;
            }
    return count + static_cast<int>(std::max(a.size(), b.size()) - std::min(a.size(), b.size()));
}

bool available() {
    return testing_x::startPrivateXServer() && fs::exists(testing_paths::executable()) &&
           std::system("command -v xdotool >/dev/null && command -v import >/dev/null") == 0;
}

TEST(TimeLineEndToEnd, UndoTakesBackEveryPathEditExactlyAndRedoDoesThemAgain) {
    if (!available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path document = folder / "PathEditor.xml";
    const std::string source = testing_paths::readFile(fs::path(testing_paths::sourceDir()) / "tests/data/gui/PathEditor.xml");

    // The document as a save writes it, so that "the same bytes" can be asked of the executable's
    // saves; and where the path's controls are.
    TestDevice measuring(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const Layout layout = editorLayout();
    Spot pathRow, view, tension, minus;
    {
        TestDocument here(source.c_str());
        ASSERT_TRUE(here.loaded);
        for (int i = 0; i < here.database.count(); ++i) ASSERT_NE(here.database.objectAt(i), nullptr);
        ASSERT_TRUE(here.database.saveAs(document.string().c_str()));
        ObjectBrowser browser;
        ASSERT_TRUE(browser.init(&here.database));
        browser.setRect(layout.browser);
        const Rect list = browser.getList()->getRect();
        pathRow = {list.x + 20, list.y + browser.getList()->getSizeHint().height * 3 / 2};
        browser.showObject(1);
        auto* panel = dynamic_cast<PathPanel*>(here.find<PathSpline>("Camera", TypePathSpline)->getEditor());
        ASSERT_NE(panel, nullptr);
        view = centre(panel->getOrbitView());
        tension = centre(panel->getKnob(PathPanel::TensionKnob));
        minus = centre(panel->getButton(PathPanel::DeleteButton));
    }
    stopAudio();
    const std::string original = testing_paths::readFile(document);
    ASSERT_FALSE(original.empty());

    Player player(folder);
    ASSERT_TRUE(player.start(document)) << player.errors();
    player.x({"windowfocus", "--sync", player.window});
    ASSERT_TRUE(player.openEditor());
    EXPECT_EQ(player.caption().find('*'), std::string::npos);
    player.click(pathRow);
    player.drag(view, {view.x + 37, view.y}, "3");       // moves the first key
    player.drag(tension, {tension.x + 40, tension.y}, "1");  // one gesture, one step
    player.click(minus);                                    // deletes the first key
    EXPECT_TRUE(player.waitFor([&] { return player.caption().find('*') != std::string::npos; }))
        << "no unsaved-edits mark: " << player.caption();

    auto saveAndRead = [&](const std::string& before) {
        player.click(layout.save);
        std::string now;
        player.waitFor([&] { return (now = testing_paths::readFile(document)) != before; }, 40);
        return now;
    };
    const std::string edited = saveAndRead(original);
    ASSERT_NE(edited, original) << "the edits did not reach the file";
    EXPECT_TRUE(player.waitFor([&] { return player.caption().find('*') == std::string::npos; }));

    for (int i = 0; i < 3; ++i) player.x({"key", "ctrl+z"});
    EXPECT_EQ(saveAndRead(edited), original) << "three undos do not restore the document exactly";
    for (int i = 0; i < 3; ++i) player.x({"key", "ctrl+y"});
    EXPECT_EQ(saveAndRead(original), edited) << "three redos do not do the edits again exactly";
    EXPECT_TRUE(player.quit()) << player.errors();
    fs::remove_all(folder);
}

TEST(TimeLineEndToEnd, AClickSeeksToABarAndAOneBarLoopKeepsThePlayingTimeInside) {
    if (!available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path document = folder / "Editor.xml";
    fs::copy_file(fs::path(testing_paths::sourceDir()) / "tests/data/gui/Editor.xml", document);

    // The strip's columns for the document's music (tempo 120: a bar is 2 s), and the time label
    // as the editor draws it at 4 s, drawn here with the same fonts.
    TestDevice screen(WindowWidth, WindowHeight);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const Layout layout = editorLayout();
    int barThree = 0, barFour = 0;
    Rect label;
    std::vector<long> fourSeconds;
    {
        TestDocument here(testing_paths::readFile(document).c_str());
        ASSERT_TRUE(here.loaded);
        auto* music = static_cast<Music*>(here.database.music(TypeMusic));
        ASSERT_NE(music, nullptr);
        Gui gui;
        ASSERT_TRUE(gui.init(&here.database, nullptr));
        gui.toggleEditor();
        gui.setRect({0, 0, WindowWidth, WindowHeight});
        TimeLine* strip = gui.getEditor()->getTimeLine();
        ASSERT_EQ(strip->getRect().y, layout.strip.y);
        barThree = strip->xAt(4.0f);
        barFour = strip->xAt(6.0f);
        music->seek(4.0f);
        gui.draw(4.0f, 0.016f);
        label = music->transportPanel()->getTimeLabel()->getRect();
        const std::vector<DWORD> drawn = screen.readback();
        for (int y = label.y; y < label.y + label.height; ++y)
            for (int x = label.x; x < label.x + label.width; ++x)
                fourSeconds.push_back(static_cast<long>(drawn[static_cast<std::size_t>(y * WindowWidth + x)] & 0xffffff));
    }
    stopAudio();
    ASSERT_GT(barFour - barThree, 4);
    const int row = layout.strip.y + TimeLine::height / 2;

    Player player(folder);
    ASSERT_TRUE(player.start(document)) << player.errors();
    player.x({"windowfocus", "--sync", player.window});
    ASSERT_TRUE(player.openEditor());
    // The cursor's column: the strip's red, searched along one row.
    auto cursor = [&]() -> int {
        const std::string out = testing_x::commandOutput("import -window " + player.window + " -crop " +
                                                         std::to_string(layout.strip.width) + "x1+" +
                                                         std::to_string(layout.strip.x) + "+" + std::to_string(row) +
                                                         " -depth 8 txt:- 2>/dev/null");
        int sum = 0, count = 0;
        for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) {
            int px = 0, py = 0, r = 0, g = 0, b = 0;
            if (std::sscanf(out.c_str() + at + 1, "%d,%d: (%d,%d,%d", &px, &py, &r, &g, &b) != 5) continue;
            if (r > 110 && r > g + 40 && r > b + 30) {  // red, whatever shading it stands on
                sum += px;
                ++count;
            }
        }
        return count ? layout.strip.x + sum / count : -1;
    };
    EXPECT_TRUE(player.waitFor([&] { return cursor() >= 0; })) << "no cursor on the strip";

    // Right drag from bar three to bar four: the loop; a click at bar three: the seek.
    player.drag({barThree, row}, {barFour, row}, "3");
    player.click({barThree, row});
    EXPECT_TRUE(player.waitFor([&] { return std::abs(cursor() - barThree) <= 1; }))
        << "the click at " << barThree << " left the cursor at " << cursor();
    EXPECT_TRUE(player.waitFor([&] { return differing(windowPixels(player.window, label), fourSeconds) <= 4; }))
        << "the time label does not show 0:04:000: "
        << differing(windowPixels(player.window, label), fourSeconds) << " pixels differ";
    // The focus is still on the play button (the strip never takes it): Space plays.
    player.x({"key", "space"});
    int wraps = 0, last = barThree, outside = 0, samples = 0;
    EXPECT_TRUE(player.waitFor(
        [&] {
            const int now = cursor();
            if (now < 0) return false;
            ++samples;
            if (now < barThree - 2 || now > barFour + 2) ++outside;
            if (now < last - 2) ++wraps;
            last = now;
            return wraps >= 3;  // three bars' time, at least, within the one-bar loop
        },
        600))
        << "the cursor did not come back to the loop's start three times";
    EXPECT_EQ(outside, 0) << outside << " of " << samples << " samples outside the loop";
    EXPECT_TRUE(player.quit()) << player.errors();
    fs::remove_all(folder);
}

}  // namespace
