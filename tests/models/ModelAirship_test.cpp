// Airship: the propellers follow the demo time, not the frames, and WORLD comes back.
#include "models/ModelAirship.h"

#include "app/Device.h"
#include "models/ModelScene.h"

TEST(ModelAirship, PropellersTurnOncePerSecondAndWorldIsRestored) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.optimus name=\"Airship.x\"/><model.optimus name=\"Propeller.x\"/>"
                     "<model.airship name=\"Ship\"/></demo>");
    auto* ship = doc.find<ModelAirship>("Ship", TypeModelAirship);
    ASSERT_NE(ship, nullptr);
    Matrix4 world = quaternionToMatrix(quaternionFromAxisAngle({0, 1, 0}, 1.0f)), after;
    world(3, 0) = 7.0f;
    screen->SetTransform(D3DTS_WORLD, &world);
    ship->render(0.3f, 0.01f);
    screen->GetTransform(D3DTS_WORLD, &after);
    expectMatrixNear(after, world, 0.0f);

    // One second reached by frames of 1/60 s and of 1/7 s: the same turn as at 0; half a turn at 0.5.
    float sixtieths = 0.0f, sevenths = 0.0f;
    for (int i = 0; i < 60; ++i) sixtieths += 1.0f / 60.0f;
    for (int i = 0; i < 7; ++i) sevenths += 1.0f / 7.0f;
    const Matrix4 start = ModelAirship::propellerMatrix(0.0f, -65.0f, world);
    expectMatrixNear(ModelAirship::propellerMatrix(sixtieths, -65.0f, world), start, 1e-4f);
    expectMatrixNear(ModelAirship::propellerMatrix(sevenths, -65.0f, world), start, 1e-4f);
    EXPECT_NEAR(ModelAirship::propellerMatrix(0.5f, -65.0f, world)(0, 0), -start(0, 0), 1e-4f);
}

TEST(ModelAirship, HullAndBothPropellersInAScene) {
    TestDevice screen(64, 64);
    // Seen from the front and above: the hull flat below, the propellers standing at x = +-65, z = 53.
    TestDocument doc(sceneDocument("0 100 -200 -230 0 0",
                                   solidTexture("Red", "ffff0000") + solidTexture("Green", "ff00ff00") +
                                       "<model.quad name=\"Airship.x\" texture=\"Red\" u1=\"100\" v1=\"100\"/>"
                                       "<model.quad name=\"Propeller.x\" texture=\"Green\" u1=\"40\" v1=\"40\"/>"
                                       "<model.airship name=\"Root\"/>").c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    EXPECT_EQ(screen.pixel(13, 22), 0xff00ff00u);  // the propeller at x = -65
    EXPECT_EQ(screen.pixel(51, 22), 0xff00ff00u);  // and at x = +65
    EXPECT_EQ(screen.pixel(32, 36), 0xffff0000u);  // the hull
}
