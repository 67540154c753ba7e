// Render-target textures: drawn every frame in creation order, sampled in the same frame, the
// previous target and depth surface put back, and their load rules.
#include "textures/TextureTarget.h"

#include "app/Device.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/VisualFrame.h"
#include "visuals/VisualOverlay.h"

#include <gtest/gtest.h>

namespace {

int red(DWORD pixel) { return static_cast<int>((pixel >> 16) & 0xff); }
int green(DWORD pixel) { return static_cast<int>((pixel >> 8) & 0xff); }
int blue(DWORD pixel) { return static_cast<int>(pixel & 0xff); }

void drawFrame(TestDevice& screen, Visual* visual, float time) {
    drawVisualFrame(screen, visual, time);
}

}  // namespace

TEST(TextureTarget, SampledInTheFrameItWasDrawn) {
    // The target's visual is an overlay that exists only from time 1: at time 0 the target holds
    // only its clear colour (blue); at time 1 the same frame already shows the overlay (red).
    const char* text =
        "<demo>"
        "<visual.group name=\"Empty\"/>"
        "<texture.target name=\"Red\" visual=\"Empty\" size=\"8\" color=\"ffff0000\"/>"
        "<visual.overlay name=\"Inner\" texture=\"Red\" start=\"1\" stop=\"2\"/>"
        "<texture.target name=\"Screen\" visual=\"Inner\" size=\"32\" color=\"ff0000ff\"/>"
        "<visual.overlay name=\"Show\" texture=\"Screen\" start=\"0\" stop=\"9\"/>"
        "</demo>";
    TestDevice screen(32, 32);
    TestDocument doc(text);
    Visual* show = doc.find<Visual>("Show", TypeVisual);
    ASSERT_NE(show, nullptr);
    // Red was made after Screen, so give it one frame to hold its colour.
    drawFrame(screen, show, 0.0f);
    drawFrame(screen, show, 0.0f);
    EXPECT_EQ(blue(screen.pixel(16, 16)), 255);
    EXPECT_EQ(red(screen.pixel(16, 16)), 0);
    drawFrame(screen, show, 1.0f);
    EXPECT_EQ(red(screen.pixel(16, 16)), 255);
    EXPECT_EQ(blue(screen.pixel(16, 16)), 0);
}

TEST(TextureTarget, TargetsAreDrawnInCreationOrder) {
    // First shows Second's texture: Second is drawn after First in every frame, so First always
    // carries Second's picture of the previous frame.
    const char* text =
        "<demo>"
        "<visual.group name=\"Empty\"/>"
        "<texture.target name=\"First\" visual=\"ShowSecond\" size=\"16\" color=\"ff000000\"/>"
        "<visual.overlay name=\"ShowSecond\" texture=\"Second\" start=\"0\" stop=\"9\"/>"
        "<texture.target name=\"Second\" visual=\"Empty\" size=\"16\" color=\"ff00ff00\"/>"
        "<visual.overlay name=\"ShowFirst\" texture=\"First\" start=\"0\" stop=\"9\"/>"
        "</demo>";
    TestDevice screen(16, 16);
    TestDocument doc(text);
    Visual* showFirst = doc.find<Visual>("ShowFirst", TypeVisual);
    ASSERT_NE(showFirst, nullptr);
    ASSERT_EQ(TextureTarget::registry().size(), 2u);
    EXPECT_EQ(TextureTarget::registry()[0], doc.find<TextureTarget>("First", TypeTextureTarget));
    EXPECT_EQ(TextureTarget::registry()[1], doc.find<TextureTarget>("Second", TypeTextureTarget));
    drawFrame(screen, showFirst, 1.0f);
    drawFrame(screen, showFirst, 1.0f);
    EXPECT_EQ(green(screen.pixel(8, 8)), 255);
}

TEST(TextureTarget, PreviousTargetAndDepthSurfaceComeBack) {
    const char* text =
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"T\" visual=\"Empty\" size=\"64\" color=\"ffff0000\"/></demo>";
    TestDevice screen(32, 32);
    TestDocument doc(text);
    ASSERT_NE(doc.find<TextureTarget>("T", TypeTexture), nullptr);

    ComRef<IDirect3DSurface9> targetBefore, depthBefore, targetAfter, depthAfter;
    screen->GetRenderTarget(0, &targetBefore);
    screen->GetDepthStencilSurface(&depthBefore);
    screen->BeginScene();
    updateRenderTargets(0.0f, 0.01f);
    screen->GetRenderTarget(0, &targetAfter);
    screen->GetDepthStencilSurface(&depthAfter);
    // The back buffer's viewport is whole again: a clear reaches every pixel.
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1.0f, 0);
    screen->EndScene();
    EXPECT_EQ(targetAfter.get(), targetBefore.get());
    EXPECT_EQ(depthAfter.get(), depthBefore.get());
    EXPECT_EQ(blue(screen.pixel(31, 31)), 255);
    EXPECT_EQ(red(screen.pixel(31, 31)), 0);
}

TEST(TextureTarget, ClearColourSizeAndLoadRules) {
    const char* text =
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"Default\" visual=\"Empty\"/>"
        "<texture.target name=\"Opaque\" visual=\"Empty\" size=\"16\" color=\"ff000000\"/>"
        "<texture.target name=\"TooLarge\" visual=\"Empty\" size=\"1024\"/>"
        "<texture.target name=\"NoVisual\" size=\"16\"/>"
        "<texture.target name=\"NotAVisual\" visual=\"Opaque\" size=\"16\"/>"
        "<visual.overlay name=\"ShowDefault\" texture=\"Default\" start=\"0\" stop=\"9\"/>"
        "<texture.target name=\"Green\" visual=\"Empty\" size=\"16\" color=\"FF00ff00\"/>"
        "<visual.overlay name=\"ShowGreen\" texture=\"Green\" start=\"0\" stop=\"9\"/>"
        "</demo>";
    TestDevice screen(16, 16);
    TestDocument doc(text);
    TextureTarget* standard = doc.find<TextureTarget>("Default", TypeTexture);
    ASSERT_NE(standard, nullptr);
    int w = 0, h = 0;
    standard->getSize(w, h);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);
    EXPECT_EQ(doc.find<TextureTarget>("TooLarge", TypeTexture), nullptr);
    EXPECT_EQ(doc.find<TextureTarget>("NoVisual", TypeTexture), nullptr);
    EXPECT_EQ(doc.find<TextureTarget>("NotAVisual", TypeTexture), nullptr);

    // The clear colour is hexadecimal ARGB; none clears to black (its alpha only counts where
    // the back buffer format keeps alpha).
    auto drawOverGrey = [&](const char* name) {
        drawVisualFrame(screen, doc.find<Visual>(name, TypeVisual), 1.0f, 0xff808080);
        return screen.pixel(8, 8) & 0x00ffffff;
    };
    const DWORD expectedDefault =
        presentParameters.BackBufferFormat == D3DFMT_A8R8G8B8 ? 0x00808080u : 0x00000000u;
    EXPECT_EQ(drawOverGrey("ShowDefault"), expectedDefault);
    EXPECT_EQ(drawOverGrey("ShowGreen"), 0x0000ff00u);
}

TEST(TextureTarget, SelectSetsLinearFiltersWithoutMipmaps) {
    const char* text =
        "<demo><visual.group name=\"Empty\"/>"
        "<texture.target name=\"T\" visual=\"Empty\" size=\"16\"/></demo>";
    TestDevice screen(8, 8);
    TestDocument doc(text);
    TextureTarget* target = doc.find<TextureTarget>("T", TypeTexture);
    ASSERT_NE(target, nullptr);
    screen->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    ASSERT_TRUE(target->select(0, 0.0f, 0.0f));
    DWORD minFilter = 0, magFilter = 0, mipFilter = 0;
    screen->GetSamplerState(0, D3DSAMP_MINFILTER, &minFilter);
    screen->GetSamplerState(0, D3DSAMP_MAGFILTER, &magFilter);
    screen->GetSamplerState(0, D3DSAMP_MIPFILTER, &mipFilter);
    EXPECT_EQ(minFilter, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(magFilter, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(mipFilter, static_cast<DWORD>(D3DTEXF_NONE));
}
