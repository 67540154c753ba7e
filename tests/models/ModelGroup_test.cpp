// Groups with the real device: items outside their path's range are left out, and a group that
// would hold itself is refused item by item instead of recursing, while saving loses nothing.
#include "models/ModelGroup.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestMesh.h"
#include "support/TestPaths.h"
#include "support/VisualFrame.h"
#include "visuals/VisualScene.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <string>

namespace {

std::string printed(TiXmlDocument& document) {
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

}  // namespace

TEST(ModelGroup, ItemOutsideItsPathRangeIsAbsentWhileAnotherDraws) {
    TestDevice screen(64, 64);
    // Camera straight down from y = 10; +x is right in the picture. Left quad for 0-2 s, right for 5-9 s.
    TestDocument doc(
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"White\" visual=\"Empty\" size=\"16\" color=\"ffffffff\"/>"
        "<model.quad name=\"Quad\" texture=\"White\"/>"
        "<path.spline name=\"Early\"><key p=\"-3 0 0\" t=\"0\"/><key p=\"-3 0 0\" t=\"2\"/></path.spline>"
        "<path.spline name=\"Late\"><key p=\"3 0 0\" t=\"5\"/><key p=\"3 0 0\" t=\"9\"/></path.spline>"
        "<model.group name=\"World\" size=\"40\"><item model=\"Quad\" path=\"Early\"/><item model=\"Quad\" path=\"Late\"/></model.group>"
        "<path.spline name=\"Camera\"><key p=\"0 10 0 -706 0 0\" t=\"0\"/><key p=\"0 10 0 -706 0 0\" t=\"9\"/></path.spline>"
        "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"100\"/></demo>");
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->getModel()->getSize(), 40.0f);

    // x = -3 at depth 10 lands 3 * 2.414 / 10 of the half-width left of the centre: column 8.8.
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    EXPECT_EQ(screen.pixel(9, 32) & 0xffffff, 0xffffffu);
    EXPECT_EQ(screen.pixel(55, 32) & 0xffffff, 0u);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 6.0f));
    EXPECT_EQ(screen.pixel(9, 32) & 0xffffff, 0u);
    EXPECT_EQ(screen.pixel(55, 32) & 0xffffff, 0xffffffu);
}

TEST(ModelGroup, GroupHoldingItselfIsRefusedWithAWarningAndSavedUnchanged) {
    TestDevice screen(16, 16);
    const char* text =
        "<demo><path.spline name=\"P\" scale=\"1.000000\"><key p=\"   +0    +0    +0   +0   +0   +0\" tcb=\" +0  +0  +0\" t=\"0.000000\" />"
        "<key p=\"   +0    +0    +0   +0   +0   +0\" tcb=\" +0  +0  +0\" t=\"10.000000\" /></path.spline>"
        "<model.group name=\"Loop\"><item model=\"Loop\" path=\"P\" /><item model=\"Nowhere\" path=\"P\" /><item path=\"P\" /></model.group>"
        "<model.group name=\"Outer\"><item model=\"Inner\" path=\"P\" /></model.group>"
        "<model.group name=\"Inner\"><item model=\"Outer\" path=\"P\" /></model.group>"
        // No loop: the hall's screen shows a render target of a scene whose room holds the hall.
        "<model.group name=\"Hall\"><item model=\"Screen\" path=\"P\" /></model.group>"
        "<model.x name=\"Screen\" resource=\"GroupScreen.x\" />"
        "<texture.target name=\"Monitor\" visual=\"Inside\" size=\"16\" color=\"ff000000\" />"
        "<visual.scene name=\"Inside\" model=\"Room\" camera=\"P\" />"
        "<model.group name=\"Room\"><item model=\"Hall\" path=\"P\" /></model.group></demo>";
    xwriter::Material screenMaterial;
    screenMaterial.textureFilename = "Monitor";
    std::string error;
    ASSERT_TRUE(addSquareResource("GroupScreen.x", screenMaterial, error)) << error;
    TestDocument doc(text);
    ASSERT_TRUE(doc.loaded);
    const std::string before = printed(doc.document);

    testing::internal::CaptureStderr();
    auto* loop = doc.find<ModelGroup>("Loop", TypeModelGroup);
    auto* outer = doc.find<ModelGroup>("Outer", TypeModelGroup);
    auto* hall = doc.find<ModelGroup>("Hall", TypeModelGroup);
    const std::string warnings = testing::internal::GetCapturedStderr();
    ASSERT_NE(loop, nullptr);
    ASSERT_NE(outer, nullptr);
    EXPECT_NE(warnings.find("\"Loop\""), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("\"Inner\""), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("\"Outer\""), std::string::npos) << warnings;
    EXPECT_EQ(loop->getItems()[0].model, nullptr);
    // Inner, loaded inside Outer's load, takes Outer first; Outer's item Inner then closes the loop.
    EXPECT_EQ(outer->getItems()[0].model, nullptr);
    auto* inner = doc.find<ModelGroup>("Inner", TypeModelGroup);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->getItems()[0].model, outer);
    ASSERT_NE(hall, nullptr);
    ASSERT_NE(hall->getItems()[0].model, nullptr);  // the screen loaded, and the room inside its load
    EXPECT_EQ(warnings.find("Hall"), std::string::npos) << warnings;
    EXPECT_EQ(doc.find<ModelGroup>("Room", TypeModelGroup)->getItems()[0].model, hall);

    // Drawing ends, and saving writes every item back as read, refused or unresolved.
    screen->BeginScene();
    loop->render(1.0f, 0.01f);
    outer->render(1.0f, 0.01f);
    screen->EndScene();
    const std::string folder = testing_paths::makeTempDir();
    ASSERT_TRUE(doc.database.saveAs((folder + "/demo.xml").c_str()));
    EXPECT_EQ(printed(doc.document), before);
}
