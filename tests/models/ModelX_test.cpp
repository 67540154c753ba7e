// Meshes with the real device: a material whose texture name is a render target of the document
// shows what that target holds in this very frame.
#include "models/ModelX.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestMesh.h"
#include "support/VisualFrame.h"
#include "visuals/VisualScene.h"

#include <gtest/gtest.h>

TEST(ModelX, MaterialNamingARenderTargetShowsThatTargetsPictureOfThisFrame) {
    TestDevice screen(64, 64);
    xwriter::Material screenMaterial;
    screenMaterial.emissive = {1, 1, 1};  // fully lit: the texture's colour shows unchanged
    screenMaterial.textureFilename = "screen1.jpg";
    std::string error;
    ASSERT_TRUE(addSquareResource("ScreenSquare.x", screenMaterial, error)) << error;
    // The target "screen1.jpg" is blue, with a red overlay on it during the first second only.
    TestDocument doc(
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"Red\" visual=\"Empty\" size=\"16\" color=\"ffff0000\"/>"
        "<visual.overlay name=\"RedShow\" texture=\"Red\" start=\"0\" stop=\"1\"/>"
        "<texture.target name=\"screen1.jpg\" visual=\"RedShow\" size=\"32\" color=\"ff0000ff\"/>"
        "<model.x name=\"Screen\" resource=\"ScreenSquare.x\"/>"
        "<path.spline name=\"Still\"><key p=\"0 0 0\" t=\"0\"/><key p=\"0 0 0\" t=\"10\"/></path.spline>"
        "<model.group name=\"World\"><item model=\"Screen\" path=\"Still\"/></model.group>"
        "<path.spline name=\"Camera\"><key p=\"0 10 0 -706 0 0\" t=\"0\"/><key p=\"0 10 0 -706 0 0\" t=\"10\"/></path.spline>"
        "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"100\"/></demo>");
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    auto* mesh = doc.find<ModelX>("Screen", TypeModelX);
    ASSERT_EQ(mesh->getMaterials().size(), 1u);
    EXPECT_FALSE(mesh->getMaterials()[0].ownTexture);
    // Ambient follows diffuse.
    EXPECT_EQ(mesh->getMaterials()[0].material.Ambient.r, mesh->getMaterials()[0].material.Diffuse.r);

    // "Red" is created after "screen1.jpg", so it is filled after it: the first frame fills it.
    ASSERT_TRUE(drawVisualFrame(screen, scene, 0.5f));
    ASSERT_TRUE(drawVisualFrame(screen, scene, 2.0f));
    EXPECT_EQ(screen.pixel(32, 32) & 0xffffff, 0x0000ffu);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 0.5f));
    EXPECT_EQ(screen.pixel(32, 32) & 0xffffff, 0xff0000u);
    EXPECT_EQ(screen.pixel(2, 2) & 0xffffff, 0u);  // outside the square
}
