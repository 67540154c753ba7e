// The ring mesh shared by sea and sky, the sea's and the sky's rim and centre values, and both
// drawn in a scene: the sea seen from above, the sky's dome from below.
#include "models/ModelSea.h"

#include "models/ModelSky.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/VisualFrame.h"
#include "visuals/VisualScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

TEST(ModelSea, RingIndices) {
    EXPECT_EQ(buildRingIndices(1),
              (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 5, 0, 5, 6, 0, 6, 1}));
    // Five rings: every triangle is wound as the centre fan is, and every vertex is used.
    const int rings = 5;
    const std::vector<uint16_t> indices = buildRingIndices(rings);
    ASSERT_EQ(indices.size(), 3u * 150);
    const std::vector<SeaVertex> v = ModelSea::buildVertices(rings);
    ASSERT_EQ(v.size(), 91u);
    std::vector<int> uses(v.size());
    for (size_t t = 0; t < indices.size(); t += 3) {
        const SeaVertex &a = v[indices[t]], &b = v[indices[t + 1]], &c = v[indices[t + 2]];
        const float turn = (b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x);
        EXPECT_LT(turn, 0.0f) << "triangle " << t / 3;
        for (int k = 0; k < 3; ++k) ++uses[indices[t + k]];
    }
    EXPECT_EQ(std::count(uses.begin(), uses.end(), 0), 0);
}

TEST(ModelSea, RimAndCentreValues) {
    const std::vector<SeaVertex> sea = ModelSea::buildVertices(5);
    EXPECT_EQ(sea[0].color, 0xE0000000u);
    EXPECT_EQ(sea[0].u, 8.0f);
    for (size_t i = 61; i < 91; ++i) {  // ring 5
        EXPECT_EQ(sea[i].color, 0x20000000u);
        EXPECT_NEAR(std::hypot(sea[i].x, sea[i].z), 1.0f, 1e-6f);
    }
    EXPECT_NEAR(sea[61].u, 16.0f, 1e-5f);  // angle 0 at the rim: 8 + 4 x 1 x 2
    EXPECT_EQ(sea[7].color, static_cast<D3DCOLOR>(static_cast<int>(224.0f - 192.0f * 0.16f)) << 24);

    const std::vector<SkyVertex> sky = ModelSky::buildVertices(6);
    ASSERT_EQ(sky.size(), 127u);
    EXPECT_EQ(sky[0].color, 0xFF0060C0u);
    EXPECT_FLOAT_EQ(sky[0].y, 0.41421356f);
    for (size_t i = 91; i < 127; ++i) {  // ring 6
        EXPECT_NEAR(sky[i].y, 0.0f, 1e-6f);
        EXPECT_EQ(sky[i].color, 0xFF80C0FFu);
    }
}

namespace {

int channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xff); }

}  // namespace

TEST(ModelSea, SeaFromAboveAndSkyFromBelowInAScene) {
    // One camera at (0, 10, 0) looks down for the first second and up after it; the sea and the
    // sky are 100 units wide, so the middle of the picture shows each one's centre.
    const std::string text =
        "<demo>"
        "<visual.group name=\"Empty\"/>"
        "<texture.target name=\"Green\" visual=\"Empty\" size=\"16\" color=\"ff00ff00\"/>"
        "<model.sea name=\"Sea\" texture=\"Green\"/><model.sky name=\"Sky\"/>"
        "<path.spline name=\"Big\" scale=\"100\"><key p=\"0 0 0\" t=\"0\"/><key p=\"0 0 0\" t=\"10\"/></path.spline>"
        "<model.group name=\"World\"><item model=\"Sky\" path=\"Big\"/><item model=\"Sea\" path=\"Big\"/></model.group>"
        "<path.spline name=\"Down\"><key p=\"0 10 0 -706 0 0\" t=\"0\"/><key p=\"0 10 0 -706 0 0\" t=\"1\"/></path.spline>"
        "<path.spline name=\"Up\"><key p=\"0 10 0 706 0 0\" t=\"0\"/><key p=\"0 10 0 706 0 0\" t=\"1\"/></path.spline>"
        "<visual.scene name=\"Below\" model=\"World\" camera=\"Down\" near=\"1\" far=\"1000\"/>"
        "<visual.scene name=\"Above\" model=\"World\" camera=\"Up\" near=\"1\" far=\"1000\"/>"
        "</demo>";
    TestDevice screen(64, 64);
    TestDocument doc(text.c_str());
    auto* below = doc.find<VisualScene>("Below", TypeVisual);
    auto* above = doc.find<VisualScene>("Above", TypeVisual);
    ASSERT_NE(below, nullptr);
    ASSERT_NE(above, nullptr);

    // The sea's centre is 224/255 opaque over the black clear colour.
    ASSERT_TRUE(drawVisualFrame(screen, below, 0.5f));
    for (int x : {8, 32, 56}) {
        const DWORD p = screen.pixel(x, 32);
        EXPECT_NEAR(channel(p, 8), 224, 2) << x;
        EXPECT_EQ(channel(p, 16), 0);
    }
    // Overhead the zenith's colour, (0, 96, 192), turning redder away from it.
    ASSERT_TRUE(drawVisualFrame(screen, above, 0.5f, 0xff000000));
    const DWORD zenith = screen.pixel(32, 32);
    EXPECT_NEAR(channel(zenith, 16), 0, 3);
    EXPECT_NEAR(channel(zenith, 8), 96, 3);
    EXPECT_NEAR(channel(zenith, 0), 192, 3);
    EXPECT_GT(channel(screen.pixel(1, 32), 16), channel(zenith, 16) + 4);
}
