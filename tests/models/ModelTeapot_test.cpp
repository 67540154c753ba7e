// Teapot: load rules, the tumbling angles, the states it hands back to later drawing.
#include "models/ModelTeapot.h"

#include "models/ModelScene.h"

TEST(ModelTeapot, NeedsItsTextureAndHandsBackCoordinatesAndColourSource) {
    TestDevice screen(16, 16);
    TestDocument doc(sceneDocument("0 0 0 0 0 0", solidTexture("Solid", "ff808080") +
                                                      "<model.teapot name=\"Pot\" texture=\"Solid\"/><model.teapot name=\"Bare\"/>").c_str());
    auto* pot = doc.find<ModelTeapot>("Pot", TypeModelTeapot);
    ASSERT_NE(pot, nullptr);
    EXPECT_EQ(doc.find<ModelTeapot>("Bare", TypeModelTeapot), nullptr);

    pot->render(0.0f, 6.0f);
    DWORD source = 0, coordinates = 1;
    screen->GetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, &source);
    screen->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &coordinates);
    EXPECT_EQ(source, DWORD(D3DMCS_COLOR1));
    EXPECT_EQ(coordinates, 0u);
}

TEST(ModelTeapot, DrawsItsTextureInAScene) {
    TestDevice screen(64, 64);
    TestDocument doc(sceneDocument("0 0 -6 0 0 0", solidTexture("Solid", "ff406080") +
                                                        "<model.teapot name=\"Root\" texture=\"Solid\"/>").c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    EXPECT_EQ(screen.pixel(2, 2), 0xff000000u);
    const DWORD centre = screen.pixel(32, 32);  // the texture, brightened where the highlight falls
    EXPECT_GE((centre >> 16) & 0xff, 0x3fu);
    EXPECT_GE((centre >> 8) & 0xff, 0x5fu);
    EXPECT_GE(centre & 0xff, 0x7fu);
}
