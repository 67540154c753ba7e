// Render targets: drawing into a texture and sampling it the right way up, target and depth
// surface bindings, multisampled back buffers, and resources that outlive their device.
#include "platform/d3d9/DrawHelpers.h"
#include "support/TestDevice.h"

#include "platform/win/NativeWindow.h"

#include <SDL.h>

using namespace d3d9test;

namespace {

struct TexVertex {  // XYZ | TEX1
    float x, y, z, u, v;
};

void drawTexVertexQuad(IDirect3DDevice9* d, float extent) {
    TexVertex q[4] = {{-extent, extent, 0.1f, 0, 0}, {extent, extent, 0.1f, 1, 0}, {-extent, -extent, 0.1f, 0, 1},
                      {extent, -extent, 0.1f, 1, 1}};
    d->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(TexVertex)), D3D_OK);
}

}  // namespace

TEST(RenderTargets, OffscreenRoundTrip) {
    TestDevice t(64, 64);
    noLighting(t.get());
    ComRef<IDirect3DTexture9> target;
    ASSERT_EQ(t->CreateTexture(128, 128, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
    ComRef<IDirect3DSurface9> surface, back;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    ASSERT_EQ(t->GetRenderTarget(0, &back), D3D_OK);
    ASSERT_EQ(t->SetRenderTarget(0, surface.get()), D3D_OK);
    D3DVIEWPORT9 v{};
    t->GetViewport(&v);
    EXPECT_EQ(v.Width, 128u);  // setting a target resets the viewport to it
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff00ff, 1, 0);
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    drawTexVertexQuad(t.get(), 0.5f);  // no texture bound: the (white) current colour
    ComRef<IDirect3DSurface9> current;
    t->GetRenderTarget(0, &current);
    EXPECT_EQ(current.get(), surface.get());
    EXPECT_EQ(t.pixel(64, 64) & 0xffffff, 0xffffffu);
    EXPECT_EQ(t.pixel(10, 10) & 0xffffff, 0xff00ffu);

    ASSERT_EQ(t->SetRenderTarget(0, back.get()), D3D_OK);
    t->GetViewport(&v);
    EXPECT_EQ(v.Width, 64u);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff0000, 1, 0);
    t->SetTexture(0, target.get());
    drawTexVertexQuad(t.get(), 0.5f);
    EXPECT_EQ(t.pixel(32, 32) & 0xffffff, 0xffffffu);
    EXPECT_EQ(t.pixel(18, 32) & 0xffffff, 0xff00ffu);
    EXPECT_EQ(t.pixel(2, 2) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t.pixel(2, 60) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t->Present(), D3D_OK);
}

TEST(RenderTargets, SampledTargetKeepsItsTopAtTheTop) {
    TestDevice t(32, 32);
    noLighting(t.get());
    ComRef<IDirect3DTexture9> target;
    ASSERT_EQ(t->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
    ComRef<IDirect3DSurface9> surface, back;
    target->GetSurfaceLevel(0, &surface);
    t->GetRenderTarget(0, &back);
    t->SetRenderTarget(0, surface.get());
    // Red in the upper half (clip y > 0), green in the lower, blue in the top-left pixel.
    ColorVertex top[4] = {{-1, 1, 0.5f, 0xffff0000}, {1, 1, 0.5f, 0xffff0000}, {-1, 0, 0.5f, 0xffff0000},
                          {1, 0, 0.5f, 0xffff0000}};
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1, 0);
    t->SetFVF(kColorFvf);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, top, sizeof(ColorVertex));
    drawScreenQuad(t.get(), 0, 0, 1, 1, 0xff0000ff);
    std::vector<DWORD> rows = t.readback();  // top row first
    ASSERT_EQ(rows.size(), 256u);
    EXPECT_EQ(rows[0] & 0xffffff, 0x0000ffu);
    EXPECT_EQ(rows[1] & 0xffffff, 0xff0000u);
    EXPECT_EQ(rows[15 * 16] & 0xffffff, 0x00ff00u);

    t->SetRenderTarget(0, back.get());
    t->SetTexture(0, target.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    drawScreenQuad(t.get(), 0, 0, 32, 32, 0xffffffff);  // v = 0 at the top
    EXPECT_EQ(t.pixel(0, 0) & 0xffffff, 0x0000ffu);
    EXPECT_EQ(t.pixel(16, 4) & 0xffffff, 0xff0000u);
    EXPECT_EQ(t.pixel(16, 28) & 0xffffff, 0x00ff00u);
    // Render targets are not lockable, nor are they settable as depth surfaces.
    D3DLOCKED_RECT r;
    EXPECT_EQ(surface->LockRect(&r, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->SetDepthStencilSurface(surface.get()), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->SetRenderTarget(1, surface.get()), D3DERR_INVALIDCALL);
    ComRef<IDirect3DTexture9> plain = makeTexture(t.get(), 4, 4, D3DFMT_X8R8G8B8, std::vector<DWORD>(16, 0));
    ComRef<IDirect3DSurface9> plainSurface;
    plain->GetSurfaceLevel(0, &plainSurface);
    EXPECT_EQ(t->SetRenderTarget(0, plainSurface.get()), D3DERR_INVALIDCALL);
}

TEST(RenderTargets, DepthSurfacesBindAndTest) {
    TestDevice t(32, 32);
    noLighting(t.get());
    ComRef<IDirect3DSurface9> automatic, own;
    ASSERT_EQ(t->GetDepthStencilSurface(&automatic), D3D_OK);
    ASSERT_EQ(t->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &own), D3D_OK);
    D3DSURFACE_DESC desc{};
    own->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_D24S8);
    EXPECT_TRUE(desc.Usage & D3DUSAGE_DEPTHSTENCIL);
    ComRef<IDirect3DTexture9> target;
    ASSERT_EQ(t->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
    ComRef<IDirect3DSurface9> surface, back;
    target->GetSurfaceLevel(0, &surface);
    t->GetRenderTarget(0, &back);
    t->SetRenderTarget(0, surface.get());
    ASSERT_EQ(t->SetDepthStencilSurface(own.get()), D3D_OK);
    t->SetRenderState(D3DRS_ZENABLE, TRUE);
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1, 0);
    drawClipQuad(t.get(), 0xffff0000, 0.3f);
    drawClipQuad(t.get(), 0xff00ff00, 0.6f);  // behind: rejected
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0xff0000u);
    // Without a depth surface there is no depth test, and depth clears are refused.
    ASSERT_EQ(t->SetDepthStencilSurface(nullptr), D3D_OK);
    ComRef<IDirect3DSurface9> none;
    EXPECT_EQ(t->GetDepthStencilSurface(&none), D3DERR_NOTFOUND);
    EXPECT_FALSE(none);
    EXPECT_EQ(t->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1, 0), D3DERR_INVALIDCALL);
    drawClipQuad(t.get(), 0xff00ff00, 0.6f);
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0x00ff00u);
    // Put back what was there, as the drawing code does.
    t->SetRenderTarget(0, back.get());
    t->SetDepthStencilSurface(automatic.get());
    ComRef<IDirect3DSurface9> restored;
    t->GetDepthStencilSurface(&restored);
    EXPECT_EQ(restored.get(), automatic.get());
    EXPECT_EQ(t->CreateDepthStencilSurface(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &own),
              D3DERR_INVALIDCALL);
}

// The back buffer is the window's framebuffer, and its automatic depth the window's depth buffer;
// beside a render target that depth surface has storage of its own, cleared when asked even though
// the window's was cleared just before.
TEST(RenderTargets, TheAutomaticDepthBesideARenderTargetIsClearedForIt) {
    TestDevice t(32, 32);
    noLighting(t.get());
    t->SetRenderState(D3DRS_ZENABLE, TRUE);
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1, 0);
    ComRef<IDirect3DTexture9> target;
    ASSERT_EQ(t->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
    ComRef<IDirect3DSurface9> surface, back;
    target->GetSurfaceLevel(0, &surface);
    t->GetRenderTarget(0, &back);
    t->SetRenderTarget(0, surface.get());
    t->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1, 0);
    drawClipQuad(t.get(), 0xffff0000, 0.5f);
    EXPECT_EQ(t.pixel(8, 8) & 0xffffff, 0xff0000u);
    t->SetRenderTarget(0, back.get());  // and back: the window's depth still holds its clear
    drawClipQuad(t.get(), 0xff00ff00, 0.5f);
    EXPECT_EQ(t.pixel(16, 16) & 0xffffff, 0x00ff00u);
}

// A device of its own on its own window, for presentation parameters TestDevice does not choose.
class OwnDevice {
public:
    explicit OwnDevice(D3DPRESENT_PARAMETERS p) {
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        window.sdlWindow = SDL_CreateWindow("own", 0, 0, 32, 32, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        p.hDeviceWindow = &window;
        if (direct3d) result = direct3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, 0, &p, &device);
        parameters = p;
    }
    ~OwnDevice() {
        device.reset();
        direct3d.reset();
        SDL_DestroyWindow(window.sdlWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    win::NativeWindow window;
    ComRef<IDirect3D9> direct3d;
    ComRef<IDirect3DDevice9> device;
    D3DPRESENT_PARAMETERS parameters;
    HRESULT result = E_FAIL;
};

TEST(RenderTargets, MultisampledBackBufferResolvesForReadingAndPresent) {
    D3DPRESENT_PARAMETERS p;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    p.MultiSampleType = D3DMULTISAMPLE_NONMASKABLE;
    OwnDevice own(p);
    DWORD levels = 0;
    ASSERT_TRUE(own.direct3d);
    if (FAILED(own.direct3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                                        D3DMULTISAMPLE_NONMASKABLE, &levels)))
        GTEST_SKIP() << "no multisampling here";
    ASSERT_EQ(own.result, D3D_OK);
    EXPECT_EQ(own.parameters.BackBufferWidth, 32u);  // 0 took the window's size
    IDirect3DDevice9* d = own.device.get();
    noLighting(d);
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1, 0);
    drawScreenQuad(d, 8, 8, 24, 24, 0xff00ff00);
    std::vector<DWORD> pixels(32 * 32);
    ASSERT_EQ(d->ReadRenderTarget(pixels.data(), 32, 32), D3D_OK);
    EXPECT_EQ(pixels[16 * 32 + 16] & 0xffffff, 0x00ff00u);
    EXPECT_EQ(pixels[2 * 32 + 2] & 0xffffff, 0u);
    EXPECT_EQ(d->ReadRenderTarget(pixels.data(), 16, 16), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->Present(), D3D_OK);
    // A plain texture target with the multisampled depth buffer still set draws (without depth).
    ComRef<IDirect3DTexture9> target;
    ComRef<IDirect3DSurface9> surface;
    ASSERT_EQ(d->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
    target->GetSurfaceLevel(0, &surface);
    d->SetRenderTarget(0, surface.get());
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1, 0);
    drawScreenQuad(d, 8, 8, 24, 24, 0xffff0000);
    ASSERT_EQ(d->ReadRenderTarget(pixels.data(), 32, 32), D3D_OK);
    EXPECT_EQ(pixels[16 * 32 + 16] & 0xffffff, 0xff0000u);
}

TEST(RenderTargets, ResourcesOutliveTheirDevice) {
    D3DPRESENT_PARAMETERS p;
    p.BackBufferWidth = p.BackBufferHeight = 16;
    OwnDevice own(p);
    ASSERT_EQ(own.result, D3D_OK);
    ComRef<IDirect3DTexture9> texture;
    ComRef<IDirect3DVertexBuffer9> buffer;
    ComRef<IDirect3DStateBlock9> block;
    ASSERT_EQ(own.device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(own.device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer), D3D_OK);
    own.device->BeginStateBlock();
    own.device->SetTexture(0, texture.get());
    own.device->EndStateBlock(&block);
    own.device->SetTexture(0, texture.get());
    own.device.reset();  // the display releases the device before the objects go
    EXPECT_EQ(block->Apply(), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT r;
    ASSERT_EQ(texture->LockRect(1, &r, nullptr, 0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(1), D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
}

TEST(RenderTargets, ReadInTwoHalvesWhileTheNextFrameIsDrawn) {
    TestDevice t(16, 8);
    noLighting(t.get());
    std::vector<DWORD> first(16 * 8), second(16 * 8);
    EXPECT_EQ(t->FinishReadRenderTarget(0, first.data(), 16, 8), D3DERR_INVALIDCALL);  // nothing begun
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff102030, 1, 0);
    drawScreenQuad(t.get(), 0, 0, 4, 2, 0xffff0000);  // the top left corner
    ASSERT_EQ(t->BeginReadRenderTarget(0), D3D_OK);
    const std::vector<DWORD> expected = t.readback();
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1, 0);
    ASSERT_EQ(t->BeginReadRenderTarget(1), D3D_OK);
    ASSERT_EQ(t->FinishReadRenderTarget(0, first.data(), 16, 8), D3D_OK);
    ASSERT_EQ(t->FinishReadRenderTarget(1, second.data(), 16, 8), D3D_OK);
    EXPECT_EQ(first, expected);
    EXPECT_EQ(first[0], 0xffff0000u);
    EXPECT_EQ(first[15 * 8 + 7], 0xff102030u);
    EXPECT_EQ(second[5], 0xff00ff00u);
    EXPECT_EQ(t->FinishReadRenderTarget(1, second.data(), 16, 8), D3DERR_INVALIDCALL);  // taken already
}
