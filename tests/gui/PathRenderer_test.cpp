// The path renderer's geometry: the trail's samples, stripes and fading around a moment, the keys
// shown around the current one, the key's axes and the camera's pyramid, and the state block
// that lives while any renderer does.
#include "gui/PathRenderer.h"

#include "paths/SplineDocument.h"
#include "support/TestDevice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Keys every `seconds` along x, 10 units apart, unrotated.
std::vector<KeyNumbers> keysEvery(int count, float seconds) {
    std::vector<KeyNumbers> keys;
    for (int i = 0; i < count; ++i) keys.push_back({10 * i, 0, 0, 0, 0, 0, 0, 0, 0, seconds * static_cast<float>(i)});
    return keys;
}

TEST(PathRendererTrail, TenthsOfASecondInAlternatingStripesFadingFiveSecondsAway) {
    LoadedPath p(keysEvery(4, 4.0f));  // 0 to 12 s
    PathRenderer renderer(&p.path);
    WorldVertex v[PathRenderer::TrailCapacity];
    // At 4 s: from the path's start to 9 s, 91 samples after the first, each line sent as a pair.
    ASSERT_EQ(renderer.buildTrail(4.0f, 0x000001, 0xFFFFFF, v), 182);
    EXPECT_EQ(v[0].colour, 0x5BFFFFFFu);   // 0 s: even stripe, alpha (1 - 0.04 * 16) * 255
    EXPECT_EQ(v[2].colour & 0xFFFFFF, 0x000001u);  // the line leaving 0.1 s: odd
    EXPECT_EQ(v[1].x, v[2].x);             // one sample ends a line and starts the next
    EXPECT_EQ(v[79].colour, 0xFF000001u);  // arriving at 4 s, on the line leaving 3.9 s
    EXPECT_EQ(v[80].colour, 0xFFFFFFFFu);  // leaving 4 s
    EXPECT_FLOAT_EQ(v[80].x, 10.0f);       // the sample at 4 s is key 1
    EXPECT_EQ(v[181].colour >> 24, 0u);    // 9 s, five seconds on

    // Between tenths: the ends are samples of their own; ten seconds fill 202 of the 205 vertices.
    ASSERT_EQ(renderer.buildTrail(6.05f, 0x000001, 0xFFFFFF, v), 202);
    EXPECT_EQ(v[0].colour & 0xFFFFFF, 0xFFFFFFu);  // 1.05 s takes the parity of tenth 10
    EXPECT_EQ(v[201].colour >> 24, 0u);            // 11.05 s, five seconds on

    // An end cut (the last key inserted again) puts the final sample on a zero-length segment.
    p.path.selectKey(3);
    p.path.insertKey();
    const int n = renderer.buildTrail(10.0f, 0, 0, v);
    ASSERT_EQ(n, 2 * 71);  // 5 s to 12 s, and 12 s once more
    for (int i = 0; i < n; ++i) ASSERT_TRUE(std::isfinite(v[i].x) && std::isfinite(v[i].y) && std::isfinite(v[i].z)) << i;
    EXPECT_FLOAT_EQ(v[n - 1].x, 30.0f);

    EXPECT_EQ(renderer.buildTrail(17.5f, 0, 0, v), 0);
    EXPECT_EQ(renderer.buildTrail(-5.5f, 0, 0, v), 0);
    EXPECT_EQ(renderer.buildTrail(std::nanf(""), 0, 0, v), 0);
}

TEST(PathRendererKeys, TenKeysEitherSideFadeOutAroundTheOrangeCurrentKey) {
    LoadedPath p(keysEvery(15, 1.0f));
    PathRenderer renderer(&p.path);
    WorldVertex v[PathRenderer::KeyPointCapacity];
    ASSERT_EQ(renderer.buildKeyPoints(v), 11);
    EXPECT_EQ(v[0].colour, 0xFFFFC018u);
    EXPECT_EQ(v[5].colour, 0xC0FFFFFFu);  // 255 - floor(2.55 * 25)
    EXPECT_EQ(v[10].colour, 0x00FFFFFFu);
    p.path.selectKey(12);
    ASSERT_EQ(renderer.buildKeyPoints(v), 13);  // keys 2 to 14
    EXPECT_EQ(v[0].x, 20.0f);
    EXPECT_EQ(v[10].colour, 0xFFFFC018u);

    LoadedPath one(keysEvery(1, 1.0f));
    EXPECT_EQ(PathRenderer(&one.path).buildKeyPoints(v), 1);
}

TEST(PathRendererGizmos, AxesGrowWithTheRootOfTheSizeAndThePyramidOpensWithTheView) {
    LoadedPath p(keysEvery(2, 1.0f));
    p.path.selectKey(1);
    PathRenderer renderer(&p.path);
    WorldVertex v[8];
    ASSERT_TRUE(renderer.buildAxes(400.0f, v));
    EXPECT_EQ(v[0].x, 10.0f);
    EXPECT_FLOAT_EQ(v[1].x, 30.0f);  // key 1 plus 20 along x, in red
    EXPECT_EQ(v[1].colour, 0xFFFF0000u);
    EXPECT_FLOAT_EQ(v[5].z, 20.0f);

    ASSERT_TRUE(renderer.buildPyramid(0.5f, 1.5707964f, v));
    EXPECT_GT(v[0].x, 0.0f);  // the camera between its keys
    EXPECT_LT(v[0].x, 10.0f);
    EXPECT_EQ(v[0].colour, 0xFFFFFFFFu);
    EXPECT_NEAR(v[1].x - v[0].x, 353.553f, 0.01f);  // 500 ahead, sin 45 degrees across
    EXPECT_NEAR(v[1].y - v[0].y, 265.165f, 0.01f);
    EXPECT_NEAR(v[1].z - v[0].z, 500.0f, 0.01f);
    EXPECT_EQ(v[1].colour, 0x00FFFFFFu);
    EXPECT_FALSE(renderer.buildPyramid(3.0f, 1.0f, v));
}

TEST(PathRendererState, TheSharedBlockLivesWhileARendererDoes) {
    TestDevice screen(32, 32);
    LoadedPath p(keysEvery(3, 1.0f));
    ASSERT_EQ(PathRenderer::liveCount(), 0);
    {
        PathRenderer a(&p.path), b(&p.path);
        EXPECT_EQ(PathRenderer::liveCount(), 2);
        screen->BeginScene();
        a.draw(1.0f, 0.01f, 100.0f, 0.5f);
        screen->EndScene();
        EXPECT_TRUE(PathRenderer::hasStateBlock());
    }
    EXPECT_EQ(PathRenderer::liveCount(), 0);
    EXPECT_FALSE(PathRenderer::hasStateBlock());
}

}  // namespace
