// The hidden picture: its pixels keep the noise drawn at load while the background is drawn
// again on every select, all under the integer vignette.
#include "textures/TextureArt.h"

#include "resources/LoadResource.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "textures/Random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> readTexture(IDirect3DTexture9* texture) {
    std::vector<uint8_t> bytes;
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return bytes;
    for (int y = 0; y < 128; ++y) {
        const auto* row = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch;
        bytes.insert(bytes.end(), row, row + 128);
    }
    texture->UnlockRect(0);
    return bytes;
}

}  // namespace

TEST(TextureArt, PictureStaysStillInMovingNoise) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><texture.art name=\"Art\"/></demo>");
    crtSrand(17);
    auto* art = doc.find<TextureArt>("Art", TypeTexture);
    ASSERT_NE(art, nullptr);
    // The grey levels drawn at load, in pixel order.
    crtSrand(17);
    std::vector<int> loaded(16384);
    for (int& level : loaded) level = crtRand() * 255 / 32767;

    const ResourceData mask = loadResource("Art.raw");
    ASSERT_GE(mask.size, 16384u);
    ASSERT_TRUE(art->select(0, 0.0f, 0.01f));
    const std::vector<uint8_t> first = readTexture(art->getTexture());
    ASSERT_TRUE(art->select(0, 0.0f, 0.01f));
    const std::vector<uint8_t> second = readTexture(art->getTexture());
    ASSERT_EQ(first.size(), 16384u);
    ASSERT_EQ(second.size(), 16384u);

    int picture = 0, moved = 0, background = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const int i = 128 * y + x;
            if (x == 0 || y == 0) {
                EXPECT_EQ(first[i], 0) << x << ", " << y;
            }
            if (mask.data[i] != 0) {
                ++picture;
                const int expected = ((((128 - x) * x) / 32) * loaded[i] * (((128 - y) * y) / 32)) / 16384;
                EXPECT_EQ(first[i], expected) << x << ", " << y;
                EXPECT_EQ(second[i], first[i]);
            } else if (x > 16 && x < 112 && y > 16 && y < 112) {
                ++background;
                if (second[i] != first[i]) ++moved;
            }
        }
    EXPECT_GT(picture, 1000);
    EXPECT_GT(moved, background * 3 / 4);
    int w = 0, h = 0;
    art->getSize(w, h);
    EXPECT_EQ(w * h, 16384);
}
