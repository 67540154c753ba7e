// Quads with the real device: the texture rectangle sets both the band shown and the extent.
#include "models/ModelQuad.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/VisualFrame.h"
#include "visuals/VisualScene.h"

#include <gtest/gtest.h>

TEST(ModelQuad, TextureBandSetsWhatShowsAndHowLargeAndMisspeltAttributesAreIgnored) {
    TestDevice screen(64, 64);
    // The texture is red in its top half and blue below; the quad shows v 0.1 to 0.4 of it, so it
    // is 1 wide and 0.3 deep, scaled by 4 and seen straight down from 10 units (+z up).
    TestDocument doc(
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"Red\" visual=\"Empty\" size=\"16\" color=\"ffff0000\"/>"
        "<visual.overlay name=\"TopHalf\" texture=\"Red\" start=\"0\" stop=\"10\" position=\"0 0 0 32\"/>"
        "<texture.target name=\"Halves\" visual=\"TopHalf\" size=\"64\" color=\"ff0000ff\"/>"
        "<model.quad name=\"Band\" texture=\"Halves\" v0=\"0.1\" v1=\"0.4\" u2=\"0.5\"/>"
        "<path.spline name=\"Four\" scale=\"4\"><key p=\"0 0 0\" t=\"0\"/><key p=\"0 0 0\" t=\"10\"/></path.spline>"
        "<model.group name=\"World\"><item model=\"Band\" path=\"Four\"/></model.group>"
        "<path.spline name=\"Camera\"><key p=\"0 10 0 -706 0 0\" t=\"0\"/><key p=\"0 10 0 -706 0 0\" t=\"10\"/></path.spline>"
        "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"100\"/></demo>");
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(doc.find<ModelQuad>("Band", TypeModelQuad)->getSize(), 1.0f);

    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));  // the first frame fills "Red"
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    // 4 units wide spans 2 * 2.414 / 10 of the picture (31 pixels); 1.2 deep spans 9 pixels.
    EXPECT_EQ(screen.pixel(32, 32) & 0xffffff, 0xff0000u);
    EXPECT_EQ(screen.pixel(32 + 13, 32) & 0xffffff, 0xff0000u);
    EXPECT_EQ(screen.pixel(32 - 13, 32) & 0xffffff, 0xff0000u);
    EXPECT_EQ(screen.pixel(32 + 18, 32) & 0xffffff, 0u);
    EXPECT_EQ(screen.pixel(32, 32 + 7) & 0xffffff, 0u);
    EXPECT_EQ(screen.pixel(32, 32 - 7) & 0xffffff, 0u);
}
