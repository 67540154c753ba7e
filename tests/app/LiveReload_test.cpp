// Live reload in the player's own objects: a change on disk never replaces edits not yet saved,
// the player's own save loads nothing, and a later change loads at the same time, on the same
// object in the editor.
#include "app/LiveReload.h"

#include "app/Display.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/FloatObject.h"
#include "gui/Gui.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

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

        // Saving writes the edit; the player's own save is what it has and loads nothing.
        ASSERT_TRUE(current.database->save());
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

// A git checkout beside the document takes no watch from the folders its files lie in; after the
// folders were removed and made again (with the picture in a new one), and after changes overflowed
// the system's queue while they were, a new picture still loads.
TEST(LiveReload, APictureChangeLoadsBesideAGitStoreAfterItsFoldersCameBackAndAfterAnOverflow) {
    TestDevice screen(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const fs::path folder = testing_paths::makeTempDir(), file = folder / "demo.xml";
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
    {
        Display display;
        LoadedDocument current;
        std::vector<std::string> problems;
        ASSERT_TRUE(LiveReload::load(file.string(), &display, current, &problems)) << problems.front();
        display.setRoot(current.gui.get());
        LiveReload live(file.string(), &display);
        ASSERT_TRUE(live.start(current));
        const auto loads = [&](const std::function<void()>& change) {
            const Database* before = current.database.get();
            change();
            return pollUntil(live, current, [&] { return current.database.get() != before; }) == 1;
        };
        EXPECT_TRUE(loads(newVersion));
        EXPECT_TRUE(loads([&] {  // as a checkout does, seen while the folder is gone
            fs::remove_all(folder);
            pollUntil(live, current, [&] { return live.isWaiting(); });
            pollUntil(live, current, [&] { return !live.isWaiting(); });
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
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    fs::remove_all(folder);
}
