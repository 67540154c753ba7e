// Geometry: every primitive type, vertex and index buffers with their locks, indexed draws from
// memory, row-vector transforms with Direct3D's depth range, and draws the device must refuse.
#include "platform/d3d9/DrawHelpers.h"
#include "support/TestDevice.h"

#include <bit>
#include <cstring>

using namespace d3d9test;

namespace {

ScreenVertex at(float x, float y, DWORD color = 0xffffffff) { return {x, y, 0.5f, 1, color, 0, 0}; }

int litPixels(TestDevice& t) {
    int n = 0;
    for (DWORD p : t.readback()) n += (p & 0xffffff) != 0;
    return n;
}

}  // namespace

TEST(Geometry, EveryPrimitiveType) {
    TestDevice t(16, 16);
    noLighting(t.get());
    t->SetFVF(kScreenFvf);
    auto draw = [&](D3DPRIMITIVETYPE type, UINT count, std::vector<ScreenVertex> v) {
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
        EXPECT_EQ(t->DrawPrimitiveUP(type, count, v.data(), sizeof(ScreenVertex)), D3D_OK) << type;
    };
    // Points land on their pixel.
    draw(D3DPT_POINTLIST, 3, {at(1, 1), at(5, 2), at(9, 9)});
    EXPECT_EQ(litPixels(t), 3);
    EXPECT_NE(t.pixel(5, 2) & 0xffffff, 0u);
    // A point of size 3 covers 3x3 pixels.
    t->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(3.0f));
    draw(D3DPT_POINTLIST, 1, {at(8, 8)});
    EXPECT_EQ(litPixels(t), 9);
    EXPECT_NE(t.pixel(7, 7) & 0xffffff, 0u);
    EXPECT_NE(t.pixel(9, 9) & 0xffffff, 0u);
    t->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(1.0f));
    // Lines: a list of two horizontal lines, a strip of two segments.
    draw(D3DPT_LINELIST, 2, {at(2, 2), at(10, 2), at(2, 6), at(10, 6)});
    EXPECT_NE(t.pixel(5, 2) & 0xffffff, 0u);
    EXPECT_NE(t.pixel(5, 6) & 0xffffff, 0u);
    EXPECT_EQ(t.pixel(5, 4) & 0xffffff, 0u);
    EXPECT_GE(litPixels(t), 14);
    EXPECT_LE(litPixels(t), 18);
    draw(D3DPT_LINESTRIP, 2, {at(2, 2), at(10, 2), at(10, 12)});
    EXPECT_NE(t.pixel(5, 2) & 0xffffff, 0u);
    EXPECT_NE(t.pixel(10, 8) & 0xffffff, 0u);
    // Triangles: list, strip and fan each cover a 4x4 square (corners offset by -0.5).
    const float a = 3.5f, b = 7.5f;
    draw(D3DPT_TRIANGLELIST, 2, {at(a, a), at(b, a), at(a, b), at(b, a), at(b, b), at(a, b)});
    EXPECT_EQ(litPixels(t), 16);
    draw(D3DPT_TRIANGLESTRIP, 2, {at(a, a), at(b, a), at(a, b), at(b, b)});
    EXPECT_EQ(litPixels(t), 16);
    draw(D3DPT_TRIANGLEFAN, 2, {at(a, a), at(b, a), at(b, b), at(a, b)});
    EXPECT_EQ(litPixels(t), 16);
    EXPECT_NE(t.pixel(4, 4) & 0xffffff, 0u);
    EXPECT_NE(t.pixel(7, 7) & 0xffffff, 0u);
    // Flat shading takes the first vertex's colour.
    t->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    draw(D3DPT_TRIANGLELIST, 1, {at(0, 0, 0xffff0000), at(16, 0, 0xff00ff00), at(0, 16, 0xff0000ff)});
    EXPECT_EQ(t.pixel(5, 5) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t.pixel(2, 10) & 0xffffff, 0xff0000u);
}

TEST(Geometry, VertexAndIndexBuffers) {
    TestDevice t(16, 16);
    noLighting(t.get());
    ComRef<IDirect3DVertexBuffer9> vb;
    ASSERT_EQ(t->CreateVertexBuffer(8 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf, D3DPOOL_MANAGED, &vb),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
    ScreenVertex quads[8] = {at(-0.5f, -0.5f, 0xffff0000), at(3.5f, -0.5f, 0xffff0000), at(-0.5f, 3.5f, 0xffff0000),
                             at(3.5f, 3.5f, 0xffff0000), at(7.5f, 7.5f, 0xff00ff00), at(11.5f, 7.5f, 0xff00ff00),
                             at(7.5f, 11.5f, 0xff00ff00), at(11.5f, 11.5f, 0xff00ff00)};
    std::memcpy(data, quads, sizeof quads);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    t->SetFVF(kScreenFvf);
    ASSERT_EQ(t->SetStreamSource(0, vb.get(), 0, sizeof(ScreenVertex)), D3D_OK);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);  // the second quad only
    EXPECT_EQ(t.pixel(9, 9) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(1, 1) & 0xffffff, 0u);
    // A partial lock updates only its range; DISCARD keeps the rest of what was written before.
    ASSERT_EQ(vb->Lock(4 * sizeof(ScreenVertex), sizeof(ScreenVertex), &data, 0), D3D_OK);
    static_cast<ScreenVertex*>(data)->color = 0xff0000ff;
    vb->Unlock();
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    vb->Unlock();
    ASSERT_EQ(t->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
    EXPECT_NE(t.pixel(8, 8) & 0xff, 0u);  // blue blended in from the first vertex

    // Indexed: 16-bit indices pick the first quad's vertices through a base vertex.
    ComRef<IDirect3DIndexBuffer9> ib;
    ASSERT_EQ(t->CreateIndexBuffer(6 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    const WORD order[6] = {4, 5, 6, 5, 7, 6};
    std::memcpy(data, order, sizeof order);
    ib->Unlock();
    ASSERT_EQ(t->SetIndices(ib.get()), D3D_OK);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -4, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(t.pixel(1, 1) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t.pixel(9, 9) & 0xffffff, 0u);
    // Indices naming vertices outside the buffer are refused rather than read.
    EXPECT_EQ(t->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->DrawPrimitive(D3DPT_TRIANGLESTRIP, 6, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ib), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(8 * sizeof(ScreenVertex), 4, &data, 0), D3DERR_INVALIDCALL);
}

TEST(Geometry, IndexedDrawsFromMemory) {
    TestDevice t(16, 16);
    noLighting(t.get());
    ScreenVertex v[6] = {at(0, 0), at(0, 0), at(3.5f, 3.5f, 0xff00ff00), at(11.5f, 3.5f, 0xff00ff00),
                         at(3.5f, 11.5f, 0xff00ff00), at(11.5f, 11.5f, 0xff00ff00)};
    const WORD i16[6] = {2, 3, 4, 3, 5, 4};
    const DWORD i32[6] = {2, 3, 4, 3, 5, 4};
    t->SetFVF(kScreenFvf);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 2, 4, 2, i16, D3DFMT_INDEX16, v, sizeof(ScreenVertex)),
              D3D_OK);
    EXPECT_EQ(litPixels(t), 64);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 2, 4, 2, i32, D3DFMT_INDEX32, v, sizeof(ScreenVertex)),
              D3D_OK);
    EXPECT_EQ(litPixels(t), 64);
    // An index outside minIndex .. minIndex + vertexCount is refused.
    EXPECT_EQ(t->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 2, 3, 2, i16, D3DFMT_INDEX16, v, sizeof(ScreenVertex)),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->DrawPrimitiveUP(D3DPRIMITIVETYPE(9), 1, v, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, v, sizeof(ScreenVertex)), D3D_OK);
    t->SetFVF(0);  // no position
    EXPECT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    // Without a stream source there is nothing to draw from.
    t->SetFVF(kScreenFvf);
    EXPECT_EQ(t->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
}

TEST(Geometry, RowVectorTransformsAndViewports) {
    TestDevice t(16, 16);
    noLighting(t.get());
    // World moves the unit square right by 1 (row vector: translation in the fourth row), then view
    // scales by 0.5: clip x 0.5 .. 1, y 0 .. 0.5 -> pixels x 12..15, y 4..7.
    D3DMATRIX world{}, view{};
    world.m[0][0] = world.m[1][1] = world.m[2][2] = world.m[3][3] = 1;
    world.m[3][0] = 1;
    view.m[0][0] = view.m[1][1] = 0.5f;
    view.m[2][2] = view.m[3][3] = 1;
    t->SetTransform(D3DTS_WORLD, &world);
    t->SetTransform(D3DTS_VIEW, &view);
    ColorVertex square[4] = {{0, 1, 0.5f, 0xffffffff}, {1, 1, 0.5f, 0xffffffff}, {0, 0, 0.5f, 0xffffffff},
                             {1, 0, 0.5f, 0xffffffff}};
    t->SetFVF(kColorFvf);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(ColorVertex)), D3D_OK);
    EXPECT_EQ(litPixels(t), 16);
    EXPECT_NE(t.pixel(12, 4) & 0xffffff, 0u);
    EXPECT_NE(t.pixel(15, 7) & 0xffffff, 0u);
    EXPECT_EQ(t.pixel(11, 4) & 0xffffff, 0u);
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0u);
    // MultiplyTransform puts the given matrix first: world = scale(2) * translate(1).
    D3DMATRIX scale{};
    scale.m[0][0] = scale.m[1][1] = scale.m[2][2] = 0.5f;
    scale.m[3][3] = 1;
    ASSERT_EQ(t->MultiplyTransform(D3DTS_WORLD, &scale), D3D_OK);
    D3DMATRIX product{};
    t->GetTransform(D3DTS_WORLD, &product);
    EXPECT_EQ(product.m[0][0], 0.5f);
    EXPECT_EQ(product.m[3][0], 1.0f);
    // A viewport maps clip space into its rectangle.
    D3DMATRIX identity{};
    identity.m[0][0] = identity.m[1][1] = identity.m[2][2] = identity.m[3][3] = 1;
    t->SetTransform(D3DTS_WORLD, &identity);
    t->SetTransform(D3DTS_VIEW, &identity);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    D3DVIEWPORT9 v{4, 8, 8, 4, 0, 1};
    t->SetViewport(&v);
    drawClipQuad(t.get(), 0xffffffff);
    EXPECT_EQ(litPixels(t), 32);
    EXPECT_NE(t.pixel(4, 8) & 0xffffff, 0u);
    EXPECT_NE(t.pixel(11, 11) & 0xffffff, 0u);
    EXPECT_EQ(t.pixel(3, 8) & 0xffffff, 0u);
    // Depth beyond 1 is clipped for transformed geometry.
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);  // the viewport's part
    drawClipQuad(t.get(), 0xffffffff, 1.1f);
    EXPECT_EQ(litPixels(t), 0);
    EXPECT_EQ(t->SetTransform(D3DTRANSFORMSTATETYPE(1), &identity), D3DERR_INVALIDCALL);
}

TEST(Geometry, PointSizesClampsAndSprites) {
    TestDevice t(64, 64);
    noLighting(t.get());
    t->SetFVF(kScreenFvf);
    auto radius = [&](float size, float low, float high) {
        t->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(size));
        t->SetRenderState(D3DRS_POINTSIZE_MIN, std::bit_cast<DWORD>(low));
        t->SetRenderState(D3DRS_POINTSIZE_MAX, std::bit_cast<DWORD>(high));
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1, 0);
        ScreenVertex p = at(32, 32);
        t->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &p, sizeof p);
        std::vector<DWORD> pixels = t.readback();
        int r = -1;
        while (r < 31 && (pixels[32 * 64 + 32 + r + 1] & 0xffffff) == 0xffffff &&
               (pixels[32 * 64 + 32 - r - 1] & 0xffffff) == 0xffffff &&
               (pixels[(32 + r + 1) * 64 + 32] & 0xffffff) == 0xffffff &&
               (pixels[(32 - r - 1) * 64 + 32] & 0xffffff) == 0xffffff)
            ++r;
        return r;
    };
    EXPECT_EQ(radius(15, 1, 64), 7);
    EXPECT_EQ(radius(31, 1, 64), 15);
    EXPECT_EQ(radius(1, 1, 64), 0);
    EXPECT_EQ(radius(15, 1, 1), 0);   // POINTSIZE_MAX clamps
    EXPECT_EQ(radius(1, 15, 64), 7);  // POINTSIZE_MIN clamps

    // Sprites: every stage's coordinates run (0, 0) at the sprite's top-left to (1, 1).
    ComRef<IDirect3DTexture9> rows = makeTexture(t.get(), 2, 2, D3DFMT_X8R8G8B8, {0xff0000, 0xff0000, 0, 0});
    ComRef<IDirect3DTexture9> columns = makeTexture(t.get(), 2, 2, D3DFMT_X8R8G8B8, {0, 0x00ff00, 0, 0x00ff00});
    t->SetTexture(0, rows.get());
    t->SetTexture(1, columns.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    t->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    t->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    t->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    radius(32, 1, 64);
    EXPECT_EQ(t.pixel(28, 28) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t.pixel(28, 36) & 0xffffff, 0x000000u);
    EXPECT_EQ(t.pixel(36, 36) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(36, 28) & 0xffffff, 0xffff00u);
}
