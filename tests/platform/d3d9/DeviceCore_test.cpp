// The device's core: creation answers, clears, pre-transformed quads on Direct3D's pixel centres,
// managed textures, render-target orientation and state blocks.
#include "platform/d3d9/DrawHelpers.h"
#include "support/TestDevice.h"

#include "app/Device.h"

#include <cstring>

using namespace d3d9test;

TEST(DeviceCore, CreatesAndPublishesTheProcessDevice) {
    TestDevice t(32, 32);
    EXPECT_EQ(::device, t.get());
    EXPECT_EQ(presentParameters.BackBufferWidth, 32u);
    D3DVIEWPORT9 v{};
    ASSERT_EQ(t->GetViewport(&v), D3D_OK);
    EXPECT_EQ(v.Width, 32u);
    EXPECT_EQ(v.Height, 32u);
    EXPECT_EQ(v.MaxZ, 1.0f);
}

TEST(DeviceCore, DirectObjectAnswersAdapterQueries) {
    TestDevice t(16, 16);
    ComRef<IDirect3D9> d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_TRUE(d3d);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    const UINT count = d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
    ASSERT_GT(count, 0u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5), count);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X1R5G5B5), 0u);
    bool desktopListed = false;
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE m{};
        ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, i, &m), D3D_OK);
        EXPECT_EQ(m.Format, D3DFMT_X8R8G8B8);
        desktopListed |= m.Width == mode.Width && m.Height == mode.Height;
    }
    EXPECT_TRUE(desktopListed);
    D3DDISPLAYMODE beyond{};
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, count, &beyond), D3DERR_INVALIDCALL);

    for (D3DFORMAT depth : {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16}) {
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth),
                  D3D_OK);
        EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, depth), D3D_OK);
    }
    EXPECT_NE(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     D3DFMT_A8R8G8B8),
              D3D_OK);
    DWORD levels = 0;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_NONE, &levels),
              D3D_OK);
    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(caps.VertexShaderVersion & 0xffff, 0x0101u);
    EXPECT_GE(caps.MaxVertexShaderConst, 96u);
    EXPECT_TRUE(caps.PresentationIntervals & D3DPRESENT_INTERVAL_IMMEDIATE);
}

TEST(DeviceCore, ScreenQuadCoversExactlyItsPixels) {
    TestDevice t(16, 16);
    noLighting(t.get());
    ASSERT_EQ(t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1, 0), D3D_OK);
    ASSERT_EQ(t->BeginScene(), D3D_OK);
    ASSERT_EQ(drawScreenQuad(t.get(), 4, 4, 8, 8, 0xffffffff), D3D_OK);
    ASSERT_EQ(t->EndScene(), D3D_OK);
    std::vector<DWORD> p = t.readback();
    ASSERT_EQ(p.size(), 256u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 4 && x < 8 && y >= 4 && y < 8;
            EXPECT_EQ(p[y * 16 + x] & 0xffffff, inside ? 0xffffffu : 0u) << x << "," << y;
        }
    EXPECT_EQ(t->Present(), D3D_OK);
}

TEST(DeviceCore, ClearStaysInsideTheViewportAndRectangles) {
    TestDevice t(16, 16);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1, 0);
    D3DVIEWPORT9 v{2, 3, 5, 4, 0, 1};
    ASSERT_EQ(t->SetViewport(&v), D3D_OK);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1, 0);
    EXPECT_EQ(t.pixel(2, 3) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(6, 6) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(1, 3) & 0xffffff, 0x0000ffu);
    EXPECT_EQ(t.pixel(7, 3) & 0xffffff, 0x0000ffu);
    EXPECT_EQ(t.pixel(2, 7) & 0xffffff, 0x0000ffu);
    // A rectangle reaching outside the viewport is cut to it.
    D3DRECT r{0, 0, 4, 4};
    t->Clear(1, &r, D3DCLEAR_TARGET, 0xffff0000, 1, 0);
    EXPECT_EQ(t.pixel(3, 3) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t.pixel(4, 4) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(1, 1) & 0xffffff, 0x0000ffu);
    // Count 0 with rectangles clears nothing; the colour write mask does not limit Clear.
    t->SetRenderState(D3DRS_COLORWRITEENABLE, 1);
    t->Clear(0, &r, D3DCLEAR_TARGET, 0xffffffff, 1, 0);
    EXPECT_EQ(t.pixel(3, 3) & 0xffffff, 0xff0000u);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1, 0);
    EXPECT_EQ(t.pixel(3, 3) & 0xffffff, 0xffffffu);
    EXPECT_EQ(t->SetViewport(nullptr), D3DERR_INVALIDCALL);
    D3DVIEWPORT9 outside{10, 10, 10, 10, 0, 1};
    EXPECT_EQ(t->SetViewport(&outside), D3DERR_INVALIDCALL);
}

TEST(DeviceCore, ManagedTextureShowsItsTexelsTopRowFirst) {
    TestDevice t(16, 16);
    noLighting(t.get());
    // 2x2: red, green / blue, white.
    ComRef<IDirect3DTexture9> tex =
        makeTexture(t.get(), 2, 2, D3DFMT_A8R8G8B8, {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff});
    ASSERT_TRUE(tex);
    t->SetTexture(0, tex.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(drawScreenQuad(t.get(), 0, 0, 8, 8, 0xffffffff), D3D_OK);
    EXPECT_EQ(t.pixel(1, 1) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t.pixel(6, 1) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(t.pixel(1, 6) & 0xffffff, 0x0000ffu);
    EXPECT_EQ(t.pixel(6, 6) & 0xffffff, 0xffffffu);
    EXPECT_EQ(t.pixel(9, 9) & 0xffffff, 0u);
}

TEST(DeviceCore, StateBlockAppliesExactlyWhatWasRecorded) {
    TestDevice t(8, 8);
    ASSERT_EQ(t->BeginStateBlock(), D3D_OK);
    EXPECT_EQ(t->BeginStateBlock(), D3DERR_INVALIDCALL);
    t->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    t->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    ComRef<IDirect3DStateBlock9> block;
    ASSERT_EQ(t->EndStateBlock(&block), D3D_OK);
    ASSERT_TRUE(block);
    DWORD value = 0;
    // Recording does not change the device.
    t->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(FALSE));
    t->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    t->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    ASSERT_EQ(block->Apply(), D3D_OK);
    t->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(TRUE));
    t->GetRenderState(D3DRS_SRCBLEND, &value);
    EXPECT_EQ(value, DWORD(D3DBLEND_SRCALPHA));
    t->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, DWORD(D3DTOP_SELECTARG2));
    t->GetRenderState(D3DRS_DESTBLEND, &value);  // not recorded: left alone
    EXPECT_EQ(value, DWORD(D3DBLEND_ONE));
    t->GetRenderState(D3DRS_ZFUNC, &value);
    EXPECT_EQ(value, DWORD(D3DCMP_GREATER));
    EXPECT_EQ(t->EndStateBlock(&block), D3DERR_INVALIDCALL);
}

TEST(DeviceCore, StateBlockReplaysVertexFormatStreamTransformViewportAndSamplers) {
    TestDevice t(8, 8);
    noLighting(t.get());
    // The recorded stream holds a red pre-transformed quad over the whole target; the one set
    // afterwards a blue quad over clip space in the other vertex format.
    ComRef<IDirect3DVertexBuffer9> red, blue;
    void* data = nullptr;
    ASSERT_EQ(t->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, kScreenFvf, D3DPOOL_MANAGED, &red), D3D_OK);
    ASSERT_EQ(red->Lock(0, 0, &data, 0), D3D_OK);
    const ScreenVertex screen[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xffff0000, 0, 0}, {7.5f, -0.5f, 0.5f, 1, 0xffff0000, 0, 0},
                                    {-0.5f, 7.5f, 0.5f, 1, 0xffff0000, 0, 0}, {7.5f, 7.5f, 0.5f, 1, 0xffff0000, 0, 0}};
    std::memcpy(data, screen, sizeof screen);
    red->Unlock();
    ASSERT_EQ(t->CreateVertexBuffer(4 * sizeof(ColorVertex), 0, kColorFvf, D3DPOOL_MANAGED, &blue), D3D_OK);
    ASSERT_EQ(blue->Lock(0, 0, &data, 0), D3D_OK);
    const ColorVertex clip[4] = {{-1, 1, 0.5f, 0xff0000ff}, {1, 1, 0.5f, 0xff0000ff},
                                 {-1, -1, 0.5f, 0xff0000ff}, {1, -1, 0.5f, 0xff0000ff}};
    std::memcpy(data, clip, sizeof clip);
    blue->Unlock();
    D3DMATRIX identity{}, moved{};
    identity.m[0][0] = identity.m[1][1] = identity.m[2][2] = identity.m[3][3] = 1;
    moved = identity;
    moved.m[3][0] = 0.25f;
    const D3DVIEWPORT9 part{2, 1, 4, 5, 0.25f, 0.75f}, whole{0, 0, 8, 8, 0, 1};

    ASSERT_EQ(t->BeginStateBlock(), D3D_OK);
    t->SetFVF(kScreenFvf);
    t->SetStreamSource(0, red.get(), 0, sizeof(ScreenVertex));
    t->SetTransform(D3DTS_VIEW, &moved);
    t->SetViewport(&part);
    t->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    ComRef<IDirect3DStateBlock9> block;
    ASSERT_EQ(t->EndStateBlock(&block), D3D_OK);
    t->SetFVF(kColorFvf);
    t->SetStreamSource(0, blue.get(), 0, sizeof(ColorVertex));
    t->SetTransform(D3DTS_VIEW, &identity);
    t->SetViewport(&whole);
    t->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    ASSERT_EQ(block->Apply(), D3D_OK);

    D3DMATRIX view{};
    ASSERT_EQ(t->GetTransform(D3DTS_VIEW, &view), D3D_OK);
    EXPECT_EQ(view.m[3][0], 0.25f);
    D3DVIEWPORT9 viewport{};
    ASSERT_EQ(t->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.X, 2u);
    EXPECT_EQ(viewport.Height, 5u);
    EXPECT_EQ(viewport.MaxZ, 0.75f);
    DWORD filter = 0;
    t->GetSamplerState(1, D3DSAMP_MAGFILTER, &filter);
    EXPECT_EQ(filter, DWORD(D3DTEXF_POINT));
    // What is drawn is read through the recorded vertex format from the recorded stream.
    t->SetViewport(&whole);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_TRUE(colorNear(t.pixel(1, 1), 0xff0000, 0));
    EXPECT_TRUE(colorNear(t.pixel(6, 6), 0xff0000, 0));
}
