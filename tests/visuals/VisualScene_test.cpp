// Scenes drawn with the real device: the camera path and the projection place the picture, each
// scene clears its own depth and gives the viewport back, and the two lights light differently.
// The camera looks straight down from y = 10: +x is right and +z up in the picture.
#include "visuals/VisualScene.h"

#include "paths/Path.h"
#include "paths/PathState.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestMesh.h"
#include "support/VisualFrame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// A camera key at (x, 10, 0) looking down -y: orientation vector part (-0.7071, 0, 0) times 999.
std::string downKey(int x, float time) {
    return "<key p=\"" + std::to_string(x) + " 10 0 -706 0 0\" t=\"" + std::to_string(time) + "\"/>";
}

const char* const still = "<path.spline name=\"Still\"><key p=\"0 0 0\" t=\"0\"/><key p=\"0 0 0\" t=\"10\"/></path.spline>";

int channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xff); }

// Pixel column of a world x on the ground (y = 0) seen by a downward camera at (cameraX, 10, 0).
float columnOf(float worldX, float cameraX, const Matrix4& projection, int width) {
    const float ndc = (worldX - cameraX) * projection(0, 0) / 10.0f;
    return (ndc + 1.0f) * 0.5f * static_cast<float>(width);
}

}  // namespace

TEST(VisualScene, QuadThroughMovingCameraLandsWhereTheProjectionPutsIt) {
    TestDevice screen(64, 64);
    const std::string text = std::string("<demo>") + still +
        "<visual.group name=\"Empty\"/>"
        "<texture.target name=\"White\" visual=\"Empty\" size=\"16\" color=\"ffffffff\"/>"
        "<model.quad name=\"Quad\" texture=\"White\"/>"
        "<path.spline name=\"Big\" scale=\"2\"><key p=\"0 0 0\" t=\"0\"/><key p=\"0 0 0\" t=\"10\"/></path.spline>"
        "<model.group name=\"World\"><item model=\"Quad\" path=\"Big\"/></model.group>"
        "<path.spline name=\"Camera\">" + downKey(0, 0) + downKey(4, 2) + "</path.spline>"
        "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"100\"/></demo>";
    TestDocument doc(text.c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);

    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    PathState camera;
    ASSERT_TRUE(scene->getCamera()->evaluate(camera, 1.0f));
    ASSERT_GT(camera.position.x, 1.0f);  // the camera has moved right, so the quad moved left
    const float left = columnOf(-1.0f, camera.position.x, scene->getProjection(), 64);
    const float right = columnOf(1.0f, camera.position.x, scene->getProjection(), 64);
    EXPECT_EQ(channel(screen.pixel(int(left + 2), 32), 8), 255);
    EXPECT_EQ(channel(screen.pixel(int(right - 2), 32), 8), 255);
    EXPECT_EQ(channel(screen.pixel(int(left - 2), 32), 8), 0);
    EXPECT_EQ(channel(screen.pixel(int(right + 2), 32), 8), 0);
    EXPECT_EQ(channel(screen.pixel(int(right) + 1, 32 - int(right - left) / 2 - 2), 8), 0);  // square, not a strip

    // Before the first camera key: nothing drawn and the device untouched.
    D3DVIEWPORT9 before{1, 2, 30, 20, 0.0f, 1.0f};
    screen->SetViewport(&before);
    Matrix4 marked = identityMatrix();
    marked(3, 0) = 7.0f;
    screen->SetTransform(D3DTS_VIEW, &marked);
    EXPECT_FALSE(scene->render(-0.5f, 0.01f));
    D3DVIEWPORT9 after{};
    screen->GetViewport(&after);
    Matrix4 view;
    screen->GetTransform(D3DTS_VIEW, &view);
    EXPECT_EQ(after.X, 1u);
    EXPECT_EQ(after.Width, 30u);
    EXPECT_EQ(view(3, 0), 7.0f);
}

TEST(VisualScene, TwoScenesInOneFrameEachClearTheirDepthAndRestoreTheViewport) {
    TestDevice screen(64, 64);
    std::string error;
    xwriter::Material white, red;
    white.emissive = {1, 1, 1};
    red.diffuse = {1, 0, 0, 1};
    red.emissive = {1, 0, 0};
    ASSERT_TRUE(addSquareResource("SceneWhite.x", white, error)) << error;
    ASSERT_TRUE(addSquareResource("SceneRed.x", red, error)) << error;
    const std::string text = std::string("<demo>") + still +
        "<path.spline name=\"Raised\"><key p=\"0 5 0\" t=\"0\"/><key p=\"0 5 0\" t=\"10\"/></path.spline>"
        "<path.spline name=\"Wide\" scale=\"8\"><key p=\"0 0 0\" t=\"0\"/><key p=\"0 0 0\" t=\"10\"/></path.spline>"
        "<model.x name=\"WhiteSquare\" resource=\"SceneWhite.x\"/><model.x name=\"RedSquare\" resource=\"SceneRed.x\"/>"
        "<model.group name=\"NearWorld\"><item model=\"WhiteSquare\" path=\"Raised\"/></model.group>"
        "<model.group name=\"FarWorld\"><item model=\"RedSquare\" path=\"Wide\"/></model.group>"
        "<path.spline name=\"Camera\">" + downKey(0, 0) + downKey(0, 10) + "</path.spline>"
        "<visual.scene name=\"Near\" model=\"NearWorld\" camera=\"Camera\" near=\"1\" far=\"100\"/>"
        "<visual.scene name=\"Far\" model=\"FarWorld\" camera=\"Camera\" near=\"1\" far=\"100\"/></demo>";
    TestDocument doc(text.c_str());
    auto* nearScene = doc.find<VisualScene>("Near", TypeVisualScene);
    auto* farScene = doc.find<VisualScene>("Far", TypeVisualScene);
    ASSERT_NE(nearScene, nullptr);
    ASSERT_NE(farScene, nullptr);

    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
    const D3DVIEWPORT9 before{0, 0, 64, 64, 0.0f, 1.0f};
    screen->SetViewport(&before);
    nearScene->setRect({0, 0, 64, 64});
    farScene->setRect({0, 0, 32, 64});  // the far scene covers the left half only
    ASSERT_TRUE(nearScene->render(1.0f, 0.01f));
    ASSERT_TRUE(farScene->render(1.0f, 0.01f));
    D3DVIEWPORT9 after{};
    screen->GetViewport(&after);
    screen->EndScene();

    // Left of the centre the white square is nearer, yet the far scene's red shows: its own clear.
    EXPECT_EQ(screen.pixel(24, 32) & 0xffffff, 0xff0000u);
    EXPECT_EQ(screen.pixel(40, 32) & 0xffffff, 0xffffffu);  // the near scene's half stays
    EXPECT_EQ(screen.pixel(60, 32) & 0xffffff, 0x000000u);  // neither square reaches the right edge
    EXPECT_EQ(after.X, before.X);
    EXPECT_EQ(after.Width, before.Width);
    EXPECT_EQ(after.Height, before.Height);
}

TEST(VisualScene, PointAndDirectionalLightLightAMeshDifferently) {
    TestDevice screen(64, 64);
    std::string error;
    ASSERT_TRUE(addSquareResource("SceneGrey.x", xwriter::Material(), error)) << error;
    const std::string text = std::string("<demo>") + still +
        "<model.x name=\"Square\" resource=\"SceneGrey.x\"/>"
        "<model.group name=\"World\"><item model=\"Square\" path=\"Still\"/></model.group>"
        "<path.spline name=\"Camera\">" + downKey(0, 0) + downKey(0, 10) + "</path.spline>"
        "<visual.scene name=\"Sun\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"100\"/>"
        "<visual.scene name=\"Bulb\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"100\" light=\"0\"/></demo>";
    TestDocument doc(text.c_str());
    auto* sun = doc.find<VisualScene>("Sun", TypeVisualScene);
    auto* bulb = doc.find<VisualScene>("Bulb", TypeVisualScene);
    ASSERT_NE(sun, nullptr);
    ASSERT_NE(bulb, nullptr);

    // White material, normal up: ambient 0.35 plus 0.65 times the cosine towards the light.
    ASSERT_TRUE(drawVisualFrame(screen, sun, 1.0f));
    const float sunCosine = 0.8f / std::sqrt(1.0f + 0.64f + 1.0f);
    EXPECT_NEAR(channel(screen.pixel(32, 32), 8), (0.35f + 0.65f * sunCosine) * 255.0f, 3.0f);
    ASSERT_TRUE(drawVisualFrame(screen, bulb, 1.0f));
    const float bulbCosine = 150.0f / std::sqrt(25.0f * 25.0f + 150.0f * 150.0f);  // light at (-25, 150, 0)
    EXPECT_NEAR(channel(screen.pixel(32, 32), 8), (0.35f + 0.65f * bulbCosine) * 255.0f, 3.0f);
}
