// The editor's preview of a visual shows the player's picture, smaller: a caption placed in pixels
// takes the same share of the picture's width as in the player. As an editor's panel, an overlay
// away from its window is drawn as at its middle, under a note.
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

// The editor's panel of an overlay whose window is over: the picture of its middle (a fade at its
// half there) below the note's band, and the panel still reports nothing at the cursor.
TEST(VisualPreview, AnOverlayOutsideItsTimeShowsItsMiddleWithANote) {
    TestDevice screen(400, 300);
    TestDocument doc(
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"White\" visual=\"Empty\" size=\"16\" color=\"ffffffff\"/>"
        "<visual.overlay name=\"Caption\" texture=\"White\" start=\"2\" stop=\"6\" t1=\"4\" position=\"0 -100 400 60\"/>"
        "</demo>");
    auto* caption = doc.find<Visual>("Caption", TypeVisualOverlay);
    ASSERT_NE(caption, nullptr);
    auto frame = [&](VisualPreview& preview, float time, bool* drawn) {
        preview.setRect({0, 0, 400, 300});
        screen->BeginScene();
        updateRenderTargets(time, 0.01f);
        screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
        *drawn = preview.draw(time, 0.01f);
        screen->EndScene();
        return screen.readback();
    };
    VisualPreview player(caption);
    bool drawn = false;
    const std::vector<DWORD> middle = frame(player, 4.0f, &drawn);
    ASSERT_TRUE(drawn);
    const DWORD grey = middle[250 * 400 + 200] & 0xff;
    EXPECT_GT(grey, 100u);  // half faded in: neither black nor white
    EXPECT_LT(grey, 160u);

    auto* panel = dynamic_cast<VisualPreview*>(caption->getEditor());
    ASSERT_NE(panel, nullptr);
    const std::vector<DWORD> outside = frame(*panel, 9.0f, &drawn);
    EXPECT_FALSE(drawn);
    EXPECT_EQ(panel->getNote(), "Not visible at the cursor: shown as at 4.00 s, the middle of 2.00 to 6.00 s");
    EXPECT_TRUE(std::equal(outside.begin() + 40 * 400, outside.end(), middle.begin() + 40 * 400))
        << "below the note, the picture differs from the overlay's at its middle";
    EXPECT_TRUE(std::any_of(outside.begin(), outside.begin() + 20 * 400, [](DWORD c) { return (c & 0xff) > 200; }))
        << "no note in white at the top";

    frame(*panel, 5.0f, &drawn);  // inside its window: as ever, without a note
    EXPECT_TRUE(drawn);
    EXPECT_EQ(panel->getNote(), "");
}
