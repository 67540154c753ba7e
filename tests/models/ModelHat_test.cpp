// Hat: two full turns after four seconds of drawing, whatever the frame rate.
#include "models/ModelHat.h"

#include "app/Device.h"
#include "models/ModelScene.h"

TEST(ModelHat, TwoTurnsAfterFourSecondsAtAnyFrameRate) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.optimus name=\"Hat.x\"/><model.hat name=\"Fast\" model=\"Hat.x\"/>"
                     "<model.hat name=\"Slow\" model=\"Hat.x\"/></demo>");
    const Matrix4 identity = identityMatrix();
    for (auto [name, frames] : {std::pair{"Fast", 240}, std::pair{"Slow", 8}}) {
        auto* hat = doc.find<ModelHat>(name, TypeModelHat);
        ASSERT_NE(hat, nullptr);
        Matrix4 world;
        for (int frame = 0; frame < frames; ++frame) {
            screen->SetTransform(D3DTS_WORLD, &identity);
            hat->render(0.0f, 4.0f / static_cast<float>(frames));
        }
        screen->GetTransform(D3DTS_WORLD, &world);
        EXPECT_NEAR(hat->getSpinPhase(), 2.0f, 1e-4f) << name;
        expectMatrixNear(world, identity, 1e-3f);
    }
}

TEST(ModelHat, SquareTurnsIntoADiamondAfterAnEighthTurnInAScene) {
    TestDevice screen(64, 64);
    ASSERT_TRUE(addWhiteSquare());
    TestDocument doc(sceneDocument("0 10 0 -706 0 0", "<model.x name=\"Brim\" resource=\"WhiteSquare.x\"/>"
                                                      "<model.hat name=\"Root\" model=\"Brim\"/>").c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    // The square spans 7.7 pixels each way from the centre; turned by 45 degrees, 10.9 along the axes.
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f, 0xff000000, 0.0f));
    EXPECT_EQ(screen.pixel(38, 38), 0xffffffffu);
    EXPECT_EQ(screen.pixel(42, 32), 0xff000000u);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f, 0xff000000, 0.25f));
    EXPECT_EQ(screen.pixel(38, 38), 0xff000000u);
    EXPECT_EQ(screen.pixel(42, 32), 0xffffffffu);
}
