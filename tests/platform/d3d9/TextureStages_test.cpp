// Texture stages: every colour operation against native Direct3D 9 readings, arguments and their
// modifiers, the temporary register, texture formats, sampler states, mip chains and texture
// coordinate generation and transforms.
#include "platform/d3d9/DrawHelpers.h"
#include "support/TestDevice.h"

#include <cmath>

using namespace d3d9test;

namespace {

struct TexturedVertex {  // XYZ | DIFFUSE | TEX1
    float x, y, z;
    DWORD color;
    float u, v;
};
constexpr DWORD kTexturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

void drawTexturedQuad(IDirect3DDevice9* d, DWORD color, float u0, float v0, float u1, float v1) {
    TexturedVertex q[4] = {
        {-1, 1, 0.1f, color, u0, v0}, {1, 1, 0.1f, color, u1, v0}, {-1, -1, 0.1f, color, u0, v1}, {1, -1, 0.1f, color, u1, v1}};
    d->SetFVF(kTexturedFvf);
    ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(TexturedVertex)), D3D_OK);
}

}  // namespace

TEST(TextureStages, EveryColourOperationMatchesDirect3D) {
    TestDevice t(32, 32);
    noLighting(t.get());
    ComRef<IDirect3DTexture9> tex = makeTexture(t.get(), 1, 1, D3DFMT_A8R8G8B8, {0x9900ff00});
    ASSERT_TRUE(tex);
    t->SetTexture(0, tex.get());
    t->SetRenderState(D3DRS_TEXTUREFACTOR, 0xdd333333);
    t->SetTextureStageState(0, D3DTSS_COLORARG0, D3DTA_DIFFUSE);
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    t->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    t->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    const struct {
        D3DTEXTUREOP op;
        DWORD expected;
    } cases[] = {
        {D3DTOP_SELECTARG1, 0x0000ff00}, {D3DTOP_SELECTARG2, 0x00333333},
        {D3DTOP_MODULATE, 0x00003300}, {D3DTOP_MODULATE2X, 0x00006600},
        {D3DTOP_MODULATE4X, 0x0000cc00}, {D3DTOP_ADD, 0x0033ff33},
        {D3DTOP_ADDSIGNED, 0x0000b200}, {D3DTOP_ADDSIGNED2X, 0x0000ff00},
        {D3DTOP_SUBTRACT, 0x0000cc00}, {D3DTOP_ADDSMOOTH, 0x0033ff33},
        {D3DTOP_BLENDDIFFUSEALPHA, 0x00227722}, {D3DTOP_BLENDTEXTUREALPHA, 0x0014ad14},
        {D3DTOP_BLENDFACTORALPHA, 0x0007e407}, {D3DTOP_BLENDTEXTUREALPHAPM, 0x0014ff14},
        {D3DTOP_BLENDCURRENTALPHA, 0x00227722}, {D3DTOP_MODULATEALPHA_ADDCOLOR, 0x001fff1f},
        {D3DTOP_MODULATECOLOR_ADDALPHA, 0x0099cc99}, {D3DTOP_MODULATEINVALPHA_ADDCOLOR, 0x0014ff14},
        {D3DTOP_MODULATEINVCOLOR_ADDALPHA, 0x00cc99cc}, {D3DTOP_DOTPRODUCT3, 0x00999999},
        {D3DTOP_MULTIPLYADD, 0x00ff3300}, {D3DTOP_LERP, 0x00003333},
    };
    for (const auto& c : cases) {
        t->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
        drawTexturedQuad(t.get(), 0x55ff0000, -1, -1, 1, 1);
        EXPECT_TRUE(colorNear(t.pixel(16, 16), c.expected, 3)) << "operation " << c.op;
    }
}

TEST(TextureStages, ResultToTempLeavesCurrentUnchanged) {
    TestDevice t(16, 16);
    noLighting(t.get());
    t->SetRenderState(D3DRS_TEXTUREFACTOR, 0x0000ff00);
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    t->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    t->SetTextureStageState(1, D3DTSS_RESULTARG, D3DTA_TEMP);
    t->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_ADD);
    t->SetTextureStageState(2, D3DTSS_COLORARG1, D3DTA_CURRENT);
    t->SetTextureStageState(2, D3DTSS_COLORARG2, D3DTA_TEMP);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    drawTexturedQuad(t.get(), 0x00ff0000, 0, 0, 1, 1);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x00ffff00, 0));
}

TEST(TextureStages, ArgumentModifiersAndSources) {
    TestDevice t(16, 16);
    noLighting(t.get());
    ComRef<IDirect3DTexture9> tex = makeTexture(t.get(), 1, 1, D3DFMT_A8R8G8B8, {0x40806020});
    t->SetTexture(0, tex.get());
    t->SetRenderState(D3DRS_TEXTUREFACTOR, 0x80204060);
    struct Case {
        DWORD arg;
        DWORD expected;
    } cases[] = {
        {D3DTA_TEXTURE, 0x806020},
        {D3DTA_TEXTURE | D3DTA_COMPLEMENT, 0x7f9fdf},
        {D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, 0x404040},
        {D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE | D3DTA_COMPLEMENT, 0xbfbfbf},
        {D3DTA_TFACTOR, 0x204060},
        {D3DTA_DIFFUSE, 0x10c030},
        {D3DTA_CURRENT, 0x10c030},  // stage 0: current is the diffuse colour
        {D3DTA_SPECULAR, 0x000000}, // no specular in the vertex format
    };
    for (const Case& c : cases) {
        t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        t->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg);
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1, 0);
        drawTexturedQuad(t.get(), 0xff10c030, 0, 0, 1, 1);
        EXPECT_TRUE(colorNear(t.pixel(8, 8), c.expected, 1)) << "argument 0x" << std::hex << c.arg;
    }
    // Alpha operations reach the target through blending: ALPHAOP SELECTARG1 of TFACTOR (0x80).
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    t->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    t->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    t->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    t->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1, 0);
    drawTexturedQuad(t.get(), 0xffff0000, 0, 0, 1, 1);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x800000, 1));
    // Two stages: stage 1 modulates stage 0's result with its texture.
    t->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    ComRef<IDirect3DTexture9> half = makeTexture(t.get(), 1, 1, D3DFMT_X8R8G8B8, {0x00808080});
    t->SetTexture(1, half.get());
    t->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    t->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    t->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    t->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    drawTexturedQuad(t.get(), 0xffff0000, 0, 0, 1, 1);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x800000, 1));
}

TEST(TextureStages, FormatsReadAsDirect3DReadsThem) {
    TestDevice t(16, 16);
    noLighting(t.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    t->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    t->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    t->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const struct {
        D3DFORMAT format;
        DWORD texel;
        DWORD expected;  // drawn over white
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0x80ff0000, 0xff7f7f},
        {D3DFMT_X8R8G8B8, 0x00ff0000, 0xff0000},  // no alpha: opaque
        {D3DFMT_L8, 0x40, 0x404040},              // luminance, opaque
        {D3DFMT_A8, 0x80, 0x7f7f7f},              // black with alpha
    };
    for (const auto& c : cases) {
        ComRef<IDirect3DTexture9> tex = makeTexture(t.get(), 1, 1, c.format, {c.texel});
        ASSERT_TRUE(tex) << c.format;
        t->SetTexture(0, tex.get());
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1, 0);
        drawTexturedQuad(t.get(), 0xffffffff, 0, 0, 1, 1);
        EXPECT_TRUE(colorNear(t.pixel(8, 8), c.expected, 2)) << "format " << c.format;
    }
    // A stage reading TEXTURE with nothing bound passes the current colour and alpha on.
    t->SetTexture(0, nullptr);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1, 0);
    drawTexturedQuad(t.get(), 0x8000ff00, 0, 0, 1, 1);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x008000, 1));
}

TEST(TextureStages, AddressModesAndFilters) {
    TestDevice t(16, 16);
    noLighting(t.get());
    // 2x1: black, white.
    ComRef<IDirect3DTexture9> tex = makeTexture(t.get(), 2, 1, D3DFMT_X8R8G8B8, {0x000000, 0xffffff});
    t->SetTexture(0, tex.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    auto row = [&](D3DTEXTUREADDRESS mode) {
        t->SetSamplerState(0, D3DSAMP_ADDRESSU, mode);
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff0000, 1, 0);
        // u from -1 to 3 over 16 pixels: each quarter is one texture width.
        drawScreenQuad(t.get(), 0, 0, 16, 16, 0xffffffff, -1, 0, 3, 1);
        std::vector<DWORD> p = t.readback();
        std::vector<int> r;
        for (int x = 1; x < 16; x += 2) r.push_back((p[8 * 16 + x] & 0xff) > 0x80 ? 1 : 0);
        return r;
    };
    EXPECT_EQ(row(D3DTADDRESS_WRAP), (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(row(D3DTADDRESS_CLAMP), (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(row(D3DTADDRESS_MIRROR), (std::vector<int>{1, 0, 0, 1, 1, 0, 0, 1}));

    // Point sampling keeps the texel edge hard; linear blends across it.
    t->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    drawScreenQuad(t.get(), 0, 0, 16, 16, 0xffffffff, 0, 0, 1, 1);
    EXPECT_EQ(t.pixel(7, 8) & 0xff, 0u);
    EXPECT_EQ(t.pixel(8, 8) & 0xff, 0xffu);
    t->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    t->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    drawScreenQuad(t.get(), 0, 0, 16, 16, 0xffffffff, 0, 0, 1, 1);
    const DWORD middle = t.pixel(7, 8) & 0xff;
    EXPECT_GT(middle, 0x20u);
    EXPECT_LT(middle, 0xe0u);
}

TEST(TextureStages, MipChainsLevelsAndAutomaticGeneration) {
    TestDevice t(16, 16);
    noLighting(t.get());
    ComRef<IDirect3DTexture9> tex;
    ASSERT_EQ(t->CreateTexture(8, 4, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &tex), D3D_OK);
    ASSERT_EQ(tex->GetLevelCount(), 4u);  // 8x4, 4x2, 2x1, 1x1
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(tex->GetLevelDesc(2, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(tex->GetLevelDesc(4, &desc), D3DERR_INVALIDCALL);
    ComRef<IDirect3DSurface9> surface;
    ASSERT_EQ(tex->GetSurfaceLevel(3, &surface), D3D_OK);
    ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    // Each level its own colour; a 1-pixel quad with mip filtering reads the smallest level.
    const DWORD colours[4] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00};
    for (UINT l = 0; l < 4; ++l) {
        D3DLOCKED_RECT r;
        ASSERT_EQ(tex->LockRect(l, &r, nullptr, 0), D3D_OK);
        EXPECT_EQ(tex->LockRect(l, &r, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
        tex->GetLevelDesc(l, &desc);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                reinterpret_cast<DWORD*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch)[x] = colours[l];
        ASSERT_EQ(tex->UnlockRect(l), D3D_OK);
    }
    EXPECT_EQ(tex->UnlockRect(0), D3DERR_INVALIDCALL);
    t->SetTexture(0, tex.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    drawScreenQuad(t.get(), 0, 0, 1, 1, 0xffffffff);
    drawScreenQuad(t.get(), 4, 4, 12, 8, 0xffffffff);
    EXPECT_TRUE(colorNear(t.pixel(0, 0), 0xffff00, 0));
    EXPECT_TRUE(colorNear(t.pixel(6, 6), 0xff0000, 0));
    t->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    drawScreenQuad(t.get(), 0, 0, 1, 1, 0xffffffff);
    EXPECT_TRUE(colorNear(t.pixel(0, 0), 0xff0000, 0));

    // AUTOGENMIPMAP: one visible level; the smaller ones follow level 0.
    ComRef<IDirect3DTexture9> automatic;
    ASSERT_EQ(t->CreateTexture(4, 4, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &automatic), D3D_OK);
    EXPECT_EQ(automatic->GetLevelCount(), 1u);
    D3DLOCKED_RECT r;
    ASSERT_EQ(automatic->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<DWORD*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch)[x] = (x + y) % 2 ? 0xffffff : 0;
    automatic->UnlockRect(0);
    t->SetTexture(0, automatic.get());
    t->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    drawScreenQuad(t.get(), 0, 0, 1, 1, 0xffffffff);
    EXPECT_TRUE(colorNear(t.pixel(0, 0), 0x808080, 2));
}

TEST(TextureStages, PoolsAndUsagesFollowDirect3DRules) {
    TestDevice t(8, 8);
    ComRef<IDirect3DTexture9> tex;
    D3DLOCKED_RECT r;
    ASSERT_EQ(t->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &tex), D3D_OK);
    EXPECT_EQ(tex->LockRect(0, &r, nullptr, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(tex->UnlockRect(0), D3D_OK);
    ASSERT_EQ(t->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &tex), D3D_OK);
    EXPECT_EQ(tex->LockRect(0, &r, nullptr, 0), D3DERR_INVALIDCALL);  // default pool is not lockable
    EXPECT_EQ(t->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(tex);
    EXPECT_EQ(t->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->CreateTexture(4, 4, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED, &tex), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->CreateTexture(4, 4, 9, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3DERR_INVALIDCALL);
    ASSERT_EQ(t->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3D_OK);
    RECT outside{2, 2, 5, 3};
    EXPECT_EQ(tex->LockRect(0, &r, &outside, 0), D3DERR_INVALIDCALL);
    RECT inside{1, 2, 3, 4};
    ASSERT_EQ(tex->LockRect(0, &r, &inside, 0), D3D_OK);
    EXPECT_EQ(r.Pitch, 16);
    tex->UnlockRect(0);
}

TEST(TextureStages, CoordinateGenerationAndTransforms) {
    TestDevice t(32, 32);
    noLighting(t.get());
    // Texel (x, y) of a 4x4: red = y / 4 (follows v), green = x / 4 (follows u).
    std::vector<DWORD> texels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) texels.push_back(0xff000000 | DWORD(y * 64) << 16 | DWORD(x * 64) << 8);
    ComRef<IDirect3DTexture9> tex = makeTexture(t.get(), 4, 4, D3DFMT_X8R8G8B8, texels);
    t->SetTexture(0, tex.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    t->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    D3DMATRIX zero{};
    t->SetTransform(D3DTS_TEXTURE0, &zero);
    // The matrix is ignored while the flags say DISABLE.
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    drawTexturedQuad(t.get(), 0xffffffff, 1, 1, 1, 1);
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0xc0c000, 1));
    // A zero matrix with COUNT2 sends every coordinate to (0, 0).
    t->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    drawTexturedQuad(t.get(), 0xffffffff, 1, 1, 1, 1);
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0x000000, 0));
    // (u, v) enters the matrix as (u, v, 1, 0): _31 and _42 give u' = 1... through the third row.
    D3DMATRIX m{};
    m.m[2][0] = 1;  // u' = 1 (from the implicit third component)
    m.m[2][1] = 0.3f;
    m.m[3][1] = 1;  // the fourth component is 0: adds nothing to v'
    t->SetTransform(D3DTS_TEXTURE0, &m);
    drawTexturedQuad(t.get(), 0xffffffff, 0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0x40c000, 1));  // v' = 0.3 -> row 1, u' = 1 -> clamped column 3

    // CAMERASPACENORMAL: the camera-space normal is the coordinate. A normal turned by the view
    // matrix picks another texel.
    t->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    t->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    struct NormalVertex {
        float x, y, z, nx, ny, nz;
    };
    auto drawWithNormal = [&](float nx, float ny, float nz) {
        NormalVertex q[4] = {{-1, 1, 0.1f, nx, ny, nz}, {1, 1, 0.1f, nx, ny, nz}, {-1, -1, 0.1f, nx, ny, nz},
                             {1, -1, 0.1f, nx, ny, nz}};
        t->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
        ASSERT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(NormalVertex)), D3D_OK);
    };
    drawWithNormal(0.6f, 0.1f, 0);  // u = 0.6 -> column 2, v = 0.1 -> row 0
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0x008000, 1));
    drawWithNormal(0.1f, 0.8f, 0);  // column 0, row 3
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0xc00000, 1));
    // A view matrix that swaps x and y swaps the coordinates.
    D3DMATRIX swap{};
    swap.m[0][1] = 1;
    swap.m[1][0] = 1;
    swap.m[2][2] = 1;
    swap.m[3][3] = 1;
    t->SetTransform(D3DTS_VIEW, &swap);
    drawWithNormal(0.8f, 0.1f, 0);  // camera space (0.1, 0.8): column 0, row 3
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0xc00000, 1));
    // With a texture matrix on top (COUNT2): scale by 0.5.
    D3DMATRIX half{};
    half.m[0][0] = 0.5f;
    half.m[1][1] = 0.5f;
    t->SetTransform(D3DTS_TEXTURE0, &half);
    t->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    drawWithNormal(0.8f, 0.1f, 0);  // (0.05, 0.4): column 0, row 1
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0x400000, 1));

    // CAMERASPACEPOSITION: (x, y, z, 1) of the vertex in camera space; u = 5 z, v = 0.9.
    D3DMATRIX identity{};
    identity.m[0][0] = identity.m[1][1] = identity.m[2][2] = identity.m[3][3] = 1;
    t->SetTransform(D3DTS_VIEW, &identity);
    D3DMATRIX fromDepth{};
    fromDepth.m[2][0] = 5;
    fromDepth.m[3][1] = 0.9f;
    t->SetTransform(D3DTS_TEXTURE0, &fromDepth);
    t->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    drawWithNormal(0, 0, -1);  // the quad lies at z = 0.1: column 2, row 3
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0xc08000, 1));
    // REFLECTIONVECTOR: the eye direction (0, 0, 1) mirrored by the normal (0, 0, -1) is (0, 0, -1);
    // u = -0.6 z, v = 0.1.
    D3DMATRIX fromReflection{};
    fromReflection.m[2][0] = -0.6f;
    fromReflection.m[3][1] = 0.1f;
    t->SetTransform(D3DTS_TEXTURE0, &fromReflection);
    t->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
    t->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    drawWithNormal(0, 0, -1);
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0x008000, 1));

    // Pre-transformed vertices get no texture transform.
    t->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    t->SetTransform(D3DTS_TEXTURE0, &zero);
    drawScreenQuad(t.get(), 0, 0, 32, 32, 0xffffffff, 0.9f, 0.9f, 0.9f, 0.9f);
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0xc0c000, 1));
}

TEST(TextureStages, SecondCoordinateSetFeedsTheStageThatNamesIt) {
    TestDevice t(16, 16);
    noLighting(t.get());
    // 2x1: red, green. Set 0 reads the left texel, set 1 the right one.
    ComRef<IDirect3DTexture9> tex = makeTexture(t.get(), 2, 1, D3DFMT_X8R8G8B8, {0xff0000, 0x00ff00});
    t->SetTexture(0, tex.get());
    t->SetTexture(1, tex.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    t->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    t->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    struct V {
        float x, y, z;
        float u0, v0, u1, v1;
    };
    V q[4] = {{-1, 1, 0.5f, 0.25f, 0.5f, 0.75f, 0.5f}, {1, 1, 0.5f, 0.25f, 0.5f, 0.75f, 0.5f},
              {-1, -1, 0.5f, 0.25f, 0.5f, 0.75f, 0.5f}, {1, -1, 0.5f, 0.25f, 0.5f, 0.75f, 0.5f}};
    t->SetFVF(D3DFVF_XYZ | D3DFVF_TEX2);
    t->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V));
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0xff0000, 0));
    t->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V));
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0xffff00, 0));
}
