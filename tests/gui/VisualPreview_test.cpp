// The editor's preview of a visual shows the player's picture, smaller: a caption placed in pixels
// takes the same share of the picture's width as in the player.
#include "gui/VisualPreview.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "textures/TextureTarget.h"
#include "visuals/Visual.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The white columns of a frame: how wide the caption is.
int whiteWidth(TestDevice& screen) {
    const std::vector<DWORD> pixels = screen.readback();
    int left = screen.width(), right = -1;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if ((pixels[i] & 0xffffff) == 0xffffff) {
            const int x = int(i % std::size_t(screen.width()));
            left = std::min(left, x), right = std::max(right, x);
        }
    return right - left + 1;
}

int captionWidthIn(TestDevice& screen, VisualPreview& preview, const Rect& area) {
    preview.setRect(area);
    screen->BeginScene();
    updateRenderTargets(1.0f, 0.01f);
    screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
    preview.draw(1.0f, 0.01f);
    screen->EndScene();
    return whiteWidth(screen);
}

}  // namespace

TEST(VisualPreview, ACaptionHasThePlayersShareOfThePicturesWidth) {
    TestDevice screen(800, 600);
    TestDocument doc(
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"White\" visual=\"Empty\" size=\"16\" color=\"ffffffff\"/>"
        "<visual.overlay name=\"Caption\" texture=\"White\" start=\"0\" stop=\"2\" position=\"16 -80 256 64\"/></demo>");
    auto* caption = doc.find<Visual>("Caption", TypeVisualOverlay);
    ASSERT_NE(caption, nullptr);
    VisualPreview preview(caption);
    EXPECT_EQ(captionWidthIn(screen, preview, {0, 0, 800, 600}), 256);  // the player's own: 32%
    // An editor's panel, wider than 4:3: the picture is 400 pixels wide there.
    EXPECT_EQ(captionWidthIn(screen, preview, {200, 100, 560, 300}), 128);
}
