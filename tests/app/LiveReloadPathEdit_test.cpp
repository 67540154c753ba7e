// Live reload and an unsaved edit of a path's keys (not of a float): a change on disk is held back
// as for any other edit, and the moved key stays where the editor put it.
#include "app/WatchedDocument.h"

#include "paths/PathSpline.h"

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

TEST_F(LiveReloadTest, AnUnsavedKeyEditHoldsBackAChangeOnDisk) {
    std::ofstream(file) << documentWithSecondKeyAt("9");
    WatchedDocument watched(file);
    ASSERT_TRUE(watched.ok()) << watched.problem;
    LoadedDocument& current = watched.current;
    LiveReload& live = *watched.live;

    PathSpline* camera = cameraOf(current);
    ASSERT_NE(camera, nullptr);
    std::vector<SplineKey> keys = camera->copyKeys();
    ASSERT_EQ(keys.size(), 2u);
    keys[1].position.x = 5.0f;  // the key dragged in the editor, not saved
    camera->restoreKeys(keys, camera->getScale(), 1);
    Database* edited = current.database.get();

    saveAsAnEditorDoes(documentWithSecondKeyAt("3"));
    const int reloads =
        watched.pollUntil([&] { return live.isHoldingEdits() || current.database.get() != edited; });
    EXPECT_EQ(reloads, 0) << "the file on disk was loaded over the moved key";
    EXPECT_TRUE(live.isHoldingEdits());
    ASSERT_EQ(current.database.get(), edited);
    EXPECT_EQ(cameraOf(current)->copyKeys()[1].position.x, 5.0f);
}
