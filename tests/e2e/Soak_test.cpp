// A soak of the real executable: the production played and edited in a window on a private X
// server under a few thousand random inputs (keys, clicks, drags, the wheel), for a bounded time,
// then saved. Nothing may crash, and the saved document must parse and hold every object of the
// production. Each run prints its seed; ZOD_SOAK_SEED=<seed> gives the same inputs again (their
// timing against the frames may differ), ZOD_SOAK_SECONDS and ZOD_SOAK_INPUTS change the bounds.
#include "resources/LoadResource.h"
#include "gui/TimeLine.h"
#include "support/ChildProcess.h"
#include "support/EditorLayout.h"
#include "support/PrivateXServer.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int WindowWidth = 640;
constexpr int WindowHeight = 480;

long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// The document's objects as "type name", or nothing when it does not parse as a demo.
std::multiset<std::string> objectsOf(const std::string& text) {
    std::multiset<std::string> objects;
    TiXmlDocument document;
    document.Parse(text.c_str());
    const TiXmlElement* demo = document.Error() ? nullptr : document.FirstChildElement("demo");
    if (!demo) return objects;
    for (const TiXmlElement* e = demo->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (std::string(e->Value()) == "soakround") continue;  // the reload soak's marks
        const char* name = e->Attribute("name");
        objects.insert(std::string(e->Value()) + " " + (name ? name : ""));
    }
    return objects;
}

// One run of the executable with the production linked into it, in its own folder.
class Session {
public:
    explicit Session(const fs::path& folder) : folder(folder) {}
    ~Session() {
        if (pid > 0) {  // still running: stop this child only
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    bool start(const std::string& document = {}) {  // empty: the linked production
        fs::remove(folder / "Backup.xml");
        std::vector<std::string> arguments{"-a", "-w", "-x" + std::to_string(WindowWidth), "-y" + std::to_string(WindowHeight)};
        if (!document.empty()) arguments.push_back("-d" + document);
        pid = startExecutable(arguments, folder.string());
        if (pid < 0) return false;
        window = testing_x::waitForWindow("Zod'e Revez", 600, [&] { return ended(); });
        return !window.empty();
    }

    // True once the program has ended; its exit code (128 + signal when killed) is then kept.
    bool ended() {
        if (pid <= 0) return true;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) return false;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid = -1;
        return true;
    }

    bool waitForEnd(int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            if (ended()) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    // The toolbar's frame on the dark blue background at the top left: the editor is shown.
    bool editorShown() const {
        const fs::path file = folder / "shot.ppm";
        // Bounded: import waits for a click when the window has just gone.
        const std::string command = "timeout 10 import -window " + window + " -crop 8x16+0+0 -depth 8 ppm:" + file.string() +
                                    " 2>/dev/null";
        if (std::system(command.c_str()) != 0) return false;
        std::ifstream in(file, std::ios::binary);
        std::string magic;
        int width = 0, height = 0, maximum = 0;
        in >> magic >> width >> height >> maximum;
        in.get();
        std::vector<unsigned char> rgb(static_cast<size_t>(width > 0 && height > 0 ? width * height * 3 : 0));
        in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
        if (magic != "P6" || width < 8 || height < 16 || !in) return false;
        auto colour = [&](int x, int y) {
            const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            return (p[0] << 16) | (p[1] << 8) | p[2];
        };
        auto near = [](int c, int e, int tolerance) {
            for (int shift = 0; shift <= 16; shift += 8)
                if (std::abs(((c >> shift) & 0xff) - ((e >> shift) & 0xff)) > tolerance) return false;
            return true;
        };
        return near(colour(0, 0), 0x204080, 12) && near(colour(2, 12), 0, 40) && near(colour(4, 12), 0xffffff, 30);
    }

    // Space until the editor shows (false when it never did, or the program ended); patiently: on
    // a busy machine a frame may take seconds, and a second Space too soon would hide it again.
    bool showEditorPatiently() {
        for (int tries = 0; tries < 3 && !ended(); ++tries) {
            if (editorShown()) return true;
            testing_x::xdotool({"key", "--clearmodifiers", "space"});
            for (int i = 0; i < 100 && !ended(); ++i) {
                std::this_thread::sleep_for(100ms);
                if (editorShown()) return true;
            }
        }
        return false;
    }
    // The same, quicker, for the soak's input, which may have hidden or ended it meanwhile.
    bool showEditor() {
        for (int tries = 0; tries < 20 && !ended(); ++tries) {
            if (editorShown()) return true;
            testing_x::xdotool({"key", "--clearmodifiers", "space"});
            std::this_thread::sleep_for(500ms);
        }
        return false;
    }

    // Escape; when edits are held the question comes up with "Save" focused: Right and Return
    // choose "Leave", which writes "Backup.xml" too. Without the question the program is already
    // leaving and takes no more keys.
    void leave() { testing_x::xdotool({"key", "--clearmodifiers", "Escape", "Right", "Return"}); }

    const std::string& windowId() const { return window; }
    int code() const { return exitCode; }
    std::string errors() const { return testing_paths::readFile(folder / "stderr.txt"); }

private:
    fs::path folder;
    pid_t pid = -1;
    int exitCode = -1;
    std::string window;
};

// Random input as xdotool commands, several chained into one call. Escape and Alt+F4 are left
// out (they end the program); the close button can still be reached through the focus.
class InputMaker {
public:
    InputMaker(unsigned seed, const EditorLayout& layout) : random(seed), layout(layout) {}

    // --- the time line, the loop keys, undo and redo -------------------------------------------
    // One input of the editor's additions: a click, drag (any button) or wheel on the strip, a loop
    // key, undo or redo by key or button.
    void addHistoryInput(std::vector<std::string>& command, const std::string& window) {
        auto at = [&](int x, int y) {
            command.insert(command.end(), {"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
        };
        const int y = layout.strip.y + pick(TimeLine::height);
        const int x = 7 + pick(WindowWidth - 14);
        switch (pick(8)) {
        case 0: at(x, y); command.insert(command.end(), {"click", pick(3) ? "1" : "3"}); break;
        case 1: {
            static const char* const buttons[] = {"1", "2", "3"};
            const char* button = buttons[pick(3)];
            at(x, y);
            command.insert(command.end(), {"mousedown", button});
            for (int step = 0, steps = 1 + pick(3); step < steps; ++step) {
                command.insert(command.end(), {"sleep", "0.01"});
                at(std::clamp(x + pick(301) - 150, 0, WindowWidth - 1), std::clamp(y + pick(41) - 20, 0, WindowHeight - 1));
            }
            command.insert(command.end(), {"mouseup", button});
            break;
        }
        case 2:
            at(x, y);
            command.insert(command.end(), {"click", "--repeat", std::to_string(1 + pick(6)), "--delay", "5", pick(2) ? "4" : "5"});
            break;
        case 3: command.insert(command.end(), {"key", "--delay", "1", pick(2) ? "bracketleft" : "bracketright"}); break;
        case 4: command.insert(command.end(), {"key", "--delay", "1", "ctrl+z"}); break;
        case 5: command.insert(command.end(), {"key", "--delay", "1", pick(2) ? "ctrl+y" : "ctrl+shift+z"}); break;
        default:
            at(pick(2) ? layout.undo.x : layout.redo.x, layout.undo.y);
            command.insert(command.end(), {"click", "1"});
            break;
        }
        command.insert(command.end(), {"sleep", "0.01"});
    }
    // --- end of the time line's part --------------------------------------------------------------

    // Appends one input (a key, a click, some wheel steps or a whole drag) to the command.
    void add(std::vector<std::string>& command, const std::string& window) {
        auto at = [&](int x, int y) {
            command.insert(command.end(), {"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
        };
        auto pause = [&] { command.insert(command.end(), {"sleep", "0.01"}); };
        const int kind = pick(100);
        if (pick(5) == 0) {
            addHistoryInput(command, window);  // a fifth of the inputs: the time line's part above
            return;
        }
        if (kind < 35) {
            static const char* keys[] = {"space", "Tab",   "shift+Tab", "Up",   "Down", "Left", "Right",
                                         "Prior", "Next",  "Home",      "End",  "1",    "2",    "3",
                                         "4",     "5",     "plus",      "minus", "Delete", "a"};
            command.insert(command.end(), {"key", "--delay", "1", keys[pick(sizeof keys / sizeof *keys)]});
        } else if (kind < 45) {
            // The object list, where a click selects an object and shows its panel.
            at(10 + pick(100), 40 + pick(300));
            command.insert(command.end(), {"click", "1"});
        } else if (kind < 70) {
            Point p = anywhere();
            at(p.x, p.y);
            command.insert(command.end(), {"click", pick(8) == 0 ? "3" : "1"});
        } else if (kind < 85) {
            Point p = anywhere();
            at(p.x, p.y);
            command.insert(command.end(),
                           {"click", "--repeat", std::to_string(1 + pick(4)), "--delay", "5", pick(2) ? "4" : "5"});
        } else {
            Point from = anywhere();
            at(from.x, from.y);
            command.insert(command.end(), {"mousedown", "1"});
            for (int step = 0, steps = 1 + pick(4); step < steps; ++step) {
                pause();
                at(std::clamp(from.x + pick(161) - 80, 0, WindowWidth - 1),
                   std::clamp(from.y + pick(161) - 80, 0, WindowHeight - 1));
            }
            command.insert(command.end(), {"mouseup", "1"});
        }
        pause();
    }

private:
    struct Point {
        int x, y;
    };
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    // Half of the pointer's inputs go to the toolbar row (time knob, play, pause, save), the rest
    // anywhere; never onto the close button at the toolbar's right end.
    Point anywhere() {
        for (;;) {
            Point p = pick(2) ? Point{pick(WindowWidth), 2 + pick(28)} : Point{pick(WindowWidth), pick(WindowHeight)};
            if (!(p.x >= WindowWidth - 30 && p.y < 32)) return p;
        }
    }

    std::mt19937 random;
    EditorLayout layout;  // where the time line and the undo and redo buttons are
};

// What both soaks need: the private X server, a seed to replay, the production's text, and a
// folder of their own, removed at the end.
class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing_x::startPrivateXServer() ||
            std::system("command -v xdotool >/dev/null && command -v import >/dev/null") != 0) {
            GTEST_FAIL() << "needs Xvfb, xdotool and ImageMagick's import";
        }
        ASSERT_TRUE(fs::exists(testing_paths::executable()));
        seed = static_cast<unsigned>(environmentNumber("ZOD_SOAK_SEED", std::random_device{}()));
        ResourceData linked = loadResource("Demo.xml");
        ASSERT_TRUE(linked);
        text = std::string(reinterpret_cast<const char*>(linked.data), linked.size);
        folder = testing_paths::makeTempDir();
        TestDevice measuring(64, 64);  // the fonts the executable draws with
        layout = EditorLayout(WindowWidth, WindowHeight);
        ASSERT_GT(layout.toolbarHeight, 0);
    }
    void TearDown() override {
        if (!folder.empty()) fs::remove_all(folder);
    }

    unsigned seed = 0;
    std::string text;  // the production's document
    fs::path folder;
    EditorLayout layout;
};

TEST_F(Soak, RandomInputNeitherCrashesTheEditorNorLosesObjects) {
    const long seconds = environmentNumber("ZOD_SOAK_SECONDS", 150);
    const long inputs = environmentNumber("ZOD_SOAK_INPUTS", 3000);
    std::cout << "soak seed " << seed << " (replay with ZOD_SOAK_SEED=" << seed << ")" << std::endl;
    RecordProperty("seed", std::to_string(seed));
    SCOPED_TRACE("ZOD_SOAK_SEED=" + std::to_string(seed));

    const std::multiset<std::string> production = objectsOf(text);
    ASSERT_GT(production.size(), 5u);

    // A save ends a session: the document must parse and keep every object of the production.
    auto checkSaved = [&](const char* when) {
        const std::string saved = testing_paths::readFile(folder / "Backup.xml");
        TestDocument document(saved.c_str());
        EXPECT_TRUE(document.loaded) << when << ": the saved document does not load";
        EXPECT_EQ(objectsOf(saved), production) << when;
    };

    InputMaker maker(seed, layout);
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    long sent = 0;
    int sessions = 0, saves = 0;
    Session session(folder);
    ASSERT_TRUE(session.start()) << session.errors();
    ++sessions;
    while (sent < inputs && Clock::now() < deadline) {
        std::vector<std::string> command;
        for (int i = 0; i < 16; ++i, ++sent) maker.add(command, session.windowId());
        // The window may be dragged by its title; keep it where the inputs are aimed.
        command.insert(command.end(), {"windowmove", session.windowId(), "0", "0"});
        testing_x::xdotool(command);
        if (session.ended()) {
            // A focused close button took Space: an orderly end that saves, then a new session.
            ASSERT_EQ(session.code(), 0) << "after " << sent << " inputs: " << session.errors();
            if (fs::exists(folder / "Backup.xml")) {
                checkSaved("a session closed by the soak's input");
                ++saves;
            }
            ASSERT_TRUE(session.start()) << session.errors();
            ++sessions;
        }
    }
    // The orderly end: the editor shown, then Escape saves "Backup.xml" and ends the program.
    const bool shown = session.showEditor();
    if (!session.ended()) session.leave();
    EXPECT_TRUE(shown || session.ended()) << "the editor did not come up for the final save";
    ASSERT_TRUE(session.waitForEnd(60)) << "the program did not end; " << session.errors();
    ASSERT_EQ(session.code(), 0) << session.errors();
    ASSERT_TRUE(fs::exists(folder / "Backup.xml")) << session.errors();
    checkSaved("the end of the soak");
    ++saves;
    std::cout << "soak: " << sent << " inputs, " << sessions << " sessions, " << saves << " saves checked"
              << std::endl;
}

// --- reloads while the editor is open: a -d copy of the production rewritten on disk ------------
// The player follows the file while the soak's input edits, saves and seeks: good versions (the
// production with an element of an unknown tag, which loads and is named on standard error at each
// load) and broken ones (cut short) take turns, each saved as editors save. Nothing may crash, the
// final save must still hold every object of the production, and the versions must have been
// looked at: the broken ones refused, and a good one, once nothing holds it back, loaded into the
// editor, which stays shown.
TEST_F(Soak, RewritingTheDocumentWhileTheEditorIsOpenNeitherCrashesNorLosesObjects) {
    std::cout << "reload soak seed " << seed << " (replay with ZOD_SOAK_SEED=" << seed << ")" << std::endl;
    SCOPED_TRACE("ZOD_SOAK_SEED=" + std::to_string(seed));
    const fs::path document = folder / "demo.xml";
    std::ofstream(document) << text;
    const std::size_t end = text.rfind("</");
    ASSERT_NE(end, std::string::npos);
    auto marker = [](int round) { return "Round" + std::to_string(round) + ": unknown tag <soakround>"; };
    auto rewrite = [&](int round) {
        const std::string version = round % 2 ? text.substr(0, text.size() / 2)
                                              : text.substr(0, end) + "<soakround name=\"Round" + std::to_string(round) +
                                                    "\"/>\n" + text.substr(end);
        std::ofstream(folder / ".demo.xml.new") << version;
        fs::rename(folder / ".demo.xml.new", document);
    };
    // Until standard error holds `what` (or the program ended, or a minute went by).
    auto waitForMessage = [&](Session& session, const std::string& what) {
        for (int i = 0; i < 1200 && !session.ended(); ++i) {
            if (session.errors().find(what) != std::string::npos) return true;
            std::this_thread::sleep_for(50ms);
        }
        return session.errors().find(what) != std::string::npos;
    };

    Session session(folder);
    ASSERT_TRUE(session.start(document.string())) << session.errors();
    session.showEditor();
    InputMaker maker(seed, layout);
    int looked = 0;  // rewrites that the player was seen to take up
    for (int round = 0; round < 6; ++round) {
        rewrite(round);
        std::vector<std::string> command;
        for (int i = 0; i < 48; ++i) maker.add(command, session.windowId());
        command.insert(command.end(), {"windowmove", session.windowId(), "0", "0"});
        testing_x::xdotool(command);
        if (session.ended()) {  // the close button took a Space: an orderly end, then on again
            ASSERT_EQ(session.code(), 0) << session.errors();
            rewrite(0);  // start-up refuses a broken version, as it should
            ASSERT_TRUE(session.start(document.string())) << session.errors();
        } else {
            const std::string errors = session.errors();
            looked += errors.find(marker(round)) != std::string::npos || errors.find("not loaded") != std::string::npos;
        }
        session.showEditor();
    }
    rewrite(6);  // a good version last
    if (!session.ended()) session.leave();
    ASSERT_TRUE(session.waitForEnd(60)) << "the program did not end; " << session.errors();
    ASSERT_EQ(session.code(), 0) << session.errors();
    const std::string saved = testing_paths::readFile(folder / "Backup.xml");
    EXPECT_EQ(objectsOf(saved), objectsOf(text)) << session.errors();
    std::cout << "reload soak: 6 rewrites, " << looked << " taken up while the input ran" << std::endl;

    // Without edits held, a new version is loaded while the editor is shown, and the editor stays.
    ASSERT_TRUE(session.start(document.string())) << session.errors();
    ASSERT_TRUE(session.showEditorPatiently()) << session.errors();
    rewrite(8);
    EXPECT_TRUE(waitForMessage(session, marker(8))) << "the new version was not loaded; " << session.errors();
    rewrite(9);
    EXPECT_TRUE(waitForMessage(session, "not loaded; the version on screen plays on")) << session.errors();
    EXPECT_TRUE(session.editorShown()) << "the editor is gone after the reloads";
    testing_x::xdotool({"key", "--clearmodifiers", "Escape"});
    ASSERT_TRUE(session.waitForEnd(60)) << "the program did not end; " << session.errors();
    EXPECT_EQ(session.code(), 0) << session.errors();
    // The save at the end is of the version loaded last: the marked one, not the broken one.
    EXPECT_NE(testing_paths::readFile(folder / "Backup.xml").find("Round8"), std::string::npos);
}

}  // namespace
