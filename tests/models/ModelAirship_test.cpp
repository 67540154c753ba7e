// Airship: the propellers follow the demo time, not the frames, and WORLD comes back.
#include "models/ModelAirship.h"

#include "app/Device.h"
#include "models/ModelScene.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/VisualFrame.h"
#include "visuals/VisualScene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(ModelAirship, PropellersTurnOncePerSecondAndWorldIsRestored) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.optimus name=\"Airship.x\"/><model.optimus name=\"Propeller.x\"/>"
                     "<model.airship name=\"Ship\"/></demo>");
    auto* ship = doc.find<ModelAirship>("Ship", TypeModelAirship);
    ASSERT_NE(ship, nullptr);
    EXPECT_FLOAT_EQ(ship->getSize(), 64.0f);  // the hull's

    Matrix4 world = quaternionToMatrix(quaternionFromAxisAngle({0, 1, 0}, 1.0f));
    world(3, 0) = 7.0f;
    screen->SetTransform(D3DTS_WORLD, &world);
    ship->render(0.3f, 0.01f);
    Matrix4 after;
    screen->GetTransform(D3DTS_WORLD, &after);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(after(r, c), world(r, c)) << r << c;

    // One second reached by frames of 1/60 s and of 1/7 s: the same turn as at 0.
    float sixtieths = 0.0f, sevenths = 0.0f;
    for (int i = 0; i < 60; ++i) sixtieths += 1.0f / 60.0f;
    for (int i = 0; i < 7; ++i) sevenths += 1.0f / 7.0f;
    const Matrix4 start = ModelAirship::propellerMatrix(0.0f, -65.0f, world);
    const Matrix4 half = ModelAirship::propellerMatrix(0.5f, -65.0f, world);
    for (float second : {sixtieths, sevenths}) {
        const Matrix4 turned = ModelAirship::propellerMatrix(second, -65.0f, world);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_NEAR(turned(r, c), start(r, c), 1e-4f) << second << r << c;
    }
    EXPECT_NEAR(half(0, 0), -start(0, 0), 1e-4f);  // half a turn reverses the blades
    const Matrix4 alone = ModelAirship::propellerMatrix(0.0f, -65.0f, identityMatrix());
    EXPECT_FLOAT_EQ(alone(3, 0), -65.0f);  // beside the hull, 53 ahead
    EXPECT_FLOAT_EQ(alone(3, 1), 0.0f);
    EXPECT_FLOAT_EQ(alone(3, 2), 53.0f);
}

TEST(ModelAirship, HullAndBothPropellersInAScene) {
    TestDevice screen(64, 64);
    // Seen from the front and above: the hull flat below, the propellers standing at x = +-65.
    TestDocument doc(sceneDocument("0 100 -200 -230 0 0",
                                   solidTexture("Red", "ffff0000") + solidTexture("Green", "ff00ff00") +
                                       "<model.quad name=\"Airship.x\" texture=\"Red\" u1=\"100\" v1=\"100\"/>"
                                       "<model.quad name=\"Propeller.x\" texture=\"Green\" u1=\"40\" v1=\"40\"/>"
                                       "<model.airship name=\"Root\"/>")
                         .c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    if (const char* out = std::getenv("ZOD_PNG")) screen.savePng(std::string(out) + "/airship.png");
    EXPECT_EQ(screen.pixel(13, 22), 0xff00ff00u);  // the propeller at x = -65
    EXPECT_EQ(screen.pixel(51, 22), 0xff00ff00u);  // and at x = +65
    EXPECT_EQ(screen.pixel(32, 36), 0xffff0000u);  // the hull
    EXPECT_EQ(screen.pixel(32, 22), 0xff000000u);  // nothing above the hull between the propellers
}
