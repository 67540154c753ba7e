// Live reload in the player's own objects: a change on disk never replaces edits not yet saved,
// the player's own save loads nothing, and a later change loads at the same time, on the same
// object in the editor.
#include "app/LiveReload.h"

#include "app/Display.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/FloatObject.h"
#include "gui/DiskChangeBar.h"
#include "gui/Gui.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string documentWith(const char* speed) {
    return std::string("<demo>\n<float name=\"Speed\" value=\"") + speed +
           "\" step=\"0.5\"/>\n"
           "<texture.file name=\"Black\" resource=\"black.jpg\"/>\n"
           "<visual.overlay name=\"Cover\" texture=\"Black\" start=\"0\" stop=\"1000\"/>\n"
           "<visual.group name=\"Main\"><item visual=\"Cover\"/></visual.group>\n"
           "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n</demo>\n";
}

// As editors save: a new file renamed over the old one.
void saveAsAnEditorDoes(const fs::path& file, const std::string& text) {
    const fs::path temporary = file.parent_path() / ".demo.xml.swp";
    std::ofstream(temporary) << text;
    fs::rename(temporary, file);
}

float speedOf(LoadedDocument& loaded) {
    auto* speed = static_cast<FloatObject*>(loaded.database->find("Speed", TypeFloat));
    return speed ? speed->value : -1.0f;
}

// Polls as the main loop does, between frames, until `done` or 20 s; counts the reloads.
template <class Done>
int pollUntil(LiveReload& live, LoadedDocument& current, Done done) {
    int reloads = 0;
    for (int i = 0; i < 1000 && !done(); ++i) {
        reloads += live.poll(current) ? 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return reloads;
}

// A click on the bar's button with that word, as the mouse gives it.
void click(DiskChangeBar& bar, const char* caption) {
    for (int i = 0; i < bar.buttonCount(); ++i) {
        DiskChangeBar::AnswerButton* button = bar.buttonAt(i);
        if (std::string(button->getCaption()) != caption) continue;
        button->leftButton({0, 0}, 0);
        button->leftButton({0, 0}, 2);
        return;
    }
    ADD_FAILURE() << "no button " << caption;
}

}  // namespace

TEST(LiveReload, UnsavedEditsSurviveAChangeOnDiskAndOwnSavesLoadNothing) {
    TestDevice screen(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path file = folder / "demo.xml";
    std::ofstream(file) << documentWith("2.5");
    {
        Display display;  // the host of the root widget; no window is needed here
        LoadedDocument current;
        std::vector<std::string> problems;
        ASSERT_TRUE(LiveReload::load(file.string(), &display, current, &problems)) << problems.front();
        display.setRoot(current.gui.get());
        LiveReload live(file.string(), &display);
        ASSERT_TRUE(live.start(current));

        // An edit in the editor, then another version of the file on disk: the edit stays.
        static_cast<FloatObject*>(current.database->find("Speed", TypeFloat))->setValue(7.0f);
        Database* edited = current.database.get();
        saveAsAnEditorDoes(file, documentWith("3"));
        EXPECT_EQ(pollUntil(live, current, [&] { return live.isHoldingEdits(); }), 0);
        EXPECT_TRUE(live.isHoldingEdits());
        EXPECT_EQ(current.database.get(), edited);
        EXPECT_EQ(speedOf(current), 7.0f);

        // The editor asks; the save button writes nothing over the file's change, it asks too.
        DiskChangeBar* bar = current.gui->getEditor()->getDiskChange();
        ASSERT_TRUE(bar->isShown());
        Button saveButton;
        saveButton.setListener(EditorPanel::SaveButton, current.gui->getEditor());
        saveButton.leftButton({0, 0}, 0);
        saveButton.leftButton({0, 0}, 2);
        EXPECT_TRUE(current.database->saveRefusedForChangeOnDisk());
        EXPECT_NE(testing_paths::readFile(file.string()).find("value=\"3\""), std::string::npos);
        EXPECT_TRUE(current.database->hasUnsavedEdits());

        // Written over once seen: the edit is saved; the player's own save loads nothing.
        click(*bar, "Overwrite");
        EXPECT_FALSE(bar->isShown());
        EXPECT_FALSE(current.database->hasUnsavedEdits());
        EXPECT_NE(testing_paths::readFile(file.string()).find("value=\"7.000000\""), std::string::npos);
        EXPECT_EQ(pollUntil(live, current, [&] { return live.isWaiting(); }), 0);
        EXPECT_EQ(pollUntil(live, current, [&] { return !live.isWaiting(); }), 0);
        EXPECT_EQ(current.database.get(), edited);

        // Without edits, the next change loads: same time, still paused, same object selected.
        current.gui->getEditor()->getBrowser()->selectName("Cover");
        current.music->seek(5.0f);
        saveAsAnEditorDoes(file, documentWith("9"));
        EXPECT_EQ(pollUntil(live, current, [&] { return current.database.get() != edited; }), 1);
        EXPECT_EQ(speedOf(current), 9.0f);
        EXPECT_FLOAT_EQ(current.music->time(), 5.0f);
        EXPECT_TRUE(current.music->isPaused());
        EXPECT_STREQ(current.gui->getEditor()->getBrowser()->selectedName(), "Cover");
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    fs::remove_all(folder);
}

TEST(LiveReload, MergeTakesTheFilesObjectsAndKeepsTheEditorsEdits) {
    TestDevice screen(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path file = folder / "demo.xml";
    const auto document = [](const char* speed, const char* glow, const char* note) {
        return std::string("<demo>\n  <!-- ") + note + " -->\n  <float name='Speed' value='" + speed +
               "' step='0.5'/>\n\n  <float name='Glow' value='" + glow + "'/>\n  <float name='Fog' value='1'/>\n" +
               documentWith("1").substr(documentWith("1").find("<texture.file"));
    };
    std::ofstream(file) << document("2.5", "1", "before");
    {
        Display display;
        LoadedDocument current;
        std::vector<std::string> problems;
        ASSERT_TRUE(LiveReload::load(file.string(), &display, current, &problems)) << problems.front();
        display.setRoot(current.gui.get());
        LiveReload live(file.string(), &display);
        ASSERT_TRUE(live.start(current));

        // Speed and Fog edited here; Speed, Glow and a comment changed in the file meanwhile.
        static_cast<FloatObject*>(current.database->find("Speed", TypeFloat))->setValue(7.0f);
        static_cast<FloatObject*>(current.database->find("Fog", TypeFloat))->setValue(4.0f);
        const std::string theirs = document("3", "9", "after");
        saveAsAnEditorDoes(file, theirs);
        DiskChangeBar* bar = current.gui->getEditor()->getDiskChange();
        pollUntil(live, current, [&] { return bar->isShown(); });
        ASSERT_TRUE(bar->isShown());
        Database* edited = current.database.get();
        click(*bar, "Merge");
        EXPECT_TRUE(live.poll(current));
        ASSERT_NE(current.database.get(), edited);

        // The file's Glow, my Speed (changed on both sides: named) and my Fog, not saved yet.
        auto value = [&](const char* name) { return static_cast<FloatObject*>(current.database->find(name, TypeFloat))->value; };
        EXPECT_EQ(value("Speed"), 7.0f);
        EXPECT_EQ(value("Glow"), 9.0f);
        EXPECT_EQ(value("Fog"), 4.0f);
        EXPECT_TRUE(current.database->hasUnsavedEdits());
        EXPECT_TRUE(current.gui->getEditor()->getHistory().isModified());
        bar = current.gui->getEditor()->getDiskChange();
        EXPECT_NE(std::string(bar->getMessage()).find("mine kept: \"Speed\""), std::string::npos) << bar->getMessage();
        EXPECT_EQ(testing_paths::readFile(file.string()), theirs);

        // Saved: the file's text with my two elements, nothing else moved.
        ASSERT_TRUE(current.database->save()) << current.database->saveError();
        std::string expected = theirs;
        const auto replace = [&](const std::string& from, const std::string& to) {
            expected.replace(expected.find(from), from.size(), to);
        };
        replace("<float name='Speed' value='3' step='0.5'/>", "<float name=\"Speed\" value=\"7.000000\" step=\"0.500000\" />");
        replace("<float name='Fog' value='1'/>", "<float name=\"Fog\" value=\"4.000000\" step=\"1.000000\" />");
        EXPECT_EQ(testing_paths::readFile(file.string()), expected);
        EXPECT_FALSE(current.database->hasUnsavedEdits());
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    fs::remove_all(folder);
}
