// The user-interface root over a real document, device and music: playback view, Space and the
// editor, focus and Tab traversal at the root, the object browser's panels, Escape and the close
// button with "Backup.xml", and the frame's background.
#include "gui/Gui.h"

#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/FloatObject.h"
#include "gui/EditHistory.h"
#include "gui/FloatPanel.h"
#include "gui/HelpTable.h"
#include "gui/MusicDocumentTest.h"
#include "gui/ProblemList.h"
#include "gui/RecordingHost.h"
#include "gui/TransportPanel.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int Tab = 9, Shift = 16, Escape = 27, Space = 32, Down = 40, Up = 38, F1 = 0x70;

const char* document =
    "<demo>"
    "<float name=\"Speed\" value=\"2.5\" step=\"0.5\"/>"
    "<texture.file name=\"Black\" resource=\"black.jpg\"/>"
    "<visual.overlay name=\"Cover\" texture=\"Black\" start=\"0\" stop=\"1000\"/>"
    "<visual.group name=\"Main\"><item visual=\"Cover\"/></visual.group>"
    "<texture.file name=\"Broken\" resource=\"no such picture.png\"/>"
    "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>"
    "</demo>";

// Runs a test inside a fresh temporary folder, so that "Backup.xml" lands there.
class InTempFolder {
public:
    InTempFolder() : previous(std::filesystem::current_path()), folder(testing_paths::makeTempDir()) {
        std::filesystem::current_path(folder);
    }
    ~InTempFolder() {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    bool has(const char* name) const { return std::filesystem::exists(std::filesystem::path(folder) / name); }
    std::string read(const char* name) const {
        std::ifstream in(std::filesystem::path(folder) / name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path previous;
    std::string folder;
};

class GuiTest : public MusicDocumentTest {
protected:
    GuiTest() : MusicDocumentTest(320, 240, document) {}

    void SetUp() override {
        MusicDocumentTest::SetUp();
        if (HasFatalFailure()) return;
        music = static_cast<Music*>(doc.database.music(TypeMusic));
        ASSERT_NE(music, nullptr);
    }
    // The Gui as the display would attach it: host, focus (the window has it) and the client area.
    void attach(Gui& gui) {
        gui.setHost(&host);
        gui.focusIn(0);
        gui.setRect({0, 0, screen.width(), screen.height()});
    }

    RecordingHost host;
    Music* music = nullptr;
};

TEST_F(GuiTest, InitFailsWithoutARootVisual) {
    TestDocument noMain("<demo><music name=\"Music\" resource=\"Music.ogg\"/></demo>");
    Gui gui;
    EXPECT_FALSE(gui.init(&noMain.database, nullptr));
    TestDocument noMusic("<demo><visual.group name=\"Main\"/></demo>");
    Gui other;
    EXPECT_FALSE(other.init(&noMusic.database, nullptr));
}

TEST_F(GuiTest, PlaybackShowsTheRootVisualInTheCentred43Rectangle) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    EXPECT_FALSE(gui.isEditorShown());
    VisualPreview* preview = dynamic_cast<VisualPreview*>(gui.getChild());
    ASSERT_NE(preview, nullptr);
    const Rect fitted = preview->getFitted();
    EXPECT_EQ(fitted.x, 0);
    EXPECT_EQ(fitted.y, 0);
    EXPECT_EQ(fitted.width, 320);
    EXPECT_EQ(fitted.height, 240);

    gui.setRect({0, 0, 400, 240});  // wider: bars left and right
    EXPECT_EQ(preview->getFitted().x, 40);
    EXPECT_EQ(preview->getFitted().width, 320);

    screen->BeginScene();
    EXPECT_TRUE(gui.draw(1.0f, 0.01f));
    screen->EndScene();
    // The bar keeps the background colour; the black cover fills the 4:3 rectangle.
    const DWORD bar = screen.pixel(5, 120);
    EXPECT_EQ(bar & 0xffffff, 0x204080u);
    EXPECT_EQ(screen.pixel(160, 120) & 0xffffff, 0u);
}

TEST_F(GuiTest, F1ShowsTheHelpOfWhatIsOnScreenAndEscapeClosesItWithoutEnding) {
    InTempFolder folder;
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    auto drawAndProbe = [&] {
        screen->BeginScene();
        EXPECT_TRUE(gui.draw(1.0f, 0.01f));
        screen->EndScene();
        return screen.pixel(160, 120) & 0xffffff;
    };
    EXPECT_EQ(drawAndProbe(), 0u);  // the black cover

    EXPECT_TRUE(gui.key(F1, true));
    ASSERT_TRUE(gui.isHelpShown());
    EXPECT_EQ(gui.getHelp().shownContexts(), (std::vector<const char*>{HelpPlayback}));
    EXPECT_NE(drawAndProbe(), 0u);  // the help's panel over the picture
    EXPECT_TRUE(gui.key(Space, true));  // taken by the help: no editor
    EXPECT_FALSE(gui.isEditorShown());

    EXPECT_TRUE(gui.key(Escape, true));  // closes the help, not the program
    EXPECT_FALSE(gui.isHelpShown());
    EXPECT_FALSE(gui.isQuitting());
    EXPECT_EQ(drawAndProbe(), 0u);

    // In the editor: its rows, the selected float's knob, the time line; a click closes.
    gui.key(Space, true);
    gui.key(F1, true);
    EXPECT_EQ(gui.getHelp().shownContexts(), (std::vector<const char*>{HelpEditor, HelpFloat, HelpTimeLine}));
    gui.leftButton({160, 120}, 0);
    EXPECT_FALSE(gui.isHelpShown());
    EXPECT_TRUE(gui.isEditorShown());
    gui.key(F1, true);
    gui.key(F1, true);  // F1 again closes
    EXPECT_FALSE(gui.isHelpShown());

    // The toolbar's "?" does what F1 does, at the next frame.
    const Rect button = gui.getEditor()->getHelpButton()->getRect();
    gui.leftButton({button.x + button.width / 2, button.y + button.height / 2}, 0);
    gui.leftButton({button.x + button.width / 2, button.y + button.height / 2}, 2);
    screen->BeginScene();
    EXPECT_TRUE(gui.draw(1.0f, 0.01f));
    screen->EndScene();
    EXPECT_TRUE(gui.isHelpShown());
    EXPECT_FALSE(gui.isQuitting());
    EXPECT_FALSE(folder.has("Backup.xml"));
}

TEST_F(GuiTest, SpaceShowsTheEditorPausesTheMusicAndFocusesPlay) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    music->setPaused(false);

    EXPECT_TRUE(gui.key(Space, true));
    EXPECT_TRUE(gui.isEditorShown());
    EXPECT_TRUE(gui.isEditorOpened());
    EXPECT_TRUE(host.cursorShown);
    EXPECT_TRUE(music->isPaused());
    EXPECT_EQ(gui.getChild(), gui.getEditor());
    EXPECT_EQ(gui.getMargins().x, 2);
    TransportPanel* transport = music->transportPanel();
    ASSERT_NE(transport, nullptr);
    EXPECT_TRUE(transport->getPlayButton()->isFocused());
    EXPECT_TRUE(transport->getPauseButton()->highlighted);

    // Space on the focused play button plays; the editor stays.
    EXPECT_TRUE(gui.key(Space, true));
    EXPECT_TRUE(gui.isEditorShown());
    EXPECT_FALSE(music->isPaused());
    EXPECT_TRUE(transport->getPlayButton()->highlighted);
}

TEST_F(GuiTest, SpaceHidesTheEditorOnceTheListHasTheFocus) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    music->seek(3.0f);
    gui.key(Space, true);
    ObjectBrowser* browser = nullptr;
    // Click the first row of the list.
    ListBox* list = nullptr;
    {
        EditorPanel* editor = gui.getEditor();
        browser = editor->getBrowser();
        ASSERT_NE(browser, nullptr);
        list = browser->getList();
    }
    const Rect r = list->getRect();
    ASSERT_GT(r.height, ListBox::getRowHeight());
    gui.mouseMove({r.x + 2, r.y + 2});
    gui.leftButton({r.x + 2, r.y + 2}, 0);
    gui.leftButton({r.x + 2, r.y + 2}, 2);
    EXPECT_TRUE(list->isFocused());

    EXPECT_TRUE(gui.key(Space, true));
    EXPECT_FALSE(gui.isEditorShown());
    EXPECT_FALSE(host.cursorShown);
    EXPECT_FALSE(music->isPaused());  // resumes from the current time
    EXPECT_EQ(gui.getMargins().x, 0);
    EXPECT_NEAR(music->time(), 3.0f, 0.1f);
}

TEST_F(GuiTest, TabVisitsEveryControlAndWrapsAtTheRoot) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    gui.key(Space, true);
    TransportPanel* transport = music->transportPanel();
    ASSERT_NE(transport, nullptr);
    ListBox* list = gui.getEditor()->getBrowser()->getList();

    // play, pause, time knob, save, close, list, the float's knob, and round to play again.
    int visited = 0;
    bool sawKnob = false, sawList = false;
    for (; visited < 12; ++visited) {
        ASSERT_TRUE(gui.key(Tab, true));
        if (transport->getKnob()->isFocused()) sawKnob = true;
        if (list->isFocused()) sawList = true;
        if (transport->getPlayButton()->isFocused()) break;
    }
    EXPECT_TRUE(sawKnob);
    EXPECT_TRUE(sawList);
    EXPECT_EQ(visited, 6);  // 7 controls: six steps away from play and the seventh comes back

    host.keysDown.insert(Shift);
    ASSERT_TRUE(gui.key(Tab, true));  // backwards from the first wraps to the last
    FloatObject* speed = doc.find<FloatObject>("Speed", TypeFloat);
    ASSERT_NE(speed, nullptr);
    FloatPanel* panel = static_cast<FloatPanel*>(speed->getEditor());
    EXPECT_TRUE(panel->getKnob()->isFocused());
}

TEST_F(GuiTest, TheFloatPanelShowsAndChangesTheValue) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    gui.key(Space, true);
    ObjectBrowser* browser = gui.getEditor()->getBrowser();
    FloatObject* speed = doc.find<FloatObject>("Speed", TypeFloat);
    FloatPanel* panel = static_cast<FloatPanel*>(speed->getEditor());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(browser->getEditorFrame()->getChild(), panel);  // entry 0 is shown first
    EXPECT_STREQ(panel->getValueLabel()->getText(), "Value: 2.500");

    // The knob steps by the object's step, and the label follows the object.
    Knob* knob = panel->getKnob();
    const Rect k = knob->getRect();
    gui.wheel({k.x + 8, k.y + 8}, 2.0f);
    EXPECT_FLOAT_EQ(speed->value, 3.5f);
    EXPECT_STREQ(panel->getValueLabel()->getText(), "Value: 3.500");
    speed->setValue(-1.25f);
    EXPECT_STREQ(panel->getValueLabel()->getText(), "Value: -1.250");
    EXPECT_FLOAT_EQ(knob->value, -1.25f);
}

TEST_F(GuiTest, BrowserShowsLoadingErrorsAndMissingEditors) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    gui.key(Space, true);
    ObjectBrowser* browser = gui.getEditor()->getBrowser();
    ListBox* list = browser->getList();
    const int broken = 4, musicRow = 5;
    ASSERT_STREQ(doc.database.nameAt(broken), "Broken");
    browser->showObject(broken);
    EXPECT_EQ(browser->getEditorFrame()->getChild(), browser->getErrorPanel());
    ASSERT_FALSE(browser->getErrorReasons()->getLines().empty());  // why, not only that it failed
    EXPECT_NE(browser->getErrorReasons()->getLines().front().find("no such picture.png"), std::string::npos)
        << browser->getErrorReasons()->getLines().front();
    browser->showObject(musicRow);
    EXPECT_EQ(browser->getEditorFrame()->getChild(), browser->getNoEditorLabel());
    // The labels fill the editor frame.
    const Rect frame = browser->getEditorFrame()->getRect();
    EXPECT_EQ(browser->getNoEditorLabel()->getRect().width, frame.width - 10);

    // Keys on the list select and show.
    browser->showObject(0);
    list->focusIn(0);
    EXPECT_TRUE(list->key(Down, true));
    EXPECT_EQ(list->getSelected(), 1);
    EXPECT_NE(browser->getEditorFrame()->getChild(), browser->getNoEditorLabel());
    EXPECT_TRUE(list->key(Up, true));
    EXPECT_EQ(list->getSelected(), 0);
}

TEST_F(GuiTest, EscapeWithoutTheEditorWritesNothing) {
    InTempFolder folder;
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    screen->BeginScene();
    EXPECT_TRUE(gui.draw(1.0f, 0.01f));
    EXPECT_TRUE(gui.key(Escape, true));
    EXPECT_FALSE(gui.draw(1.0f, 0.01f));
    screen->EndScene();
    EXPECT_FALSE(folder.has("Backup.xml"));
}

TEST_F(GuiTest, EscapeAfterTheEditorWasOpenedWritesTheBackup) {
    InTempFolder folder;
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    gui.key(Space, true);
    gui.toggleEditor();  // closed again: the editor was still opened once
    EXPECT_FALSE(gui.isEditorShown());
    EXPECT_TRUE(gui.key(Escape, true));
    EXPECT_TRUE(folder.has("Backup.xml"));
    EXPECT_NE(folder.read("Backup.xml").find("Speed"), std::string::npos);
}

TEST_F(GuiTest, TheEndOfTheProductionEndsPlaybackButBringsAnOpenedEditorBack) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    screen->BeginScene();
    EXPECT_FALSE(gui.draw(2000.0f, 0.01f));  // past the cover's stop: nothing left to show
    gui.key(Space, true);
    gui.toggleEditor();  // opened once, then back to playback
    music->setPaused(false);
    EXPECT_TRUE(gui.draw(2000.0f, 0.01f));
    EXPECT_TRUE(gui.isEditorShown());
    EXPECT_TRUE(music->isPaused());
    EXPECT_TRUE(gui.draw(2000.0f, 0.01f));  // and it stays, until the author leaves
    screen->EndScene();
}

TEST_F(GuiTest, CloseButtonSavesTheBackupAndEndsTheNextFrame) {
    InTempFolder folder;
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    gui.key(Space, true);
    FloatObject* speed = doc.find<FloatObject>("Speed", TypeFloat);
    speed->setValue(7.0f);
    // Tab to the close button (play, pause, knob, save, close) and press it with Return.
    for (int i = 0; i < 4; ++i) gui.key(Tab, true);
    screen->BeginScene();
    EXPECT_TRUE(gui.draw(1.0f, 0.01f));
    EXPECT_TRUE(gui.key(13, true));
    EXPECT_FALSE(gui.draw(1.0f, 0.01f));
    screen->EndScene();
    ASSERT_TRUE(folder.has("Backup.xml"));
    EXPECT_NE(folder.read("Backup.xml").find("7.000000"), std::string::npos);
}

TEST_F(GuiTest, EscapeWithAnUnsavedEditAsksAndStaysUntilLeaveWritesTheBackup) {
    InTempFolder folder;
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    gui.key(Space, true);
    FloatObject* speed = doc.find<FloatObject>("Speed", TypeFloat);
    EditHistory::beginEdit(speed);  // as the knob does
    speed->setValue(7.0f);
    EditHistory::endEdit();
    gui.toggleEditor();  // back to playback: Escape brings the editor and the question

    screen->BeginScene();
    EXPECT_TRUE(gui.key(Escape, true));
    EXPECT_TRUE(gui.isAsking());
    EXPECT_TRUE(gui.isEditorShown());
    EXPECT_TRUE(gui.key(Escape, true));  // Stay
    EXPECT_FALSE(gui.isAsking());
    EXPECT_TRUE(gui.draw(1.0f, 0.01f));
    EXPECT_FALSE(folder.has("Backup.xml"));

    gui.key(Escape, true);
    gui.key(Tab, true);  // "Save" to "Leave"
    gui.key(13, true);
    EXPECT_FALSE(gui.draw(1.0f, 0.01f));
    screen->EndScene();
    EXPECT_NE(folder.read("Backup.xml").find("7.000000"), std::string::npos);
}

TEST_F(GuiTest, TimeKnobSeeksByBeatsAndPauses) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    attach(gui);
    gui.key(Space, true);
    TransportPanel* transport = music->transportPanel();
    Knob* knob = transport->getKnob();
    EXPECT_FLOAT_EQ(knob->step, 0.5f);  // tempo 120
    music->setPaused(false);
    const Rect k = knob->getRect();
    const Point centre{k.x + 8, k.y + 8};
    gui.mouseMove(centre);
    gui.leftButton(centre, 0);
    ASSERT_EQ(host.capture, knob);
    knob->mouseMove({centre.x + 40, centre.y});  // captured: the display sends it straight there
    EXPECT_TRUE(music->isPaused());
    const float s = 40 * 0.25f * 0.5f;
    EXPECT_NEAR(music->time(), s / (1 + s) * s, 0.05f);
    knob->leftButton({centre.x + 40, centre.y}, 2);
    EXPECT_EQ(host.capture, nullptr);
    EXPECT_NEAR(knob->value, music->time(), 1e-4f);
    EXPECT_NE(std::string(transport->getTimeLabel()->getText()).find("Time: 0:0"), std::string::npos);
}

TEST_F(GuiTest, FrameRateChangesAtMostFiveTimesASecond) {
    Gui gui;
    ASSERT_TRUE(gui.init(&doc.database, nullptr));
    TransportPanel* transport = music->transportPanel();
    ASSERT_NE(transport, nullptr);
    const std::string before = transport->getFpsLabel()->getText();
    for (int i = 0; i < 19; ++i) transport->accumulateFrame(0.01f);  // 0.19 s
    EXPECT_EQ(before, transport->getFpsLabel()->getText());
    transport->accumulateFrame(0.02f);  // 0.21 s over 20 frames
    EXPECT_NEAR(transport->getFpsLabel()->getNumber(), 20.0f / 0.21f, 0.01f);
    EXPECT_STREQ(transport->getFpsLabel()->getText(), "FPS: 95.24");
}

}  // namespace

TEST_F(GuiTest, WithoutALoadingRootTheEditorListsTheProblemsAndAClickSelectsTheObject) {
    TestDocument broken("<demo><music name=\"Music\" resource=\"Music.ogg\"/>\n"
                        "<visual.overlay name=\"Cover\" texture=\"Nope\"/>\n"
                        "<visual.group name=\"Main\"><item visual=\"Cover\"/></visual.group></demo>");
    Gui strict;
    EXPECT_FALSE(strict.init(&broken.database, nullptr));
    Gui gui;
    ASSERT_TRUE(gui.init(&broken.database, nullptr, true));
    EXPECT_FALSE(gui.hasRootVisual());
    EXPECT_TRUE(gui.isEditorShown());
    const std::string line = "demo.xml:line 2: Cover: the texture \"Nope\" names no element; did you mean \"None\"?";
    gui.getEditor()->setFindings({line, "demo.xml:line 3: Main: " + std::string(300, 'x')});
    gui.getEditor()->setProblem("demo.xml: not loaded");
    attach(gui);
    gui.key(Space, true);  // nothing to play: the editor stays
    EXPECT_TRUE(gui.isEditorShown());
    gui.draw(0.0f, 0.01f);

    ProblemList* problems = gui.getEditor()->getProblemList();
    const Rect area = problems->getRect();
    const int row = problems->getRowHeight();
    EXPECT_GT(problems->getRowCount(), 3);  // the long line wraps, whole
    EXPECT_EQ(area.height, std::min(problems->getRowCount(), 6) * row);
    const Point second{area.x + 10, area.y + row + row / 2};
    gui.mouseMove(second);
    gui.leftButton(second, 0);
    gui.leftButton(second, 2);  // the second row: the first line is short
    EXPECT_EQ(problems->getSelected(), 1);
    EXPECT_STREQ(gui.getEditor()->getBrowser()->selectedName(), "Cover");
    EXPECT_TRUE(problems->key(Down, true));
    EXPECT_STREQ(gui.getEditor()->getBrowser()->selectedName(), "Main");
}
