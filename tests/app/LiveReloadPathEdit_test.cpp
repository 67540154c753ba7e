// Live reload and an unsaved edit of a path's keys (not of a float): a change on disk is held back
// as for any other edit, and the moved key stays where the editor put it.
#include "app/LiveReload.h"

#include "app/Display.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "paths/PathSpline.h"
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

std::string documentWithSecondKeyAt(const char* x) {
    return std::string("<demo>\n<float name=\"Speed\" value=\"1\"/>\n"
                       "<path.spline name=\"Camera\"><key p=\"0 0 0 0 0 0\" t=\"0\"/><key p=\"") +
           x + " 0 0 0 0 0\" t=\"4\"/></path.spline>\n"
               "<texture.file name=\"Black\" resource=\"black.jpg\"/>\n"
               "<visual.overlay name=\"Cover\" texture=\"Black\" start=\"0\" stop=\"1000\"/>\n"
               "<visual.group name=\"Main\"><item visual=\"Cover\"/></visual.group>\n"
               "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n</demo>\n";
}

PathSpline* cameraOf(LoadedDocument& loaded) {
    Object* found = loaded.database->find("Camera", TypePath);
    return found ? static_cast<PathSpline*>(found->castTo(TypePathSpline)) : nullptr;
}

}  // namespace

TEST(LiveReloadPathEdit, AnUnsavedKeyEditHoldsBackAChangeOnDisk) {
    TestDevice screen(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path file = folder / "demo.xml";
    std::ofstream(file) << documentWithSecondKeyAt("9");
    {
        Display display;
        LoadedDocument current;
        std::vector<std::string> problems;
        ASSERT_TRUE(LiveReload::load(file.string(), &display, current, &problems)) << problems.front();
        display.setRoot(current.gui.get());
        LiveReload live(file.string(), &display);
        ASSERT_TRUE(live.start(current));

        PathSpline* camera = cameraOf(current);
        ASSERT_NE(camera, nullptr);
        std::vector<SplineKey> keys = camera->copyKeys();
        ASSERT_EQ(keys.size(), 2u);
        keys[1].position.x = 5.0f;  // the key dragged in the editor, not saved
        camera->restoreKeys(keys, camera->getScale(), 1);
        Database* edited = current.database.get();

        const fs::path temporary = folder / ".demo.xml.swp";
        std::ofstream(temporary) << documentWithSecondKeyAt("3");
        fs::rename(temporary, file);
        int reloads = 0;
        for (int i = 0; i < 1000 && !live.isHoldingEdits() && current.database.get() == edited; ++i) {
            reloads += live.poll(current) ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(reloads, 0) << "the file on disk was loaded over the moved key";
        EXPECT_TRUE(live.isHoldingEdits());
        ASSERT_EQ(current.database.get(), edited);
        EXPECT_EQ(cameraOf(current)->copyKeys()[1].position.x, 5.0f);
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    fs::remove_all(folder);
}
