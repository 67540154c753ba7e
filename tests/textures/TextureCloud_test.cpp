// The noise grid's operations, the slice shading, the cloud atlas and how a cloud's noise
// depends on the seed and on earlier draws.
#include "textures/TextureCloud.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "textures/NoiseGrid.h"
#include "textures/Random.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool sameCells(const NoiseGrid& a, const NoiseGrid& b) {
    return a.sameSize(b) && std::memcmp(a.cells.get(), b.cells.get(), sizeof(float) * a.nx * a.ny * a.nz) == 0;
}

}  // namespace

TEST(NoiseGrid, CreateFillAndRandomBoxes) {
    NoiseGrid grid;
    EXPECT_FALSE(grid.create(0, 4, 4));
    EXPECT_FALSE(grid.create(4, 3, 4));
    ASSERT_TRUE(grid.create(4, 2, 8));
    EXPECT_EQ(grid.maskX, 3);
    EXPECT_EQ(grid.maskY, 4);
    EXPECT_EQ(grid.maskZ, 56);

    grid.fill(2, 1, 6, 1.0f);  // x 2..3, y 1, z 6..7: 4 cells
    float sum = 0.0f;
    for (int i = 0; i < 64; ++i) sum += grid.cells[i];
    EXPECT_EQ(sum, 4.0f);
    EXPECT_EQ(grid.at(3, 1, 7), 1.0f);
    EXPECT_EQ(grid.at(1, 1, 7), 0.0f);

    // addRandom walks its box in memory order: (1,0,1) gets the first draw, (1,1,1) the second.
    NoiseGrid small;
    ASSERT_TRUE(small.create(2, 2, 2));
    crtSrand(99);
    const int first = crtRand(), second = crtRand();
    crtSrand(99);
    small.addRandom(1, 0, 1, 2.0f);
    const float k = 2.0f * (1.0f / 32767.0f);
    EXPECT_EQ(small.at(1, 0, 1), static_cast<float>(first) * k);
    EXPECT_EQ(small.at(1, 1, 1), static_cast<float>(second) * k);
    EXPECT_EQ(small.at(0, 1, 1) + small.at(1, 1, 0) + small.at(0, 0, 0), 0.0f);

    NoiseGrid other;
    ASSERT_TRUE(other.create(2, 2, 4));
    EXPECT_FALSE(small.add(other));
    EXPECT_FALSE(small.multiply(other));
}

TEST(NoiseGrid, UpsamplingIsASmoothPeriodicBump) {
    NoiseGrid bump;
    ASSERT_TRUE(bump.create(2, 2, 2));
    bump.fill(1, 1, 1, 0.5f);
    ASSERT_TRUE(bump.upsample(5));
    EXPECT_EQ(bump.nx, 64);
    EXPECT_EQ(bump.at(32, 32, 32), 0.5f);
    EXPECT_EQ(bump.at(0, 0, 0), 0.0f);
    EXPECT_EQ(bump.at(0, 32, 32), 0.0f);
    // Half way the smoothstep weight is 0.5; the bump is symmetric and wraps.
    EXPECT_FLOAT_EQ(bump.at(16, 32, 32), 0.25f);
    EXPECT_FLOAT_EQ(bump.at(48, 32, 32), 0.25f);
    EXPECT_FLOAT_EQ(bump.at(16, 16, 16), 0.0625f);
    // A quarter of the way: w(0.25) = 3/16 - 2/64 = 0.15625.
    EXPECT_FLOAT_EQ(bump.at(8, 32, 32), 0.5f * 0.15625f);

    NoiseGrid copy;
    ASSERT_TRUE(copy.create(4, 4, 4));
    crtSrand(3);
    copy.addRandom(0, 0, 0, 1.0f);
    NoiseGrid before;
    ASSERT_TRUE(before.create(4, 4, 4));
    before.add(copy);
    ASSERT_TRUE(copy.upsample(0));
    EXPECT_TRUE(sameCells(copy, before));
}

TEST(TextureCloud, ShadeCases) {
    EXPECT_EQ(shade(0.7f, 0.0f, 0.0f, 0.0f), 0x00808080u);
    EXPECT_EQ(shade(5.0f, 0.0f, 1e-5f, 0.0f), 0x00808080u);  // g2 = 1e-10: still flat
    EXPECT_EQ(shade(3.0f, -1.0f, 0.0f, 0.0f) >> 24, 255u);
    // Lit straight from the light (m = 1) at half density: (0.05 + 0.2 + 0.7) x 255 = 242.25,
    // (0.15 x 1.5 + 0.7) x 255 = 235.9, (0.1 + 0.1 + 0.7) x 255 = 229.5, alpha 127.5.
    EXPECT_EQ(shade(0.5f, 2.0f, 2.0f, 2.0f), 0x7FF2EBE5u);
    // Facing away: m is held at 0; empty (d = 0): k = 1.
    // red (0.1 + 0.7) x 255 = 204, green 0.85 x 255 = 216.75, blue 0.9 x 255 = 229.5.
    EXPECT_EQ(shade(0.0f, -1.0f, -1.0f, 0.0f), 0x00CCD8E5u);
}

TEST(TextureCloud, AtlasTilesAndSeeds) {
    TestDevice screen(16, 16);
    TestDocument doc(
        "<demo><texture.cloud name=\"A\" seed=\"5\"/><texture.cloud name=\"B\" seed=\"5\"/>"
        "<texture.cloud name=\"Unseeded\"/></demo>");
    auto* a = doc.find<TextureCloud>("A", TypeTexture);
    auto* b = doc.find<TextureCloud>("B", TypeTextureCloud);
    auto* unseeded = doc.find<TextureCloud>("Unseeded", TypeTexture);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(unseeded, nullptr);
    EXPECT_TRUE(sameCells(a->getDensity(), b->getDensity()));
    // Without a seed the cloud continues from B's draws: seeding 5 and building twice gives it.
    NoiseGrid expected;
    crtSrand(5);
    ASSERT_TRUE(TextureCloud::buildDensity(expected));
    EXPECT_TRUE(sameCells(expected, a->getDensity()));
    ASSERT_TRUE(TextureCloud::buildDensity(expected));
    EXPECT_TRUE(sameCells(expected, unseeded->getDensity()));
    EXPECT_FALSE(sameCells(expected, a->getDensity()));

    // The density is dense inside and empty at the faces of the volume.
    const NoiseGrid& d = a->getDensity();
    EXPECT_EQ(d.at(0, 17, 40), 0.0f);
    EXPECT_GT(d.at(32, 32, 32), 0.0f);

    int w = 0, h = 0;
    a->getSize(w, h);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 256);

    // Tile 7 is column 3, row 1: slice 32 on axis 1 (y), columns along z, rows along x. Tile 2
    // is slice 16 on axis 2 (z), columns along x, rows along y. Tile 15 is never written.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(a->getTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto pixel = [&](int x, int y) {
        return reinterpret_cast<const DWORD*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch)[x];
    };
    auto shaded = [&](int x, int y, int z) {
        return shade(d.at(x, y, z), d.at(x + 1, y, z) - d.at(x - 1, y, z), d.at(x, y + 1, z) - d.at(x, y - 1, z),
                     d.at(x, y, z + 1) - d.at(x, y, z - 1));
    };
    for (int row : {0, 20, 63})
        for (int column : {0, 31, 63}) {
            EXPECT_EQ(pixel(192 + column, 64 + row), shaded(row, 32, column)) << row << ", " << column;
            EXPECT_EQ(pixel(128 + column, row), shaded(column, row, 16)) << row << ", " << column;
            EXPECT_EQ(pixel(192 + column, 192 + row), 0u);
        }
    EXPECT_NE(pixel(192 + 30, 64 + 30) >> 24, 0u);  // the middle of the cloud is not transparent
    a->getTexture()->UnlockRect(0);
}
