// Boing: the motion at the turning points of its phases, standing still with delta 0, wrapping;
// boing, hat and airship in documents whose models lead back to themselves.
#include "models/ModelBoing.h"

#include "app/Device.h"
#include "models/ModelAirship.h"
#include "models/ModelHat.h"
#include "models/ModelScene.h"

#include <numbers>

TEST(ModelBoing, MotionAtPhasesZeroQuarterAndHalf) {
    const Matrix4 left = ModelBoing::motionMatrix(0.0f, 0.0f);
    const Matrix4 middle = ModelBoing::motionMatrix(0.25f, 0.5f);
    const Matrix4 right = ModelBoing::motionMatrix(0.5f, 1.0f);
    EXPECT_FLOAT_EQ(left(3, 0), -100.0f);
    EXPECT_FLOAT_EQ(left(3, 1), 0.0f);
    EXPECT_NEAR(middle(3, 0), 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(middle(3, 1), 96.0f);  // the top of the hop
    EXPECT_FLOAT_EQ(right(3, 0), 100.0f);
    // A quarter of the way the spin is 5 radians about y, after the 10 degree tilt about z.
    const Quaternion tilt = quaternionFromAxisAngle({0, 0, 1}, 10.0f * std::numbers::pi_v<float> / 180.0f);
    Matrix4 spun = quaternionToMatrix(multiplyQuaternion(quaternionFromAxisAngle({0, 1, 0}, 5.0f), tilt));
    spun(3, 1) = 96.0f;
    spun(3, 2) = 0.25f;
    expectMatrixNear(middle, spun, 1e-4f);
}

TEST(ModelBoing, DeltaZeroStandsStillAndPhasesWrap) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.optimus name=\"Ball\"/><model.boing name=\"Boing\" model=\"Ball\"/>"
                     "<model.boing name=\"Lost\" model=\"Nothing\"/></demo>");
    auto* boing = doc.find<ModelBoing>("Boing", TypeModelBoing);
    ASSERT_NE(boing, nullptr);
    EXPECT_EQ(doc.find<ModelBoing>("Lost", TypeModelBoing), nullptr);

    const Matrix4 start = quaternionToMatrix(quaternionFromAxisAngle({1, 0, 0}, 0.5f));
    Matrix4 world;
    screen->SetTransform(D3DTS_WORLD, &start);
    boing->render(1.0f, 0.0f);
    screen->GetTransform(D3DTS_WORLD, &world);
    expectMatrixNear(world, multiplyMatrix(ModelBoing::motionMatrix(0.0f, 0.0f), start), 1e-4f);

    boing->render(1.0f, 4.0f);  // 1.08 and 2.96 turns
    EXPECT_NEAR(boing->getSwingPhase(), 0.08f, 1e-5f);
    EXPECT_NEAR(boing->getBouncePhase(), 0.96f, 1e-5f);
}

TEST(ModelBoing, MeshLeftThenAwayAfterASecondInAScene) {
    TestDevice screen(64, 64);
    ASSERT_TRUE(addWhiteSquare());
    // Looking down on where the first frame of 0.01 s puts the ball: x -98.92, y 2.82.
    TestDocument doc(sceneDocument("-99 13 0 -706 0 0", "<model.x name=\"Ball\" resource=\"WhiteSquare.x\"/>"
                                                        "<model.boing name=\"Root\" model=\"Ball\"/>").c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    EXPECT_EQ(screen.pixel(32, 32), 0xffffffffu);
    EXPECT_EQ(screen.pixel(46, 32), 0xff000000u);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f, 0xff000000, 1.0f));  // swung 108 to the right
    EXPECT_EQ(screen.pixel(32, 32), 0xff000000u);
}

TEST(ModelBoing, ModelsLeadingBackToThemselvesStopInsteadOfRecursing) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.boing name=\"Boing\" model=\"Hat\"/><model.hat name=\"Hat\" model=\"Boing\"/>"
                     "<model.airship name=\"Airship.x\"/><model.optimus name=\"Propeller.x\"/></demo>");
    auto* boing = doc.find<ModelBoing>("Boing", TypeModelBoing);
    auto* hat = doc.find<ModelHat>("Hat", TypeModelHat);
    auto* ship = doc.find<ModelAirship>("Airship.x", TypeModelAirship);
    ASSERT_TRUE(boing && hat && ship);
    boing->render(0.0f, 1.0f);  // through the hat and back: each advanced once
    ship->render(0.0f, 1.0f);
    EXPECT_FLOAT_EQ(boing->getSwingPhase(), 0.27f);
    EXPECT_FLOAT_EQ(hat->getSpinPhase(), 0.5f);
    EXPECT_EQ(boing->getSize(), 250.0f);  // the size where the loop closes
    EXPECT_EQ(ship->getSize(), 250.0f);
}
