// The view through the current key: looking and rolling turn the key in place, the third mode
// holds the mouse and changes nothing, and thirds are drawn over the picture.
#include "gui/PathKeyView.h"

#include "gui/RecordingHost.h"
#include "paths/SplineDocument.h"
#include "support/TestDevice.h"

#include <gtest/gtest.h>

namespace {

constexpr int Control = 17;

TEST(PathKeyViewDrag, LookYawsAboutTheWorldUpRollTurnsAboutTheViewAndTheThirdModeHolds) {
    LoadedPath p(std::vector<KeyNumbers>{{3, 5, 7, 0, 0, 0, 0, 0, 0, 0.0f}});
    RecordingHost host;
    PathKeyView view(&p.path);
    view.setHost(&host);
    view.init();

    view.leftButton({100, 100}, 0);
    view.mouseMove({10, 100});  // 90 px left: a quarter turn about y
    SplineKey key = p.path.keyAt(0);
    EXPECT_NEAR(key.orientation.w, 0.70711f, 1e-4f);
    EXPECT_NEAR(key.orientation.y, 0.70711f, 1e-4f);
    EXPECT_NEAR(key.orientation.x, 0.0f, 1e-4f);
    EXPECT_EQ(key.position.x, 3.0f);
    view.leftButton({10, 100}, 2);

    host.keysDown = {Control};
    view.leftButton({0, 0}, 0);
    view.mouseMove({0, 180});  // dx - dy = 180 degrees about the key's own z: w = 0
    key = p.path.keyAt(0);
    EXPECT_NEAR(key.orientation.w, 0.0f, 1e-4f);
    view.leftButton({0, 180}, 2);

    view.rightButton({50, 50}, 0);
    EXPECT_EQ(host.capture, &view);
    view.mouseMove({0, 0});
    const SplineKey held = p.path.keyAt(0);
    EXPECT_EQ(held.orientation.w, key.orientation.w);
    EXPECT_EQ(held.orientation.z, key.orientation.z);
    view.rightButton({0, 0}, 2);
    EXPECT_EQ(host.capture, nullptr);
}

TEST(PathKeyViewDrawing, ThirdsAreFaintLinesAcrossTheView) {
    TestDevice screen(120, 90);
    LoadedPath p(std::vector<KeyNumbers>{{0, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f}});
    PathKeyView view(&p.path);
    view.setRect({0, 0, 120, 90});
    view.init();
    screen->BeginScene();
    EXPECT_TRUE(view.draw(0.0f, 0.01f));
    screen->EndScene();
    for (auto [x, y] : {std::pair{60, 30}, {60, 60}, {40, 15}, {80, 75}})
        EXPECT_NEAR(static_cast<int>(screen.pixel(x, y) & 0xFF), 0x40, 3) << x << "," << y;
    EXPECT_EQ(screen.pixel(20, 45) & 0xFFFFFF, 0u);
}

}  // namespace
