// A Direct3D surface: a level of a texture (holding a reference to the texture), GL storage of its
// own (the back buffer and other plain targets, depth-stencil surfaces), or the window's own
// framebuffer (the back buffer and its automatic depth, drawn into straight). Surfaces are what
// render targets and depth buffers are set from; attach() puts one on the bound framebuffer.
#pragma once

#include "platform/d3d9/GlContext.h"
#include "platform/d3d9/Texture.h"
#include "platform/d3d9/LiveObjects.h"
#include "platform/d3d9/d3d9.h"

#include <epoxy/gl.h>

#include <memory>

namespace d3d9 {

class Surface final : public IDirect3DSurface9 {
public:
    static ComRef<Surface> ofTexture(Texture* texture, UINT level);
    static HRESULT createOwn(const std::shared_ptr<GlContext>& context, UINT width, UINT height,
                             D3DFORMAT format, DWORD usage, UINT samples, ComRef<Surface>* surface);
    // Held by the window's framebuffer; attaching it to another makes storage of its own (a depth
    // surface paired with a render target), whose contents are not the window's.
    static ComRef<Surface> ofWindow(const std::shared_ptr<GlContext>& context, UINT width, UINT height,
                                    D3DFORMAT format, DWORD usage);

    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    void attach(GLenum attachment);  // to GL_FRAMEBUFFER
    bool inWindow() const { return window; }
    bool leaveWindow();  // storage of its own from now on; false when GL has none to give
    UINT width() const { return surfaceWidth; }
    UINT height() const { return surfaceHeight; }
    D3DFORMAT format() const { return surfaceFormat; }
    Texture* texture() const { return owner.get(); }  // null for renderbuffers
    UINT samples() const { return sampleCount; }

private:
    Counted counted{&LiveObjects::surfaces};
    Surface() = default;
    ~Surface() override;

    ComRef<Texture> owner;        // the texture this is a level of, or null
    UINT level = 0;
    std::shared_ptr<GlContext> context;
    GLuint renderbuffer = 0;      // owned when there is no texture: depth, multisampled and
    GLuint colorTexture = 0;      // other targets in a renderbuffer, 8-bit colour in a texture
    D3DFORMAT surfaceFormat = D3DFMT_UNKNOWN;
    DWORD usage = 0;
    UINT surfaceWidth = 0, surfaceHeight = 0;
    UINT sampleCount = 0;
    bool window = false;
    bool makeStorage();
};

}  // namespace d3d9
