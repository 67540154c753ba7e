// The editor's edits of objects, as an author makes them in the property list: applied at once,
// saved in that element alone, undone to the saved bytes; whole-document edits (rename, delete,
// new) loaded as the next version through the one loader.
#include "app/EditedDocument.h"

#include "app/Display.h"
#include "app/LiveReload.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "gui/ObjectActions.h"
#include "gui/ObjectBrowser.h"
#include "gui/PropertyList.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

const char* const original =
    "<demo>\n"
    "    <texture.file name=\"Black\" resource=\"black.jpg\"/>\n"
    "    <visual.overlay name=\"Cover\"   texture=\"Black\" start=\"0\" stop=\"1000\"/>\n"
    "    <visual.overlay name=\"Veil\" texture=\"Black\" start=\"2\" stop=\"3\" t1=\"0.5\"/>\n"
    "    <visual.group name=\"Main\"><item visual=\"Cover\"/><item visual=\"Veil\"/></visual.group>\n"
    "    <music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n"
    "    <float name=\"Rise\" value=\"0\"><key t=\"2\" v=\"-16\" ease=\"smooth\" /><key t=\"3\" v=\"-80\" ease=\"step\" /></float>\n"
    "    <texture.target name=\"Screen\" visual=\"Cover\" color=\"ff000000\"/>\n"
    "</demo>\n";

class EditedDocument : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(startAudio(nullptr));
        folder = testing_paths::makeTempDir();
        file = (folder / "demo.xml").string();
        std::ofstream(file) << original;
        std::vector<std::string> problems;
        ASSERT_TRUE(LiveReload::load(file, &display, current, &problems)) << problems.front();
        display.setRoot(current.gui.get());
        current.gui->toggleEditor();
        editor()->getBrowser()->showProperties(true);
        frame();
    }
    void TearDown() override {
        display.setRoot(nullptr);
        if (current.database) current.database->deleteObjects();
        stopAudio();
        fs::remove_all(folder);
    }

    EditorPanel* editor() { return current.gui->getEditor(); }
    PropertyList* properties() { return editor()->getBrowser()->getProperties(); }
    // A frame, then what the program does between two frames with the editor's whole-document edit.
    void draw() {
        current.gui->setRect({0, 0, 320, 240});
        current.gui->draw(current.music->time(), 0.01f);
    }
    void frame() {
        draw();
        std::string text, why;
        if (editor()->takeDocumentRequest(&text) && !loadEditedDocument(current, text, file, &display, &why))
            editor()->documentRefused(why);
        draw();
    }
    void select(const char* name) {
        ASSERT_TRUE(editor()->getBrowser()->selectName(name));
        frame();
    }
    void type(TextField* field, const std::string& text) {
        field->leftButton({0, 0}, 1);  // a double-click: typed from nothing
        for (char c : text) field->character(c);
    }
    std::string saved() {
        EXPECT_TRUE(editor()->save());
        return testing_paths::readFile(file);
    }

    TestDevice screen{320, 240};
    Display display;
    LoadedDocument current;
    fs::path folder;
    std::string file;
};

}  // namespace

TEST_F(EditedDocument, ATypedStopChangesThatElementOnlyAndUndoGivesTheSavedBytesBack) {
    select("Cover");
    Object* before = current.database->find("Cover", TypeVisual);
    const float time = current.music->time();
    type(&properties()->rowOf("stop")->field, "500");
    EXPECT_TRUE(properties()->rowOf("stop")->field.enter()) << properties()->getNote();
    frame();
    EXPECT_NE(current.database->find("Cover", TypeVisual), before) << "the overlay was not built again";
    EXPECT_TRUE(editor()->hasUnsavedEdits());
    EXPECT_EQ(current.music->time(), time);
    EXPECT_STREQ(editor()->getBrowser()->selectedName(), "Cover");
    std::string expected = original;
    expected.replace(expected.find("stop=\"1000\""), 11, "stop=\"500\"");
    EXPECT_EQ(saved(), expected);

    editor()->undo();
    frame();
    EXPECT_EQ(saved(), original);
}

TEST_F(EditedDocument, AnInvalidTypedNumberIsRedWithTheReasonAndNotApplied) {
    select("Veil");
    TextField* field = &properties()->rowOf("t1")->field;
    type(field, "fast");
    EXPECT_TRUE(field->invalid);
    EXPECT_NE(properties()->getNote().find("t1"), std::string::npos) << properties()->getNote();
    EXPECT_FALSE(field->enter());
    frame();
    EXPECT_FALSE(editor()->hasUnsavedEdits());
    EXPECT_FALSE(editor()->getHistory().canUndo());

    // A number the overlay cannot use: the stop before the start.
    field = &properties()->rowOf("stop")->field;
    type(field, "1");
    EXPECT_FALSE(field->enter());
    EXPECT_FALSE(properties()->getNote().empty());
    EXPECT_FALSE(editor()->hasUnsavedEdits());
}

TEST_F(EditedDocument, ARenameFollowsEveryReferenceInTheSavedFileAndUndoes) {
    select("Black");
    type(properties()->nameField(), "Dark");
    EXPECT_TRUE(properties()->nameField()->enter()) << properties()->getNote();
    frame();
    EXPECT_STREQ(editor()->getBrowser()->selectedName(), "Dark");
    std::string expected = original;
    for (std::size_t at; (at = expected.find("\"Black\"")) != std::string::npos;) expected.replace(at, 7, "\"Dark\"");
    EXPECT_EQ(saved(), expected);
    editor()->undo();
    frame();
    EXPECT_EQ(saved(), original);
}

TEST_F(EditedDocument, DeleteListsTheReferrersThenRemovesTheirItemsOrRefusesARequiredReference) {
    select("Black");
    properties()->press(PropertyList::DeleteButton);
    frame();
    EXPECT_NE(properties()->getNote().find("\"Cover\" needs it (texture)"), std::string::npos) << properties()->getNote();
    EXPECT_EQ(current.database->count(), 7);

    select("Veil");
    properties()->press(PropertyList::DeleteButton);
    frame();
    EXPECT_NE(properties()->getNote().find("\"Main\""), std::string::npos) << properties()->getNote();
    EXPECT_EQ(current.database->count(), 7) << "deleted before it was confirmed";
    properties()->press(PropertyList::DeleteButton);
    frame();
    EXPECT_EQ(current.database->count(), 6);
    const std::string text = saved();
    EXPECT_EQ(text.find("Veil"), std::string::npos) << text;
    EXPECT_NE(text.find("<visual.group name=\"Main\">\n        <item visual=\"Cover\" />\n    </visual.group>"), std::string::npos) << text;
    EXPECT_NE(text.find("    <visual.overlay name=\"Cover\"   texture=\"Black\" start=\"0\" stop=\"1000\"/>\n"), std::string::npos);
}

TEST_F(EditedDocument, ANewOverlayStartsAtTheCursorForFourBarsAndIsSelected) {
    current.music->seek(4.0f);
    ASSERT_EQ(properties()->typeChoice()->getValue(), "visual.overlay");
    properties()->press(PropertyList::NewButton);
    frame();
    EXPECT_STREQ(editor()->getBrowser()->selectedName(), "Overlay");
    const std::string text = saved();
    EXPECT_NE(text.find("    <visual.overlay name=\"Overlay\" texture=\"Black\" start=\"4\" stop=\"12\" />\n</demo>"), std::string::npos)
        << text;
    EXPECT_EQ(text.substr(0, text.find("    <visual.overlay name=\"Overlay\"")), std::string(original).substr(0, std::string(original).find("</demo>")));
}

TEST_F(EditedDocument, AGroupsItemMovedUpRewritesThatGroupAloneAndUndoes) {
    select("Main");
    ASSERT_NE(properties()->itemRow(1), nullptr);
    EXPECT_EQ(properties()->itemRow(1)->choices.front()->getValue(), "Veil");
    properties()->press(PropertyList::ItemButton + 1 * 4);  // the second item's "up"
    frame();
    EXPECT_EQ(properties()->itemRow(0)->choices.front()->getValue(), "Veil") << properties()->getNote();
    std::string expected = original;
    const std::string items = "<item visual=\"Cover\"/><item visual=\"Veil\"/></visual.group>";
    expected.replace(expected.find(items), items.size(),
                     "\n        <item visual=\"Veil\" />\n        <item visual=\"Cover\" />\n    </visual.group>");
    EXPECT_EQ(saved(), expected);
    editor()->undo();
    frame();
    EXPECT_EQ(saved(), original);
}

// A caption that slides and a screen whose colour pulses, made in the property list: a number or a
// colour channel typed as "@Name" follows that float; a name that is no float is refused.
TEST_F(EditedDocument, ANumberOrColourChannelTypedAsAFloatsNameFollowsItAndAnythingElseIsRefused) {
    select("Veil");
    type(&properties()->rowOf("position")->field, "16 @Rise 256 64");
    EXPECT_TRUE(properties()->rowOf("position")->field.enter()) << properties()->getNote();
    frame();
    select("Screen");
    type(&properties()->rowOf("color")->field, "1 0 0 @Rise");
    EXPECT_TRUE(properties()->rowOf("color")->field.enter()) << properties()->getNote();
    frame();
    type(&properties()->rowOf("color")->field, "1 0 0 @Cover");
    EXPECT_FALSE(properties()->rowOf("color")->field.enter());
    EXPECT_NE(properties()->getNote().find("Cover"), std::string::npos) << properties()->getNote();
    frame();
    std::string expected = original;
    expected.replace(expected.find("t1=\"0.5\""), 8, "t1=\"0.5\" position=\"16 @Rise 256 64\"");
    expected.replace(expected.find("color=\"ff000000\""), 16, "color=\"1 0 0 @Rise\"");
    EXPECT_EQ(saved(), expected);
}

// A new path's panel and the property list beside it, in a window with room for both: the editor
// lays the browser out by its hint with the list's rows, so neither reaches past the window.
TEST_F(EditedDocument, APathsPanelAndThePropertyListStayInsideTheWindow) {
    const auto types = ObjectActions::makeableTypes();
    const auto path = std::find(types.begin(), types.end(), TypePathSpline);
    ASSERT_NE(path, types.end());
    ASSERT_TRUE(properties()->typeChoice()->choose(static_cast<int>(path - types.begin())));
    properties()->press(PropertyList::NewButton);
    frame();
    ASSERT_STREQ(editor()->getBrowser()->selectedName(), "Path");
    current.gui->setRect({0, 0, 1280, 960});
    current.gui->draw(current.music->time(), 0.01f);
    const Rect browser = editor()->getBrowser()->getRect(), list = properties()->getRect();
    EXPECT_LE(browser.y + browser.height, 960);
    EXPECT_GE(list.width, properties()->getSizeHint().width);
    EXPECT_LE(list.x + list.width, 1280);
}
