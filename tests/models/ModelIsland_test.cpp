// The island's grid: its indices, the map's heights and texture steps at the corners, and the
// normals of a flat patch and of a slope.
#include "models/ModelIsland.h"

#include "resources/LoadResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(ModelIsland, IndicesRunRowByRow) {
    const std::vector<uint16_t> indices = ModelIsland::buildIndices();
    ASSERT_EQ(indices.size(), 1922u * 3);
    const std::vector<uint16_t> first(indices.begin(), indices.begin() + 6);
    EXPECT_EQ(first, (std::vector<uint16_t>{0, 32, 33, 0, 33, 1}));
    const std::vector<uint16_t> last(indices.end() - 6, indices.end());
    EXPECT_EQ(last, (std::vector<uint16_t>{990, 1022, 1023, 990, 1023, 991}));
}

TEST(ModelIsland, MapCornersHeightsAndNormals) {
    const ResourceData map = loadResource("IslandMap.raw");
    ASSERT_EQ(map.size, 1024u);
    const std::vector<uint16_t> indices = ModelIsland::buildIndices();
    std::vector<IslandVertex> v;
    EXPECT_FALSE(ModelIsland::buildVertices(map.data, 1023, indices, v));
    ASSERT_TRUE(ModelIsland::buildVertices(map.data, map.size, indices, v));
    ASSERT_EQ(v.size(), 1024u);

    // The corners lie under the water (byte 0 is drawn at -32 x 0.02).
    EXPECT_EQ(v[0].x, -15.5f);
    EXPECT_EQ(v[0].z, -15.5f);
    EXPECT_FLOAT_EQ(v[0].y, -0.64f);
    EXPECT_EQ(v[0].u, 0.0f);
    EXPECT_EQ(v[0].v, 0.0f);
    EXPECT_EQ(v[1023].x, 15.5f);
    EXPECT_EQ(v[1023].z, 15.5f);
    EXPECT_NEAR(v[1023].u, 1.0f, 1e-5f);
    EXPECT_NEAR(v[1023].v, 1.0f, 1e-5f);
    // Row = z, column = x: the summit's byte 234 stands at its column and row.
    const auto* summit = std::max_element(map.data, map.data + 1024);
    const int at = static_cast<int>(summit - map.data);
    EXPECT_EQ(*summit, 234);
    EXPECT_FLOAT_EQ(v[at].y, 4.68f);
    EXPECT_EQ(v[at].x, static_cast<float>(at % 32) - 15.5f);
    EXPECT_EQ(v[at].z, static_cast<float>(at / 32) - 15.5f);
    // Under the water the ground is flat: straight up.
    EXPECT_FLOAT_EQ(v[33].nx, 0.0f);
    EXPECT_FLOAT_EQ(v[33].ny, 1.0f);
    EXPECT_FLOAT_EQ(v[33].nz, 0.0f);

    // A ramp rising 0.1 per unit along x leans its normals back against x.
    std::vector<unsigned char> ramp(1024);
    for (int i = 0; i < 1024; ++i) ramp[i] = static_cast<unsigned char>(10 + 5 * (i % 32));
    ASSERT_TRUE(ModelIsland::buildVertices(ramp.data(), ramp.size(), indices, v));
    const IslandVertex& inner = v[32 * 10 + 10];
    EXPECT_NEAR(inner.nx, -0.1f / std::sqrt(1.01f), 1e-5f);
    EXPECT_NEAR(inner.ny, 1.0f / std::sqrt(1.01f), 1e-5f);
    EXPECT_NEAR(inner.nz, 0.0f, 1e-6f);
}
