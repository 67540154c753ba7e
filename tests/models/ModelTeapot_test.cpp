// Teapot: load rules, the tumbling angles, the states it hands back to later drawing.
#include "models/ModelTeapot.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"

#include <gtest/gtest.h>

#include <numbers>

TEST(ModelTeapot, NeedsItsTextureAndHandsBackCoordinatesAndColourSource) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><visual.group name=\"Empty\"/>"
                     "<texture.target name=\"Solid\" visual=\"Empty\" size=\"16\" color=\"ff808080\"/>"
                     "<model.teapot name=\"Pot\" texture=\"Solid\"/><model.teapot name=\"Bare\"/></demo>");
    auto* pot = doc.find<ModelTeapot>("Pot", TypeModelTeapot);
    ASSERT_NE(pot, nullptr);
    EXPECT_EQ(doc.find<ModelTeapot>("Bare", TypeModelTeapot), nullptr);

    pot->render(0.0f, 6.0f);  // 6.6 and 9.6 radians, both past a full turn
    EXPECT_NEAR(pot->getAngleZ(), 6.6f - 2 * std::numbers::pi_v<float>, 1e-4f);
    EXPECT_NEAR(pot->getAngleX(), 9.6f - 2 * std::numbers::pi_v<float>, 1e-4f);
    DWORD source = 0, coordinates = 1;
    screen->GetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, &source);
    screen->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &coordinates);
    EXPECT_EQ(source, DWORD(D3DMCS_COLOR1));
    EXPECT_EQ(coordinates, 0u);
}
