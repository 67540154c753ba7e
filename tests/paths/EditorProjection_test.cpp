#include "paths/EditorProjection.h"

#include <gtest/gtest.h>

TEST(EditorProjectionTest, FitViewportKeepsTheLargestCentred43Rectangle) {
    D3DVIEWPORT9 tall = fitViewport43(0, 0, 800, 800);
    EXPECT_EQ(tall.X, 0u);
    EXPECT_EQ(tall.Y, 100u);
    EXPECT_EQ(tall.Width, 800u);
    EXPECT_EQ(tall.Height, 600u);
    EXPECT_EQ(tall.MinZ, 0.0f);
    EXPECT_EQ(tall.MaxZ, 1.0f);

    D3DVIEWPORT9 wide = fitViewport43(0, 0, 1000, 600);
    EXPECT_EQ(wide.X, 100u);
    EXPECT_EQ(wide.Y, 0u);
    EXPECT_EQ(wide.Width, 800u);
    EXPECT_EQ(wide.Height, 600u);

    // Offsets add to the given corner; integer division rounds the size down.
    D3DVIEWPORT9 odd = fitViewport43(10, 20, 333, 500);
    EXPECT_EQ(odd.Width, 333u);
    EXPECT_EQ(odd.Height, 249u);
    EXPECT_EQ(odd.X, 10u);
    EXPECT_EQ(odd.Y, 20u + (500u - 249u) / 2);

    D3DVIEWPORT9 exact = fitViewport43(5, 6, 640, 480);
    EXPECT_EQ(exact.X, 5u);
    EXPECT_EQ(exact.Y, 6u);
    EXPECT_EQ(exact.Width, 640u);
    EXPECT_EQ(exact.Height, 480u);
}

TEST(EditorProjectionTest, PerspectiveMapsNearToZeroAndFarToOne) {
    D3DVIEWPORT9 viewport = fitViewport43(0, 0, 800, 600);
    Matrix4 p = perspective45(viewport, 1.0f, 1000.0f);
    EXPECT_FLOAT_EQ(p(0, 0), 600.0f * 2.4142137f / 800.0f);
    EXPECT_FLOAT_EQ(p(1, 1), 2.4142137f);
    EXPECT_EQ(p(2, 3), 1.0f);
    EXPECT_EQ(p(3, 3), 0.0f);
    EXPECT_EQ(p(0, 1), 0.0f);
    // A point on the axis at depth z: clip z = z * m22 + m32, w = z.
    auto depth = [&](float z) { return (z * p(2, 2) + p(3, 2)) / z; };
    EXPECT_NEAR(depth(1.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(depth(1000.0f), 1.0f, 1e-6f);
    // A point on the top edge of a 45-degree field of view projects to y = 1.
    const float tan22_5 = 0.41421356f;
    EXPECT_NEAR(10.0f * tan22_5 * p(1, 1) / 10.0f, 1.0f, 1e-6f);
}
