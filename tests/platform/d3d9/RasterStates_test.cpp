// Output states: blend factors and operations, alpha test, depth test and writes, culling and
// winding, colour write mask, stencil.
#include "platform/d3d9/DrawHelpers.h"
#include "support/TestDevice.h"

#include <bit>
#include <cmath>

using namespace d3d9test;

TEST(RasterStates, BlendFactorsAndOperations) {
    TestDevice t(8, 8);
    noLighting(t.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    t->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    t->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    // Destination 0x80402000 (alpha 0x80 kept: the test target has no alpha, so it reads as 1).
    const DWORD source = 0x40c08010;  // alpha 0x40
    const float as = 0x40 / 255.0f;
    struct Case {
        D3DBLEND src, dst;
        D3DBLENDOP op;
        DWORD expected;
    } cases[] = {
        {D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0xc08010},
        {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x402000},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xffa010},
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD,
         D3DCOLOR_XRGB(DWORD(0xc0 * as + 0x40 * (1 - as) + 0.5f), DWORD(0x80 * as + 0x20 * (1 - as) + 0.5f),
                       DWORD(0x10 * as + 0.5f))},
        {D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD,
         D3DCOLOR_XRGB(DWORD(0xc0 * as + 0x40 * (1 - as) + 0.5f), DWORD(0x80 * as + 0x20 * (1 - as) + 0.5f),
                       DWORD(0x10 * as + 0.5f))},
        {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD,
         D3DCOLOR_XRGB(0xc0 * 0xc0 / 255, 0x80 * 0x80 / 255, 0x10 * 0x10 / 255)},
        {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD,
         D3DCOLOR_XRGB(0xc0 * 0x40 / 255, 0x80 * 0x20 / 255, 0)},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD,
         D3DCOLOR_XRGB(0xc0 * 0xbf / 255, 0x80 * 0xdf / 255, 0x10)},
        {D3DBLEND_DESTALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0xc08010},  // X8 target: destination alpha is 1
        {D3DBLEND_INVDESTALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x402000},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT, 0x806010},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0x000000},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MIN, 0x402000},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX, 0xc08010},
        {D3DBLEND_BLENDFACTOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, D3DCOLOR_XRGB(0x60, 0x20, 0x08)},
    };
    t->SetRenderState(D3DRS_BLENDFACTOR, 0xff80407f);
    for (const Case& c : cases) {
        t->SetRenderState(D3DRS_SRCBLEND, c.src);
        t->SetRenderState(D3DRS_DESTBLEND, c.dst);
        t->SetRenderState(D3DRS_BLENDOP, c.op);
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402000, 1, 0);
        ASSERT_EQ(drawScreenQuad(t.get(), 0, 0, 8, 8, source), D3D_OK);
        EXPECT_TRUE(colorNear(t.pixel(4, 4), c.expected, 2)) << c.src << " " << c.dst << " " << c.op;
    }
}

TEST(RasterStates, BlendingIntoATextureWithAlpha) {
    // Native reading: 0x80103000 replaces, then 0x80201000 blended SRCALPHA / INVSRCALPHA.
    TestDevice t(8, 8);
    noLighting(t.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    t->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    ComRef<IDirect3DTexture9> target;
    ASSERT_EQ(t->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
    ComRef<IDirect3DSurface9> surface, back;
    target->GetSurfaceLevel(0, &surface);
    t->GetRenderTarget(0, &back);
    ASSERT_EQ(t->SetRenderTarget(0, surface.get()), D3D_OK);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00ffffff, 1, 0);
    t->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    t->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    t->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    drawClipQuad(t.get(), 0x80103000, 0.1f);
    t->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    t->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    drawClipQuad(t.get(), 0x80201000, 0.1f);
    EXPECT_TRUE(colorNear(t.pixel(4, 4), 0x00182000, 1));
    // The texture's own alpha is kept: DESTALPHA reads it back (0x80 * 0.5 + 0x80 * 0.5).
    EXPECT_NEAR(double(t.pixel(4, 4) >> 24), 0x80, 1);
    t->SetRenderTarget(0, back.get());
}

TEST(RasterStates, AlphaTestFunctions) {
    TestDevice t(8, 8);
    noLighting(t.get());
    t->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    const struct {
        D3DCMPFUNC func;
        bool less, equal, greater;  // alpha 0x80 against ref 0x90, 0x80, 0x70
    } cases[] = {
        {D3DCMP_NEVER, false, false, false},       {D3DCMP_LESS, true, false, false},
        {D3DCMP_EQUAL, false, true, false},        {D3DCMP_LESSEQUAL, true, true, false},
        {D3DCMP_GREATER, false, false, true},      {D3DCMP_NOTEQUAL, true, false, true},
        {D3DCMP_GREATEREQUAL, false, true, true},  {D3DCMP_ALWAYS, true, true, true},
    };
    for (const auto& c : cases) {
        t->SetRenderState(D3DRS_ALPHAFUNC, c.func);
        const DWORD refs[3] = {0x90, 0x80, 0x70};
        const bool passes[3] = {c.less, c.equal, c.greater};
        for (int i = 0; i < 3; ++i) {
            t->SetRenderState(D3DRS_ALPHAREF, refs[i]);
            t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff0000, 1, 0);
            drawClipQuad(t.get(), 0x8000ff00, 0.1f);
            EXPECT_EQ(t.pixel(4, 4) & 0xffffff, passes[i] ? 0x00ff00u : 0xff0000u)
                << "func " << c.func << " ref 0x" << std::hex << refs[i];
        }
    }
}

TEST(RasterStates, DepthTestFunctionsAndWrites) {
    TestDevice t(8, 8);
    noLighting(t.get());
    // ZENABLE off never writes depth, even with ZWRITEENABLE on.
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff0000ff, 1, 0);
    t->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    t->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    drawClipQuad(t.get(), 0xffff0000, 0.1f);
    t->SetRenderState(D3DRS_ZENABLE, TRUE);
    drawClipQuad(t.get(), 0xff00ff00, 0.9f);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0x00ff00u);

    // Each function against a depth buffer holding 0.5.
    const struct {
        D3DCMPFUNC func;
        bool nearer, same, farther;
    } cases[] = {
        {D3DCMP_NEVER, false, false, false},      {D3DCMP_LESS, true, false, false},
        {D3DCMP_EQUAL, false, true, false},       {D3DCMP_LESSEQUAL, true, true, false},
        {D3DCMP_GREATER, false, false, true},     {D3DCMP_NOTEQUAL, true, false, true},
        {D3DCMP_GREATEREQUAL, false, true, true}, {D3DCMP_ALWAYS, true, true, true},
    };
    const float depths[3] = {0.25f, 0.5f, 0.75f};
    for (const auto& c : cases) {
        const bool passes[3] = {c.nearer, c.same, c.farther};
        for (int i = 0; i < 3; ++i) {
            t->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
            t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1, 0);
            drawClipQuad(t.get(), 0xff0000ff, 0.5f);
            t->SetRenderState(D3DRS_ZFUNC, c.func);
            drawClipQuad(t.get(), 0xff00ff00, depths[i]);
            EXPECT_EQ(t.pixel(4, 4) & 0xffffff, passes[i] ? 0x00ff00u : 0x0000ffu) << c.func << " " << depths[i];
        }
    }
    // ZWRITEENABLE off keeps the stored depth.
    t->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1, 0);
    t->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    drawClipQuad(t.get(), 0xff0000ff, 0.2f);
    t->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    drawClipQuad(t.get(), 0xff00ff00, 0.6f);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0x00ff00u);
    // Pre-transformed z is the depth itself; the viewport's depth range maps transformed z.
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 0.5f, 0);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xffff0000, 0, 0, 1, 1, 0.6f);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0u);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xffff0000, 0, 0, 1, 1, 0.4f);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0xff0000u);
    D3DVIEWPORT9 v{0, 0, 8, 8, 0.0f, 0.5f};
    t->SetViewport(&v);
    t->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.45f, 0);
    drawClipQuad(t.get(), 0xff00ff00, 0.8f);  // depth 0.4 after the range
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0x00ff00u);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xffff0000, 0, 0, 1, 1, 0.42f);  // pre-transformed: not mapped
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0x00ff00u);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xffff0000, 0, 0, 1, 1, 0.38f);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0xff0000u);
}

TEST(RasterStates, CullModesFollowScreenWinding) {
    TestDevice t(16, 8);
    noLighting(t.get());
    // Left: clockwise on screen; right: counter-clockwise.
    ScreenVertex clockwise[3] = {{0, 0, 0.5f, 1, 0xffff0000, 0, 0}, {8, 0, 0.5f, 1, 0xffff0000, 0, 0},
                                 {0, 8, 0.5f, 1, 0xffff0000, 0, 0}};
    ScreenVertex counter[3] = {{8, 0, 0.5f, 1, 0xff00ff00, 0, 0}, {8, 8, 0.5f, 1, 0xff00ff00, 0, 0},
                               {16, 0, 0.5f, 1, 0xff00ff00, 0, 0}};
    auto draw = [&](D3DCULL mode) {
        t->SetRenderState(D3DRS_CULLMODE, mode);
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
        t->SetFVF(kScreenFvf);
        t->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ScreenVertex));
        t->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, sizeof(ScreenVertex));
        return std::pair(t.pixel(2, 2) & 0xffffff, t.pixel(10, 2) & 0xffffff);
    };
    EXPECT_EQ(draw(D3DCULL_NONE), std::pair(0xff0000u, 0x00ff00u));
    EXPECT_EQ(draw(D3DCULL_CCW), std::pair(0xff0000u, 0u));  // the default culls counter-clockwise
    EXPECT_EQ(draw(D3DCULL_CW), std::pair(0u, 0x00ff00u));
    // Transformed geometry: clip space y up, so (-1,1),(0,1),(-1,-1) is clockwise on screen.
    ColorVertex transformed[3] = {{-1, 1, 0.5f, 0xff0000ff}, {0, 1, 0.5f, 0xff0000ff}, {-1, -1, 0.5f, 0xff0000ff}};
    t->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    t->SetFVF(kColorFvf);
    t->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, transformed, sizeof(ColorVertex));
    EXPECT_EQ(t.pixel(1, 1) & 0xffffff, 0x0000ffu);
    t->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    t->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, transformed, sizeof(ColorVertex));
    EXPECT_EQ(t.pixel(1, 1) & 0xffffff, 0u);
}

TEST(RasterStates, ColourWriteMaskAndStencil) {
    TestDevice t(8, 8);
    noLighting(t.get());
    t->SetRenderState(D3DRS_COLORWRITEENABLE, 0x2);  // green only
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000080, 1, 0);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xffffffff);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0x00ff80u);
    t->SetRenderState(D3DRS_COLORWRITEENABLE, 0xf);

    // Stencil: the first quad writes 1 in its half; the second draws only where stencil is 1.
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0, 1, 0);
    t->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    t->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    t->SetRenderState(D3DRS_STENCILREF, 1);
    t->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    t->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    drawScreenQuad(t.get(), 0, 0, 4, 8, 0xffffffff);
    t->SetRenderState(D3DRS_COLORWRITEENABLE, 0xf);
    t->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    t->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xff00ff00);
    EXPECT_EQ(t.pixel(1, 4) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(6, 4) & 0xffffff, 0u);
    // Clearing depth alone keeps what the stencil holds.
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 7);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xff0000ff);
    EXPECT_EQ(t.pixel(1, 4) & 0xffffff, 0x0000ffu);
    EXPECT_EQ(t.pixel(6, 4) & 0xffffff, 0u);
}

TEST(RasterStates, FogBlendsTowardsTheFogColour) {
    TestDevice t(8, 8);
    noLighting(t.get());
    t->SetRenderState(D3DRS_FOGENABLE, TRUE);
    t->SetRenderState(D3DRS_FOGCOLOR, 0xff0000ff);
    t->SetRenderState(D3DRS_FOGSTART, std::bit_cast<DWORD>(0.0f));
    t->SetRenderState(D3DRS_FOGEND, std::bit_cast<DWORD>(1.0f));
    t->SetRenderState(D3DRS_FOGDENSITY, std::bit_cast<DWORD>(2.0f));
    const struct {
        D3DRENDERSTATETYPE mode;
        D3DFOGMODE formula;
        float factor;  // of the scene colour at eye depth 0.25
    } cases[] = {
        {D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR, 0.75f},
        {D3DRS_FOGTABLEMODE, D3DFOG_LINEAR, 0.75f},
        {D3DRS_FOGTABLEMODE, D3DFOG_EXP, std::exp(-0.5f)},
        {D3DRS_FOGTABLEMODE, D3DFOG_EXP2, std::exp(-0.25f)},
    };
    for (const auto& c : cases) {
        t->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
        t->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
        t->SetRenderState(c.mode, c.formula);
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
        drawClipQuad(t.get(), 0xffff0000, 0.25f);
        const DWORD red = DWORD(std::lround(255 * c.factor)), blue = 255 - red;
        EXPECT_TRUE(colorNear(t.pixel(4, 4), D3DCOLOR_XRGB(red, 0, blue), 2)) << c.mode << " " << c.formula;
    }
    // With neither mode, pre-transformed vertices bring their fog in the specular alpha.
    t->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    struct V {
        float x, y, z, rhw;
        DWORD diffuse, specular;
    } q[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xffff0000, 0x40000000}, {7.5f, -0.5f, 0.5f, 1, 0xffff0000, 0x40000000},
              {-0.5f, 7.5f, 0.5f, 1, 0xffff0000, 0x40000000}, {7.5f, 7.5f, 0.5f, 1, 0xffff0000, 0x40000000}};
    t->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V));
    EXPECT_TRUE(colorNear(t.pixel(4, 4), 0x4000bf, 2));
    t->SetRenderState(D3DRS_FOGENABLE, FALSE);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V));
    EXPECT_TRUE(colorNear(t.pixel(4, 4), 0xff0000, 0));
}

TEST(RasterStates, WorkTheDeviceLeavesOutChangesNoPixel) {
    TestDevice t(8, 8);
    noLighting(t.get());
    t->SetRenderState(D3DRS_ZENABLE, TRUE);
    t->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    t->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    // A second whole clear is skipped only while nothing wrote depth since the first.
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1, 0);
    drawScreenQuad(t.get(), 0, 0, 4, 8, 0xffff0000, 0, 0, 1, 1, 0.2f);
    t->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1, 0);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xff00ff00, 0, 0, 1, 1, 0.5f);
    EXPECT_EQ(t.pixel(1, 4) & 0xffffff, 0x00ff00u);
    // A viewport's clear after an untouched whole one, then to another value.
    t->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1, 0);
    D3DVIEWPORT9 half{0, 0, 4, 8, 0, 1};
    t->SetViewport(&half);
    t->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.3f, 0);
    D3DVIEWPORT9 whole{0, 0, 8, 8, 0, 1};
    t->SetViewport(&whole);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xff0000ff, 0, 0, 1, 1, 0.5f);
    EXPECT_EQ(t.pixel(1, 4) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(6, 4) & 0xffffff, 0x0000ffu);
    // A depth test that always passes without writing still draws and leaves the depth alone.
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1, 0);
    t->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    t->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xffff0000, 0, 0, 1, 1, 0.1f);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0xff0000u);
    t->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    drawScreenQuad(t.get(), 0, 0, 8, 8, 0xff00ff00, 0, 0, 1, 1, 0.6f);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0x00ff00u);

    // Blending by source alpha is left out only where that alpha is 1 for certain.
    t->SetRenderState(D3DRS_ZENABLE, FALSE);
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    t->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    t->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    t->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    t->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    t->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    t->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    ComRef<IDirect3DTexture9> opaque = makeTexture(t.get(), 1, 1, D3DFMT_X8R8G8B8, {0x40c08040});
    ComRef<IDirect3DTexture9> translucent = makeTexture(t.get(), 1, 1, D3DFMT_A8R8G8B8, {0x40c08040});
    const float a = 0x40 / 255.0f;
    const DWORD mixed = D3DCOLOR_XRGB(DWORD(0xc0 * a + 0.5f), DWORD(0x80 * a + 0x80 * (1 - a) + 0.5f),
                                      DWORD(0x40 * a + 0.5f));
    const struct {
        IDirect3DTexture9* texture;
        DWORD vertexAlpha, expected;
    } cases[] = {{opaque.get(), 0xff, 0xc08040}, {translucent.get(), 0xff, mixed}, {opaque.get(), 0x40, mixed}};
    for (const auto& c : cases) {
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff008000, 1, 0);
        t->SetTexture(0, c.texture);
        drawScreenQuad(t.get(), 0, 0, 8, 8, (c.vertexAlpha << 24) | 0xffffff);
        EXPECT_TRUE(colorNear(t.pixel(4, 4), c.expected, 1)) << c.vertexAlpha;
    }
}
