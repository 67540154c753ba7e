// Live reload in the player's own objects: a change on disk never replaces edits not yet saved,
// the player's own save loads nothing, and a later change loads at the same time, with the editor
// as it was: its selection, its loop (the music keeps playing inside it), the path editor's place
// and the undo steps of objects that did not change on disk.
#include "app/WatchedDocument.h"

#include "clock/Music.h"
#include "database/FloatObject.h"
#include "gui/DiskChangeBar.h"
#include "gui/FloatPanel.h"
#include "gui/PathPanel.h"
#include "paths/PathSpline.h"

#include <algorithm>
#include <functional>

namespace {

namespace fs = std::filesystem;

std::string documentWith(const char* speed, const char* picture = "black.jpg") {
    return std::string("<demo>\n<float name=\"Speed\" value=\"") + speed +
           "\" step=\"0.5\"/>\n"
           "<texture.file name=\"Black\" resource=\"" + picture + "\"/>\n"
           "<visual.overlay name=\"Cover\" texture=\"Black\" start=\"0\" stop=\"1000\"/>\n"
           "<visual.group name=\"Main\"><item visual=\"Cover\"/></visual.group>\n"
           "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n</demo>\n";
}

// Two floats, a three-key path, what shows them and the music; `other` is the second float's value.
std::string editorDocument(const char* other) {
    return std::string("<demo>\n<float name=\"Speed\" value=\"2.5\" step=\"0.5\"/>\n<float name=\"Other\" value=\"") +
           other + "\" step=\"0.5\"/>\n"
           "<path.spline name=\"Camera\"><key p=\"0 0 0 0 0 0\" t=\"0\"/><key p=\"50 0 0 0 0 0\" t=\"4\"/>"
           "<key p=\"90 10 0 0 0 0\" t=\"8\"/></path.spline>\n"
           "<texture.file name=\"Black\" resource=\"black.jpg\"/>\n"
           "<visual.overlay name=\"Cover\" texture=\"Black\" start=\"0\" stop=\"1000\"/>\n"
           "<visual.group name=\"Main\"><item visual=\"Cover\"/></visual.group>\n"
           "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n</demo>\n";
}

float speedOf(LoadedDocument& loaded) {
    auto* speed = static_cast<FloatObject*>(loaded.database->find("Speed", TypeFloat));
    return speed ? speed->value : -1.0f;
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

TEST_F(LiveReloadTest, UnsavedEditsSurviveAChangeOnDiskAndOwnSavesLoadNothing) {
    std::ofstream(file) << documentWith("2.5");
    WatchedDocument watched(file);
    ASSERT_TRUE(watched.ok()) << watched.problem;
    LoadedDocument& current = watched.current;
    LiveReload& live = *watched.live;

    // An edit in the editor, then another version of the file on disk: the edit stays.
    static_cast<FloatObject*>(current.database->find("Speed", TypeFloat))->setValue(7.0f);
    Database* edited = current.database.get();
    saveAsAnEditorDoes(documentWith("3"));
    EXPECT_EQ(watched.pollUntil([&] { return live.isHoldingEdits(); }), 0);
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
    EXPECT_EQ(watched.pollUntil([&] { return live.isWaiting(); }), 0);
    EXPECT_EQ(watched.pollUntil([&] { return !live.isWaiting(); }), 0);
    EXPECT_EQ(current.database.get(), edited);

    // Without edits, the next change loads: same time, still paused, same object selected.
    current.gui->getEditor()->getBrowser()->selectName("Cover");
    current.music->seek(5.0f);
    saveAsAnEditorDoes(documentWith("9"));
    EXPECT_EQ(watched.pollUntil([&] { return current.database.get() != edited; }), 1);
    EXPECT_EQ(speedOf(current), 9.0f);
    EXPECT_FLOAT_EQ(current.music->time(), 5.0f);
    EXPECT_TRUE(current.music->isPaused());
    EXPECT_STREQ(current.gui->getEditor()->getBrowser()->selectedName(), "Cover");
}

// A save that lands after the load but before the watch starts is signalled by nothing: it must
// still be loaded (it was lost now and then on a busy machine).
TEST_F(LiveReloadTest, ASaveBetweenTheLoadAndTheWatchIsLoaded) {
    std::ofstream(file) << documentWith("2.5");
    WatchedDocument watched(file, [&] { saveAsAnEditorDoes(documentWith("3")); });
    ASSERT_TRUE(watched.ok()) << watched.problem;
    const Database* before = watched.current.database.get();
    EXPECT_EQ(watched.pollUntil([&] { return watched.current.database.get() != before; }), 1);
    EXPECT_EQ(speedOf(watched.current), 3.0f);
}

// A git checkout beside the document takes no watch from the folders its files lie in; after the
// folders were removed and made again (with the picture in a new one), and after changes overflowed
// the system's queue while they were, a new picture still loads.
TEST_F(LiveReloadTest, APictureChangeLoadsBesideAGitStoreAfterItsFoldersCameBackAndAfterAnOverflow) {
    const fs::path pictures = fs::path(testing_paths::sourceDir()) / "tests/data/pngsuite/primary";
    int version = 0;
    std::string place = "textures";  // where the document's picture lies
    const auto newVersion = [&] {  // a picture of another kind each time, in `place`
        fs::create_directories(folder / place);
        fs::copy_file(pictures / (++version % 2 ? "basn0g08.png" : "basn2c08.png"), folder / place / "wall.png",
                      fs::copy_options::overwrite_existing);
        if (!fs::exists(file)) std::ofstream(file) << documentWith("2.5", (place + "/wall.png").c_str());
    };
    newVersion();
    for (int i = 0; i < 300; ++i) fs::create_directories(folder / ".git/objects" / std::to_string(i));
    WatchedDocument watched(file);
    ASSERT_TRUE(watched.ok()) << watched.problem;
    LoadedDocument& current = watched.current;
    LiveReload& live = *watched.live;
    const auto loads = [&](const std::function<void()>& change) {
        const Database* before = current.database.get();
        change();
        return watched.pollUntil([&] { return current.database.get() != before; }) == 1;
    };
    EXPECT_TRUE(loads(newVersion));
    EXPECT_TRUE(loads([&] {  // as a checkout does, seen while the folder is gone
        fs::remove_all(folder);
        watched.pollUntil([&] { return live.isWaiting(); });
        watched.pollUntil([&] { return !live.isWaiting(); });
        place = "walls";  // a folder the first version did not use
        newVersion();
    }));
    EXPECT_TRUE(loads([&] {
        const long queued = std::stol(testing_paths::readFile("/proc/sys/fs/inotify/max_queued_events"));
        std::ofstream a(folder / "a"), b(folder / "b");  // more changes than the system queues
        for (long i = 0; i <= queued; ++i) (i % 2 ? a : b).put('x').flush();
        fs::remove_all(folder / place);
        newVersion();
    }));
    EXPECT_TRUE(loads(newVersion));
}

// A loop from 4 s to 6 s playing, the time line zoomed, the path editor on key 2 looking through it:
// the document changes on disk and all of it goes on, the music never leaving the loop.
TEST_F(LiveReloadTest, KeepsTheLoopTheTimeLinesViewAndThePathEditorsPlace) {
    std::ofstream(file) << editorDocument("1");
    WatchedDocument watched(file);
    ASSERT_TRUE(watched.ok()) << watched.problem;
    LoadedDocument& current = watched.current;
    LiveReload& live = *watched.live;

    current.gui->toggleEditor();
    TimeLine* strip = current.gui->getEditor()->getTimeLine();
    strip->setLoop(4.0f, 6.0f);
    strip->setView(4.0f, 3.0f);
    const Waveform waveform = strip->getWaveform();
    ASSERT_TRUE(waveform.isSharedWith(strip->getWaveform())) << "showing the editor started no waveform";
    ASSERT_TRUE(current.gui->getEditor()->getBrowser()->selectName("Camera"));
    auto* panel = dynamic_cast<PathPanel*>(current.database->find("Camera", TypePathSpline)->getEditor());
    ASSERT_NE(panel, nullptr);
    constexpr int PageUp = 33, Left = 37;
    panel->getOrbitView()->key(PageUp, true);
    panel->getOrbitView()->key(PageUp, true);
    panel->getOrbitView()->key(Left, true);
    const float azimuth = panel->getOrbitView()->getAzimuth();
    panel->clicked(panel->getButton(PathPanel::ViewButton));  // the view through the key
    current.music->seek(5.5f);
    current.music->setPaused(false);

    Database* before = current.database.get();
    saveAsAnEditorDoes(editorDocument("3"));
    // Played on across the reload until the loop's end brought it back to the start.
    float lowest = 1e9f, highest = 0.0f, last = 0.0f;
    bool wrapped = false;
    for (int i = 0; i < 1000 && !(current.database.get() != before && wrapped); ++i) {
        live.poll(current);
        current.music->update();
        const float now = current.music->time();
        if (current.database.get() != before) {
            lowest = std::min(lowest, now);
            highest = std::max(highest, now);
            wrapped = wrapped || now < last - 1.0f;
        }
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE(current.database.get(), before);
    EXPECT_TRUE(wrapped) << "the time never came back to the loop's start";
    EXPECT_GE(lowest, 4.0f - 0.05f);
    EXPECT_LE(highest, 6.0f + 0.05f);
    EXPECT_FALSE(current.music->isPaused());

    strip = current.gui->getEditor()->getTimeLine();
    EXPECT_EQ(strip->getLoopStart(), 4.0f);
    EXPECT_EQ(strip->getLoopEnd(), 6.0f);
    EXPECT_EQ(strip->getZoom(), 4.0f);
    EXPECT_EQ(strip->getViewStart(), 3.0f);
    EXPECT_TRUE(strip->getWaveform().isSharedWith(waveform)) << "the same music was decoded again";
    EXPECT_STREQ(current.gui->getEditor()->getBrowser()->selectedName(), "Camera");
    auto* path = static_cast<PathSpline*>(current.database->find("Camera", TypePathSpline));
    EXPECT_EQ(path->getCurrentKey(), 2);
    panel = dynamic_cast<PathPanel*>(path->getEditor());
    EXPECT_EQ(panel->getActiveView(), panel->getKeyView());
    EXPECT_EQ(panel->getOrbitView()->getAzimuth(), azimuth);
}

// Two saved edits, then the second one's float changes on disk: its step is dropped and said so;
// the first one's goes on, and undoing it and saving writes the file with only the change on disk.
TEST_F(LiveReloadTest, UndoGoesOnForObjectsUnchangedOnDiskAndDropsTheOthersWithANotice) {
    std::ofstream(file) << editorDocument("1");
    WatchedDocument watched(file);
    ASSERT_TRUE(watched.ok()) << watched.problem;
    LoadedDocument& current = watched.current;
    for (int i = 0; i < current.database->count(); ++i) current.database->objectAt(i);

    current.gui->toggleEditor();
    EditorPanel* editor = current.gui->getEditor();
    for (const char* name : {"Speed", "Other"}) {
        ASSERT_TRUE(editor->getBrowser()->selectName(name));
        auto* panel = dynamic_cast<FloatPanel*>(current.database->find(name, TypeFloat)->getEditor());
        ASSERT_NE(panel, nullptr);
        constexpr int Up = 38;
        panel->getKnob()->key(Up, true);
    }
    EXPECT_EQ(speedOf(current), 3.0f);
    ASSERT_TRUE(current.database->save());  // as the save button does
    editor->getHistory().markSaved();

    // Another value of "Other" on disk, in the file as saved.
    auto withValue = [](std::string text, const char* name, const char* value) {
        const std::size_t at = text.find("value=\"", text.find("name=\"" + std::string(name) + "\"")) + 7;
        return text.replace(at, text.find('"', at) - at, value);
    };
    const std::string changed = withValue(testing_paths::readFile(file.string()), "Other", "9.000000");
    Database* before = current.database.get();
    saveAsAnEditorDoes(changed);
    EXPECT_EQ(watched.pollUntil([&] { return current.database.get() != before; }), 1);
    editor = current.gui->getEditor();
    EXPECT_NE(std::string(editor->getProblem()).find("\"Other\": 1 undo step dropped: changed on disk"), std::string::npos)
        << editor->getProblem();
    EXPECT_FALSE(editor->getHistory().isModified());

    editor->undo();  // what Ctrl+Z does
    EXPECT_EQ(speedOf(current), 2.5f);
    EXPECT_STREQ(editor->getBrowser()->selectedName(), "Speed");
    EXPECT_FALSE(editor->getHistory().canUndo());
    EXPECT_TRUE(editor->getHistory().isModified());
    ASSERT_TRUE(current.database->save());
    // Only the undone float's element is written again; the rest is the file as it was on disk.
    EXPECT_EQ(testing_paths::readFile(file.string()), withValue(changed, "Speed", "2.500000"));
}

TEST_F(LiveReloadTest, MergeTakesTheFilesObjectsAndKeepsTheEditorsEdits) {
    const auto document = [](const char* speed, const char* glow, const char* note) {
        return std::string("<demo>\n  <!-- ") + note + " -->\n  <float name='Speed' value='" + speed +
               "' step='0.5'/>\n\n  <float name='Glow' value='" + glow + "'/>\n  <float name='Fog' value='1'/>\n" +
               documentWith("1").substr(documentWith("1").find("<texture.file"));
    };
    std::ofstream(file) << document("2.5", "1", "before");
    WatchedDocument watched(file);
    ASSERT_TRUE(watched.ok()) << watched.problem;
    LoadedDocument& current = watched.current;
    LiveReload& live = *watched.live;

    // Speed and Fog edited here; Speed, Glow and a comment changed in the file meanwhile.
    static_cast<FloatObject*>(current.database->find("Speed", TypeFloat))->setValue(7.0f);
    static_cast<FloatObject*>(current.database->find("Fog", TypeFloat))->setValue(4.0f);
    const std::string theirs = document("3", "9", "after");
    saveAsAnEditorDoes(theirs);
    DiskChangeBar* bar = current.gui->getEditor()->getDiskChange();
    watched.pollUntil([&] { return bar->isShown(); });
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
}
