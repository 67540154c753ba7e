// The editor end to end: the real executable in a window on a private X server, driven with real
// keys and mouse through xdotool, read back with screenshots and through the files it writes.
// The document's time line is black until 4 s, white until 8 s and black after, so one look at
// the picture tells whether the music was paused, played or sought.
#include "gui/NumberLabel.h"
#include "gui/TimeLabel.h"
#include "support/ChildProcess.h"
#include "support/PrivateXServer.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int WindowWidth = 640;
constexpr int WindowHeight = 480;

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool valid() const { return width > 0 && height > 0; }
    unsigned colour(int x, int y) const {
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
};

bool near(unsigned colour, unsigned expected, int tolerance = 12) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = (colour >> shift) & 0xff, b = (expected >> shift) & 0xff;
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

// Where the toolbar's time knob sits: measured with the same fonts the executable draws with.
struct ToolbarGeometry {
    int knobX = 0, knobY = 0;  // centre, client pixels
    int timeLeft = 0, timeRight = 0, rowTop = 0, rowBottom = 0;  // the time label's stretch of the row
};

// One run of the executable in its own temporary folder (where "Backup.xml" goes).
class EditorSession {
public:
    EditorSession() : folder(testing_paths::makeTempDir()) {
        document = folder / "Editor.xml";
        fs::copy_file(fs::path(testing_paths::sourceDir()) / "tests/data/gui/Editor.xml", document);
    }
    ~EditorSession() {
        if (pid > 0) {  // a run that did not end by itself: stop this child only
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        fs::remove_all(folder);
    }

    // With the test document, or with the production built into the executable.
    bool start(bool testDocument = true) {
        if (!fs::exists(testing_paths::executable())) return false;
        const std::string dataOption = testDocument ? "-d" + document.string() : "-w";
        pid = startExecutable({"-a", "-w", "-x" + std::to_string(WindowWidth), "-y" + std::to_string(WindowHeight),
                               dataOption},
                              folder.string());
        if (pid < 0) return false;
        // The window appears once the device exists; then it gets the keyboard.
        window = testing_x::waitForWindow("Zod'e Revez", 200, [&] { return exited(); });
        return !window.empty();
    }

    // Waits for playback of the document: the picture black from corner to centre (the loading
    // picture has its lettering in the middle).
    bool waitForPlayback() {
        for (int tries = 0; tries < 150; ++tries) {
            if (exited()) return false;
            const Picture p = screenshot();
            if (p.valid() && near(p.colour(2, 2), 0) && near(p.colour(WindowWidth / 2, WindowHeight / 2), 0) &&
                near(p.colour(WindowWidth / 2 + 40, WindowHeight / 2 + 10), 0))
                return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    Picture screenshot() const {
        Picture picture;
        const fs::path file = folder / "shot.ppm";
        if (!testingImport(file)) return picture;
        std::ifstream in(file, std::ios::binary);
        std::string magic;
        int maximum = 0;
        in >> magic >> picture.width >> picture.height >> maximum;
        in.get();
        if (magic != "P6" || maximum != 255 || picture.width < WindowWidth || picture.height < WindowHeight)
            return Picture{};
        picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
        in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
        if (!in) return Picture{};
        return picture;
    }

    // The editor is up when the toolbar's frame (black border, white-to-blue fill) stands on the
    // dark blue background at the top left.
    static bool editorShown(const Picture& p) {
        return p.valid() && near(p.colour(0, 0), 0x204080) && near(p.colour(2, 12), 0x000000, 40) &&
               near(p.colour(4, 12), 0xffffff, 30);
    }

    bool waitForEditor(bool shown) {
        for (int tries = 0; tries < 40; ++tries) {
            const Picture p = screenshot();
            if (p.valid() && editorShown(p) == shown) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // Space until the editor answers: a key pressed while the document still loads is lost.
    bool openEditor() {
        for (int tries = 0; tries < 5; ++tries) {
            key("space");
            if (waitForEditor(true)) return true;
        }
        return false;
    }

    // The centre of the playback picture: 0 black, 0xffffff white.
    unsigned playbackColour() {
        const Picture p = screenshot();
        return p.valid() ? p.colour(WindowWidth / 2, WindowHeight / 2) : 0x123456;
    }

    void key(const std::string& name, int times = 1) {
        for (int i = 0; i < times; ++i) {
            testing_x::xdotool({"key", "--clearmodifiers", name});
            std::this_thread::sleep_for(60ms);  // one frame at least, so keys arrive in order
        }
    }

    void drag(int x, int y, int dx, int dy) {
        testing_x::xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
        std::this_thread::sleep_for(150ms);
        testing_x::xdotool({"mousedown", "1"});
        std::this_thread::sleep_for(150ms);
        testing_x::xdotool({"mousemove", "--window", window, std::to_string(x + dx / 2), std::to_string(y + dy / 2)});
        std::this_thread::sleep_for(150ms);
        testing_x::xdotool({"mousemove", "--window", window, std::to_string(x + dx), std::to_string(y + dy)});
        std::this_thread::sleep_for(150ms);
        testing_x::xdotool({"mouseup", "1"});
        std::this_thread::sleep_for(150ms);
    }

    // The window's position on the screen.
    Point position() const {
        std::istringstream shell(testing_paths::commandOutput("xdotool getwindowgeometry --shell " + window));
        Point p{-1, -1};
        for (std::string line; std::getline(shell, line);) {
            if (line.rfind("X=", 0) == 0) p.x = std::atoi(line.c_str() + 2);
            if (line.rfind("Y=", 0) == 0) p.y = std::atoi(line.c_str() + 2);
        }
        return p;
    }

    // A left-button drag in screen coordinates.
    void dragOnScreen(Point from, Point to) {
        auto move = [](Point p) { testing_x::xdotool({"mousemove", std::to_string(p.x), std::to_string(p.y)}); };
        move(from);
        std::this_thread::sleep_for(150ms);
        testing_x::xdotool({"mousedown", "1"});
        std::this_thread::sleep_for(150ms);
        move({(from.x + to.x) / 2, (from.y + to.y) / 2});
        std::this_thread::sleep_for(150ms);
        move(to);
        std::this_thread::sleep_for(150ms);
        testing_x::xdotool({"mouseup", "1"});
        std::this_thread::sleep_for(150ms);
    }

    // The exit code, or -1 when the program did not end within the time.
    int waitForExit(int seconds = 20) {
        for (int i = 0; i < seconds * 20; ++i) {
            if (exited()) return exitCode;
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

    void signal(int number) const {
        if (pid > 0) kill(pid, number);
    }
    bool has(const char* name) const { return fs::exists(folder / name); }
    std::string read(const char* name) const { return testing_paths::readFile(folder / name); }
    std::string documentText() const { return testing_paths::readFile(document); }
    std::string errors() const { return testing_paths::readFile(folder / "stderr.txt"); }

private:
    bool exited() {
        if (pid <= 0) return true;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) return false;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid = -1;
        return true;
    }

    bool testingImport(const fs::path& file) const {
        const std::string command = "import -window " + window + " -depth 8 ppm:" + file.string() + " 2>/dev/null";
        return std::system(command.c_str()) == 0;
    }

    fs::path folder;
    fs::path document;
    pid_t pid = -1;
    int exitCode = -1;
    std::string window;
};

class EditorEndToEnd : public ::testing::Test {
protected:
    virtual bool usesTestDocument() const { return true; }

    static void SetUpTestSuite() {
        available = testing_x::startPrivateXServer() && fs::exists(testing_paths::executable()) &&
                    std::system("command -v xdotool >/dev/null && command -v import >/dev/null") == 0;
        if (!available) return;
        // Where the time knob is, from the fonts the executable uses: the toolbar keeps it left
        // of the frame-rate label, the separator and the three buttons at the right end.
        TestDevice measuring(64, 64);
        NumberLabel fps;
        TimeLabel time;
        if (!fps.init("FPS: ", 4) || !time.init("Time: ")) return;
        const int rowHeight = std::max({16, fps.getSizeHint().height, time.getSizeHint().height});
        const int toolbarRight = 2 + 5 + (WindowWidth - 4 - 10);
        const int knobLeft = toolbarRight - 16 - 4 - 16 - 4 - 16 - 4 - 5 - 4 - fps.getSizeHint().width - 4 - 16;
        geometry.knobX = knobLeft + 8;
        geometry.knobY = 2 + 5 + (rowHeight - 16) / 2 + 8;
        geometry.timeRight = knobLeft - 1;
        geometry.timeLeft = std::max(0, knobLeft - 8 - time.getSizeHint().width);
        geometry.rowTop = 2 + 5;
        geometry.rowBottom = 2 + 5 + rowHeight;
    }

    void SetUp() override {
        if (!available) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
        if (!session.start(usesTestDocument())) {
            GTEST_FAIL() << "the executable did not open its window: " << session.errors();
        }
        if (usesTestDocument()) {
            ASSERT_TRUE(session.waitForPlayback()) << session.errors();
        }
    }

    static bool available;
    static ToolbarGeometry geometry;
    EditorSession session;
};

bool EditorEndToEnd::available = false;
ToolbarGeometry EditorEndToEnd::geometry;

TEST_F(EditorEndToEnd, SpaceShowsTheEditorAndPausesTheMusic) {
    ASSERT_TRUE(session.openEditor());
    const Picture p = session.screenshot();
    // The list of the document's names: dark text on the list's light panel, below the toolbar
    // and the time line.
    int ink = 0;
    for (int y = 38 + 64; y < 38 + 64 + 9 * 12; ++y)
        for (int x = 10; x < 110; ++x)
            if (near(p.colour(x, y), 0, 90)) ++ink;
    EXPECT_GT(ink, 100) << "no names in the list";
    // The float is the first entry: its panel, not "< No editor >", fills the editor frame.

    std::this_thread::sleep_for(4500ms);  // long enough to reach the white part if it played
    session.key("Tab", 5);                // play -> pause, knob, save, close, list
    session.key("space");
    ASSERT_TRUE(session.waitForEditor(false));
    EXPECT_EQ(session.playbackColour(), 0u) << "the music went on while the editor was shown";

    session.key("Escape");
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
    EXPECT_TRUE(session.has("Backup.xml"));  // the editor was opened
}

TEST_F(EditorEndToEnd, SpaceOnTheFocusedButtonClicksItAndTabWrapsAround) {
    ASSERT_TRUE(session.openEditor());
    // Seven controls: seven Tabs bring the focus round to the play button.
    session.key("Tab", 7);
    session.key("space");  // clicks play: the music runs, the editor stays
    // Running, the time label changes under the shown editor; paused, it stands still.
    const Picture clicked = session.screenshot();
    auto timeChanged = [&](const Picture& now) {
        for (int y = geometry.rowTop; y < geometry.rowBottom; ++y)
            for (int x = geometry.timeLeft; x < geometry.timeRight; ++x)
                if (!near(now.colour(x, y), clicked.colour(x, y), 0)) return true;
        return false;
    };
    bool running = false;
    for (int tries = 0; tries < 100 && !running; ++tries) {
        std::this_thread::sleep_for(100ms);
        const Picture now = session.screenshot();
        running = EditorSession::editorShown(now) && clicked.valid() && timeChanged(now);
    }
    EXPECT_TRUE(running) << "the play button did not start the music, or the editor went";
    session.key("Tab", 5);
    session.key("space");
    ASSERT_TRUE(session.waitForEditor(false));
    session.key("Escape");
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
}

TEST_F(EditorEndToEnd, FloatKnobChangesTheValueThatSaveAndCloseWrite) {
    ASSERT_TRUE(session.openEditor());
    session.key("Tab", 6);        // play -> pause, time knob, save, close, list, the float's knob
    session.key("Up", 3);         // 2.5 + 3 x 0.5
    session.key("shift+Tab", 3);  // list, close, save
    session.key("space");         // save to the document's own file
    for (int i = 0; i < 40 && session.documentText().find("4.000000") == std::string::npos; ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_NE(session.documentText().find("value=\"4.000000\""), std::string::npos) << session.documentText();
    EXPECT_FALSE(session.has("Backup.xml"));

    session.key("Tab");     // the close button
    session.key("Return");  // saves "Backup.xml" and ends
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
    ASSERT_TRUE(session.has("Backup.xml"));
    EXPECT_NE(session.read("Backup.xml").find("value=\"4.000000\""), std::string::npos);
}

TEST_F(EditorEndToEnd, DraggingTheTimeKnobSeeksAndPauses) {
    ASSERT_TRUE(session.openEditor());
    // 40 pixels right at 0.5 s a beat: 5 / 6 x 5 = 4.17 s later, inside the white part.
    session.drag(geometry.knobX, geometry.knobY, 40, 0);
    std::this_thread::sleep_for(4500ms);  // had it kept playing it would be in the black again
    session.key("Tab", 3);                // the clicked knob -> save, close, list
    session.key("space");
    ASSERT_TRUE(session.waitForEditor(false));
    EXPECT_EQ(session.playbackColour(), 0xffffffu) << "the knob at " << geometry.knobX << "," << geometry.knobY
                                                  << " did not seek to the white part and stay there";
    session.key("Escape");
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
}

TEST_F(EditorEndToEnd, PressingTheTitleMovesTheWindow) {
    ASSERT_TRUE(session.openEditor());
    const Point before = session.position();
    ASSERT_GE(before.x, 0);
    // The title lettering sits at the toolbar's left end.
    const Point grip{before.x + 60, before.y + 14};
    session.dragOnScreen(grip, {grip.x - 100, grip.y + 80});
    const Point after = session.position();
    EXPECT_EQ(after.x, before.x - 100);
    EXPECT_EQ(after.y, before.y + 80);
    session.key("Escape");
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
}

TEST_F(EditorEndToEnd, EscapeWithoutTheEditorWritesNothing) {
    session.key("Escape");
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
    EXPECT_FALSE(session.has("Backup.xml"));
    EXPECT_NE(session.documentText().find("value=\"2.5\""), std::string::npos);
}

// Ctrl+C in the terminal ends the program at once as closing the window does: exit code 0, no save.
TEST_F(EditorEndToEnd, InterruptEndsAsClosingTheWindowDoes) {
    ASSERT_TRUE(session.openEditor());
    session.signal(SIGINT);
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
    EXPECT_FALSE(session.has("Backup.xml"));
}

// The production built into the executable: every object of its document shown in turn.
class ProductionEndToEnd : public EditorEndToEnd {
protected:
    bool usesTestDocument() const override { return false; }
};

TEST_F(ProductionEndToEnd, EveryObjectCanBeBrowsedThenSavedAndLeft) {
    ASSERT_TRUE(session.openEditor()) << session.errors();
    session.key("Tab", 5);  // the list
    // Down through the whole list (it stops at the last entry), each object's panel drawn.
    std::vector<std::string> downs{"key", "--delay", "40"};
    for (int i = 0; i < 150; ++i) downs.push_back("Down");
    ASSERT_TRUE(testing_x::xdotool(downs));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(EditorSession::editorShown(session.screenshot())) << session.errors();

    session.key("shift+Tab", 2);  // close, then save
    session.key("space");         // without -d the document is "demo.xml" in the working folder
    for (int i = 0; i < 40 && !session.has("demo.xml"); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(session.has("demo.xml"));
    EXPECT_NE(session.read("demo.xml").find("<demo"), std::string::npos);
    EXPECT_FALSE(session.has("Backup.xml"));

    session.key("Escape");
    EXPECT_EQ(session.waitForExit(), 0) << session.errors();
    ASSERT_TRUE(session.has("Backup.xml"));
    EXPECT_EQ(session.read("Backup.xml"), session.read("demo.xml"));
}

}  // namespace
