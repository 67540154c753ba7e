// The texture viewer: zoom by keys, wheel and click, and what it draws (the texture centred over
// the checker-board, squeezed into the panel when larger).
#include "textures/TexturePreview.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "textures/TextureTarget.h"

#include <gtest/gtest.h>

namespace {

const char* document =
    "<demo><visual.group name=\"Empty\"/>"
    "<texture.target name=\"Red\" visual=\"Empty\" size=\"16\" color=\"ffff0000\"/>"
    "<texture.target name=\"Big\" visual=\"Empty\" size=\"128\" color=\"ff00ff00\"/></demo>";

int red(DWORD pixel) { return static_cast<int>((pixel >> 16) & 0xff); }
int green(DWORD pixel) { return static_cast<int>((pixel >> 8) & 0xff); }

}  // namespace

TEST(TexturePreview, ZoomKeysWheelAndClick) {
    TestDevice screen(8, 8);
    TestDocument doc(document);
    Texture* texture = doc.find<Texture>("Red", TypeTexture);
    ASSERT_NE(texture, nullptr);
    TexturePreview preview(texture);
    preview.setRect({0, 0, 100, 100});

    EXPECT_TRUE(preview.key('3', true));
    EXPECT_FLOAT_EQ(preview.getZoom(), 3.0f);
    EXPECT_FALSE(preview.key('4', false));  // only presses count
    EXPECT_FLOAT_EQ(preview.getZoom(), 3.0f);
    EXPECT_TRUE(preview.key('5', true));
    EXPECT_FLOAT_EQ(preview.getZoom(), 5.0f);
    EXPECT_TRUE(preview.key(0x20, true));  // Space
    EXPECT_FLOAT_EQ(preview.getZoom(), 1.0f);
    EXPECT_FALSE(preview.key('6', true));
    EXPECT_FALSE(preview.key('A', true));

    preview.wheel({50, 50}, 2.0f);
    EXPECT_FLOAT_EQ(preview.getZoom(), 1.125f);
    preview.wheel({50, 50}, -1.0f);
    EXPECT_FLOAT_EQ(preview.getZoom(), 1.125f * (1.0f - 1.0f / 16.0f));

    preview.leftButton({50, 50}, 0);  // the press does nothing
    EXPECT_NE(preview.getZoom(), 1.0f);
    preview.leftButton({150, 50}, 2);  // released outside the panel
    EXPECT_NE(preview.getZoom(), 1.0f);
    preview.leftButton({50, 50}, 2);
    EXPECT_FLOAT_EQ(preview.getZoom(), 1.0f);
}

TEST(TexturePreview, DrawsTheTextureCentredAndSqueezesLargeOnes) {
    TestDevice screen(64, 64);
    TestDocument doc(document);
    Texture* small = doc.find<Texture>("Red", TypeTexture);
    Texture* big = doc.find<Texture>("Big", TypeTexture);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(big, nullptr);
    TexturePreview preview(small);
    ASSERT_TRUE(preview.init()) << "the checker-board icon 127 must be a resource";
    preview.setRect({0, 0, 64, 64});
    preview.key('2', true);  // 16 texels at zoom 2: 32 pixels, margins of 16

    screen->BeginScene();
    updateRenderTargets(0.0f, 0.01f);
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1.0f, 0);
    preview.draw(0.0f, 0.01f);
    screen->EndScene();
    EXPECT_EQ(red(screen.pixel(16, 16)), 255);
    EXPECT_EQ(red(screen.pixel(47, 47)), 255);
    EXPECT_EQ(screen.pixel(15, 32) & 0x00ffffff, 0x000000ffu);  // the clear colour outside
    EXPECT_EQ(screen.pixel(48, 32) & 0x00ffffff, 0x000000ffu);

    TexturePreview large(big);
    ASSERT_TRUE(large.init());
    large.setRect({0, 0, 64, 64});
    screen->BeginScene();
    updateRenderTargets(0.0f, 0.01f);
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1.0f, 0);
    large.draw(0.0f, 0.01f);
    screen->EndScene();
    EXPECT_EQ(green(screen.pixel(0, 0)), 255);
    EXPECT_EQ(green(screen.pixel(63, 63)), 255);
}
