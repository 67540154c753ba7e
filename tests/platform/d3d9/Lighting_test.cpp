// Fixed-function lighting: Direct3D's model in camera space (ambient, diffuse, specular added after
// texturing), directional, point and spot lights, material colour sources, local viewer and
// normalised normals, against native readings and hand-computed colours.
#include "platform/d3d9/DrawHelpers.h"
#include "support/TestDevice.h"

#include <cmath>

using namespace d3d9test;

namespace {

struct LitVertex {  // XYZ | NORMAL | DIFFUSE
    float x, y, z, nx, ny, nz;
    DWORD color;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

void litQuad(IDirect3DDevice9* d, float z, DWORD color, float nz = -1) {
    LitVertex q[4] = {{-1, 1, z, 0, 0, nz, color}, {1, 1, z, 0, 0, nz, color}, {-1, -1, z, 0, 0, nz, color},
                      {1, -1, z, 0, 0, nz, color}};
    d->SetFVF(kLitFvf);
    ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(LitVertex)), D3D_OK);
}

// A 5x5 grid of vertices over the screen at depth z, normals (0, 0, -1), XYZ | NORMAL.
void normalGrid(IDirect3DDevice9* d, float z) {
    struct V {
        float x, y, z, nx, ny, nz;
    };
    std::vector<V> vertices;
    std::vector<WORD> indices;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) vertices.push_back({-1 + i * 0.5f, 1 - j * 0.5f, z, 0, 0, -1});
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            WORD a = WORD(j * 5 + i), b = WORD(a + 1), c = WORD(a + 5), e = WORD(a + 6);
            indices.insert(indices.end(), {a, b, c, b, e, c});
        }
    d->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
    ASSERT_EQ(d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 25, 32, indices.data(), D3DFMT_INDEX16,
                                        vertices.data(), sizeof(V)),
              D3D_OK);
}

D3DLIGHT9 light(D3DLIGHTTYPE type) {
    D3DLIGHT9 l{};
    l.Type = type;
    l.Range = 100;
    return l;
}

BYTE level(float v) { return BYTE(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255)); }

}  // namespace

TEST(Lighting, BasicsAndTheDefaultLight) {
    TestDevice t(16, 16);
    t->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    t->SetRenderState(D3DRS_ZENABLE, FALSE);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1, 0);
    // Lighting on with no light: black (no emissive, no ambient); off: the vertex colour.
    drawClipQuad(t.get(), 0xff00ff00);
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0u);
    t->SetRenderState(D3DRS_LIGHTING, FALSE);
    drawClipQuad(t.get(), 0xffff0000);
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0xff0000u);
    // LightEnable without SetLight: white directional light along +z.
    t->SetRenderState(D3DRS_LIGHTING, TRUE);
    ASSERT_EQ(t->LightEnable(0, TRUE), D3D_OK);
    litQuad(t.get(), 0.5f, 0xff0000ff);
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0x0000ffu);
    // The lit alpha is the material's diffuse alpha when the diffuse source is the material.
    t->LightEnable(0, FALSE);
    D3DMATERIAL9 m{};
    m.Diffuse.a = 1;
    t->SetMaterial(&m);
    t->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    t->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE);
    litQuad(t.get(), 0.5f, 0x80ffffff);
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0xffffffu);
}

TEST(Lighting, SpecularHighlightsMatchDirect3D) {
    TestDevice t(64, 64);
    t->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    t->SetRenderState(D3DRS_ZENABLE, FALSE);
    t->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    D3DMATERIAL9 m{};
    m.Specular = {1, 1, 1, 1};
    t->LightEnable(0, TRUE);
    const int corners[4][2] = {{16, 16}, {48, 16}, {16, 48}, {48, 48}};
    const int edges[4][2] = {{32, 16}, {16, 32}, {48, 32}, {32, 48}};
    struct Case {
        D3DLIGHT9 light;
        BOOL localViewer;
        float power;
        DWORD corner, edge, centre;
    };
    D3DLIGHT9 directional = light(D3DLIGHT_DIRECTIONAL);
    directional.Direction = {0, 0, 1};
    D3DLIGHT9 point = light(D3DLIGHT_POINT);
    point.Attenuation2 = 1;
    D3DLIGHT9 spot = light(D3DLIGHT_SPOT);
    spot.Direction = {0, 0, 1};
    spot.Falloff = 1;
    spot.Attenuation2 = 1;
    spot.Theta = 3.14159265f / 12;
    spot.Phi = 3.14159265f / 3;
    D3DLIGHT9 shortRange = point;
    shortRange.Range = 1.2f;
    D3DLIGHT9 inPlane = point;
    inPlane.Position = {-1.1f, 0, 1.1f};
    Case cases[] = {
        {directional, FALSE, 30, 0xffffff, 0xffffff, 0xffffff},
        {directional, TRUE, 30, 0x3c3c3c, 0x717171, 0xffffff},
        {point, FALSE, 30, 0x282828, 0x5a5a5a, 0xffffff},
        {point, TRUE, 30, 0x000000, 0x070707, 0xffffff},
        {spot, FALSE, 30, 0x000000, 0x141414, 0xffffff},
        {spot, TRUE, 30, 0x000000, 0x020202, 0xffffff},
        {shortRange, FALSE, 30, 0x000000, 0x5a5a5a, 0xffffff},
        {inPlane, TRUE, 0, 0x000000, 0x000000, 0x000000},
    };
    int row = 0;
    for (Case& c : cases) {
        c.light.Specular = {1, 1, 1, 1};
        t->SetLight(0, &c.light);
        t->SetRenderState(D3DRS_LOCALVIEWER, c.localViewer);
        m.Power = c.power;
        t->SetMaterial(&m);
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1, 0);
        normalGrid(t.get(), 1.0f);
        for (auto& p : corners) EXPECT_TRUE(colorNear(t.pixel(p[0], p[1]), c.corner, 1)) << "case " << row << " corner";
        for (auto& p : edges) EXPECT_TRUE(colorNear(t.pixel(p[0], p[1]), c.edge, 1)) << "case " << row << " edge";
        EXPECT_TRUE(colorNear(t.pixel(32, 32), c.centre, 1)) << "case " << row << " centre";
        ++row;
    }
}

TEST(Lighting, DirectionalLightAmbientDiffuseSpecularByHand) {
    TestDevice t(16, 16);
    t->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    t->SetRenderState(D3DRS_ZENABLE, FALSE);
    t->SetRenderState(D3DRS_AMBIENT, 0x00404040);
    t->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    D3DMATERIAL9 m{};
    m.Diffuse = {1, 0.5f, 0.25f, 1};
    m.Ambient = {0.2f, 0.2f, 0.2f, 1};
    m.Emissive = {0, 0, 0.1f, 0};
    m.Specular = {0.5f, 0.5f, 0.5f, 1};
    m.Power = 4;
    t->SetMaterial(&m);
    D3DLIGHT9 l = light(D3DLIGHT_DIRECTIONAL);
    l.Diffuse = {0.8f, 0.8f, 0.8f, 1};
    l.Ambient = {0.1f, 0.1f, 0.1f, 1};
    l.Specular = {1, 1, 1, 1};
    l.Direction = {0, -1, 1};  // down and away: 45 degrees to the quad's normal (0, 0, -1)
    t->SetLight(0, &l);
    t->LightEnable(0, TRUE);
    t->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
    const float nl = std::sqrt(0.5f);
    const float ambient = 0.2f * (0x40 / 255.0f + 0.1f);
    const float r = 1.0f * 0.8f * nl + ambient, g = 0.5f * 0.8f * nl + ambient, b = 0.1f + 0.25f * 0.8f * nl + ambient;
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    litQuad(t.get(), 0.5f, 0xffffffff);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), D3DCOLOR_XRGB(level(r), level(g), level(b)), 1));
    // With SPECULARENABLE the highlight is added after the texture stages. H = normalize(L + V),
    // L = (0, 0.707, -0.707), V = (0, 0, -1) (the viewer at infinity).
    t->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    const float hy = nl, hz = -nl - 1, hl = std::sqrt(hy * hy + hz * hz);
    const float spec = 0.5f * std::pow(-hz / hl, 4.0f);
    litQuad(t.get(), 0.5f, 0xffffffff);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), D3DCOLOR_XRGB(level(r + spec), level(g + spec), level(b + spec)), 1));
    // Turned away from the light: ambient (and emissive) only.
    t->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    litQuad(t.get(), 0.5f, 0xffffffff, 1);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), D3DCOLOR_XRGB(level(ambient), level(ambient), level(0.1f + ambient)), 1));
}

TEST(Lighting, PointLightRangeAndAttenuation) {
    TestDevice t(32, 32);
    t->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    t->SetRenderState(D3DRS_ZENABLE, FALSE);
    D3DMATRIX projection{};  // keeps depth 2 inside the clip volume
    projection.m[0][0] = projection.m[1][1] = projection.m[3][3] = 1;
    projection.m[2][2] = 0.25f;
    t->SetTransform(D3DTS_PROJECTION, &projection);
    D3DMATRIX view{};  // the camera 1 unit behind the origin: the light at world (0, 0, -1) sits at it
    view.m[0][0] = view.m[1][1] = view.m[2][2] = view.m[3][3] = 1;
    view.m[3][2] = 1;
    t->SetTransform(D3DTS_VIEW, &view);
    D3DLIGHT9 l = light(D3DLIGHT_POINT);
    l.Diffuse = {1, 1, 1, 1};
    l.Position = {0, 0, -1};
    l.Attenuation0 = 0.5f;
    l.Attenuation1 = 0.25f;
    l.Attenuation2 = 0.125f;
    t->SetLight(0, &l);
    t->LightEnable(0, TRUE);
    // A fan around a centre vertex at camera depth 2 (world 1) that lands on pixel (16, 16).
    auto fan = [&] {
        LitVertex v[6] = {{0, 0, 1, 0, 0, -1, 0xffffffff},   {-2, 2, 1, 0, 0, -1, 0xffffffff},
                          {2, 2, 1, 0, 0, -1, 0xffffffff},   {2, -2, 1, 0, 0, -1, 0xffffffff},
                          {-2, -2, 1, 0, 0, -1, 0xffffffff}, {-2, 2, 1, 0, 0, -1, 0xffffffff}};
        t->SetFVF(kLitFvf);
        ASSERT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, v, sizeof(LitVertex)), D3D_OK);
    };
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    fan();
    const BYTE expected = level(1.0f / (0.5f + 0.25f * 2 + 0.125f * 4));
    EXPECT_TRUE(colorNear(t.pixel(16, 16), D3DCOLOR_XRGB(expected, expected, expected), 1));
    l.Range = 1.5f;  // the centre is 2 away: out of range
    t->SetLight(0, &l);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    fan();
    EXPECT_TRUE(colorNear(t.pixel(16, 16), 0, 0));
}

TEST(Lighting, MaterialSourcesNormalsAndSpecularAfterTexturing) {
    TestDevice t(16, 16);
    t->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    t->SetRenderState(D3DRS_ZENABLE, FALSE);
    D3DMATERIAL9 m{};
    m.Diffuse = {0, 0, 1, 1};
    m.Ambient = {1, 1, 1, 1};
    t->SetMaterial(&m);
    D3DLIGHT9 l = light(D3DLIGHT_DIRECTIONAL);
    l.Diffuse = {0.4f, 0.4f, 0.4f, 1};
    l.Direction = {0, 0, 1};
    t->SetLight(0, &l);
    t->LightEnable(0, TRUE);
    // Diffuse from the vertex (COLOR1, the default), or from the material.
    litQuad(t.get(), 0.5f, 0xffff0000);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x660000, 1));
    t->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    litQuad(t.get(), 0.5f, 0xffff0000);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x000066, 1));
    t->SetRenderState(D3DRS_COLORVERTEX, TRUE);
    t->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    litQuad(t.get(), 0.5f, 0xffff0000);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x000066, 1));
    // Ambient from the vertex colour, lit by the global ambient.
    t->SetRenderState(D3DRS_AMBIENT, 0x00808080);
    t->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
    litQuad(t.get(), 0.5f, 0xff00ff00);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x008066, 1));
    t->SetRenderState(D3DRS_AMBIENT, 0);
    t->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    // A normal of length 2 doubles the diffuse term unless NORMALIZENORMALS.
    litQuad(t.get(), 0.5f, 0xffffffff, -2);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x0000cc, 1));
    t->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    litQuad(t.get(), 0.5f, 0xffffffff, -2);
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x000066, 1));

    // Unlit specular from the vertex is added after the texture when SPECULARENABLE is on.
    struct SpecularVertex {
        float x, y, z;
        DWORD diffuse, specular;
        float u, v;
    };
    SpecularVertex q[4] = {{-1, 1, 0.5f, 0xffffffff, 0x00200000, 0, 0}, {1, 1, 0.5f, 0xffffffff, 0x00200000, 1, 0},
                           {-1, -1, 0.5f, 0xffffffff, 0x00200000, 0, 1}, {1, -1, 0.5f, 0xffffffff, 0x00200000, 1, 1}};
    ComRef<IDirect3DTexture9> grey = makeTexture(t.get(), 1, 1, D3DFMT_X8R8G8B8, {0x404040});
    t->SetTexture(0, grey.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    t->SetRenderState(D3DRS_LIGHTING, FALSE);
    t->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(SpecularVertex));
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x404040, 1));
    t->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(SpecularVertex));
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x604040, 1));
    // ... and reachable as a stage argument.
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    t->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_SPECULAR);
    t->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(SpecularVertex));
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x604040, 1));
}
