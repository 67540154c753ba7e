// Swish: ten trail points per second of drawing, the fraction kept between frames.
#include "models/ModelSwish.h"

#include "models/ModelScene.h"

TEST(ModelSwish, StepsThreePointsForThirtyFiveHundredthsAndNoneForZero) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.swish name=\"Swish\"/></demo>");
    auto* swish = doc.find<ModelSwish>("Swish", TypeModelSwish);
    ASSERT_NE(swish, nullptr);
    std::array<ModelSwish::Point, ModelSwish::pointCount> before;
    for (int i = 0; i < ModelSwish::pointCount; ++i) before[i] = swish->trailPoint(i);

    swish->render(0.0f, 0.0f);
    for (int i = 0; i < ModelSwish::pointCount; ++i) EXPECT_EQ(swish->trailPoint(i), before[i]) << i;
    EXPECT_EQ(swish->getStepPhase(), 0.0f);

    swish->render(0.0f, 0.35f);
    EXPECT_FLOAT_EQ(swish->getStepPhase(), 0.5f);
    for (int i = 0; i + 3 < ModelSwish::pointCount; ++i) EXPECT_EQ(swish->trailPoint(i), before[i + 3]) << i;
}

TEST(ModelSwish, LightBlueLineWithWhiteDotsInAScene) {
    TestDevice screen(128, 128);
    TestDocument doc(sceneDocument("0 0 -60 0 0 0", "<model.swish name=\"Root\"/>").c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    int lit = 0, white = 0;
    for (DWORD pixel : screen.readback()) {
        const DWORD r = (pixel >> 16) & 0xff, g = (pixel >> 8) & 0xff, b = pixel & 0xff;
        if ((pixel & 0xffffff) == 0) continue;
        ++lit;
        EXPECT_TRUE(r <= g && g <= b) << std::hex << pixel;  // 0x80C0FF or white, faded over black
        if (r > 0xf0 && g > 0xf0 && b > 0xf0) ++white;
    }
    EXPECT_GT(lit, 40);
    EXPECT_GT(white, 0);
}
