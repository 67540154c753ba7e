// Device creation, the frame (scenes, Clear, Present), resource creation and render targets.
#include "platform/d3d9/Device.h"

#include "platform/d3d9/Buffer.h"
#include "platform/d3d9/DrawProfile.h"
#include "platform/d3d9/Formats.h"
#include "platform/d3d9/Texture.h"
#include "platform/d3d9/VertexShader.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>

#include <algorithm>

namespace d3d9 {

namespace {

constexpr size_t kStreamVertexBytes = 8u << 20;  // ring for DrawPrimitiveUP vertices
constexpr size_t kStreamIndexBytes = 2u << 20;

UINT samplesOf(D3DMULTISAMPLE_TYPE type, DWORD quality) {
    return type == D3DMULTISAMPLE_NONMASKABLE ? (2u << std::min<DWORD>(quality, 3)) : 0;
}

}  // namespace

// --- creation ------------------------------------------------------------------------------------
HRESULT Device::create(ComRef<IDirect3D9> direct3d, HWND hwnd, D3DPRESENT_PARAMETERS* parameters,
                       ComRef<IDirect3DDevice9>* result) {
    if (!hwnd || !hwnd->sdlWindow || !parameters || !result) return D3DERR_INVALIDCALL;
    if (!(SDL_GetWindowFlags(hwnd->sdlWindow) & SDL_WINDOW_OPENGL)) return D3DERR_NOTAVAILABLE;
    auto* d = new Device;
    ComRef<IDirect3DDevice9> ref = ComRef<IDirect3DDevice9>::adopt(d);
    d->direct3d = std::move(direct3d);
    HRESULT hr = d->initialise(hwnd, parameters);
    if (FAILED(hr)) return hr;
    *result = ref;
    return D3D_OK;
}

HRESULT Device::initialise(HWND hwnd, D3DPRESENT_PARAMETERS* p) {
    window = hwnd->sdlWindow;
    self = std::make_shared<IDirect3DDevice9*>(this);
    if (p->BackBufferFormat == D3DFMT_UNKNOWN && p->Windowed) p->BackBufferFormat = D3DFMT_X8R8G8B8;
    if (!isColorTargetFormat(p->BackBufferFormat)) return D3DERR_INVALIDCALL;
    if (p->EnableAutoDepthStencil && !formatInfo(p->AutoDepthStencilFormat).depth) return D3DERR_INVALIDCALL;

    if (!p->Windowed) {
        if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) return D3DERR_INVALIDCALL;
        SDL_DisplayMode wanted{}, closest{};
        wanted.w = static_cast<int>(p->BackBufferWidth);
        wanted.h = static_cast<int>(p->BackBufferHeight);
        if (!SDL_GetClosestDisplayMode(0, &wanted, &closest) || closest.w != wanted.w || closest.h != wanted.h)
            return D3DERR_NOTAVAILABLE;
        SDL_SetWindowDisplayMode(window, &closest);
        SDL_SetWindowSize(window, closest.w, closest.h);
        if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) return D3DERR_NOTAVAILABLE;
        SDL_ShowWindow(window);
        hwnd->fullscreen = true;
    } else if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
        int w = 0, h = 0;
        SDL_GetWindowSize(window, &w, &h);
        if (p->BackBufferWidth == 0) p->BackBufferWidth = std::max(w, 1);
        if (p->BackBufferHeight == 0) p->BackBufferHeight = std::max(h, 1);
    }
    if (p->BackBufferCount == 0) p->BackBufferCount = 1;

    std::string error;
    context = GlContext::create(window, &error);
    if (!context || !context->makeCurrentOn(window)) return D3DERR_NOTAVAILABLE;
    context->state = &gl;
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    maxTextureSize = static_cast<UINT>(std::max(size, 256));
    if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
        epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic"))
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);

    const UINT interval = p->PresentationInterval;
    SDL_GL_SetSwapInterval(interval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : interval == D3DPRESENT_INTERVAL_TWO ? 2 : 1);

    const UINT samples = samplesOf(p->MultiSampleType, p->MultiSampleQuality);
    HRESULT hr = D3D_OK;
    if (windowCanHoldBackBuffer(*p, samples)) {
        backBuffer = Surface::ofWindow(context, p->BackBufferWidth, p->BackBufferHeight, p->BackBufferFormat,
                                       D3DUSAGE_RENDERTARGET);
        if (p->EnableAutoDepthStencil)
            autoDepth = Surface::ofWindow(context, p->BackBufferWidth, p->BackBufferHeight,
                                          p->AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL);
    } else {
        hr = Surface::createOwn(context, p->BackBufferWidth, p->BackBufferHeight, p->BackBufferFormat,
                                D3DUSAGE_RENDERTARGET, samples, &backBuffer);
    }
    if (FAILED(hr)) return hr;
    if (p->EnableAutoDepthStencil && !autoDepth) {
        hr = Surface::createOwn(context, p->BackBufferWidth, p->BackBufferHeight, p->AutoDepthStencilFormat,
                                D3DUSAGE_DEPTHSTENCIL, samples, &autoDepth);
        if (FAILED(hr)) return hr;
    }
    presentation = *p;
    renderTarget = backBuffer;
    depthStencil = autoDepth;

    glGenFramebuffers(1, &framebuffer);
    glGenFramebuffers(1, &resolveFramebuffer);
    glGenVertexArrays(1, &vao);
    gl.bindVertexArray(vao);
    glGenBuffers(1, &streamVertices);
    glBindBuffer(GL_ARRAY_BUFFER, streamVertices);
    glBufferData(GL_ARRAY_BUFFER, kStreamVertexBytes, nullptr, GL_STREAM_DRAW);
    gl.bindArrayBuffer(streamVertices);
    glGenBuffers(1, &streamIndices);
    glBindBuffer(GL_COPY_WRITE_BUFFER, streamIndices);
    glBufferData(GL_COPY_WRITE_BUFFER, kStreamIndexBytes, nullptr, GL_STREAM_DRAW);
    glGenSamplers(D3DMAXSAMPLERS, samplers.data());
    samplersDirty.fill(true);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);                   // flat shading takes the first vertex

    setDefaultStates();
    viewport = fullViewport();
    bindTargets();
    gl.apply(wantedGl);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (autoDepth && hasStencil(autoDepth->format())) knownStencil = autoDepth;  // cleared to 0 just now
    return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_NOTAVAILABLE;
}

Device::~Device() {
    if (self) *self = nullptr;
    if (!context) return;
    context->makeCurrent();
    context->state = nullptr;
    gl.reset();
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteFramebuffers(1, &resolveFramebuffer);
    if (resolveTexture) glDeleteTextures(1, &resolveTexture);
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(1, &streamVertices);
    glDeleteBuffers(1, &streamIndices);
    glDeleteSamplers(D3DMAXSAMPLERS, samplers.data());
    for (ReadSlot& r : readSlots)
        if (r.buffer) glDeleteBuffers(1, &r.buffer);
}

// The window's framebuffer can be the back buffer when it is the back buffer's size and holds
// what the back buffer and its automatic depth surface would: no multisampling, 8-bit colour
// without alpha (the window has none), and the depth format's bits exactly. A back buffer that is
// read back rather than shown (a lockable one) stays a target: read top row first, nothing to
// turn over, and drawing and reading it cost less there than in the window (measured).
bool Device::windowCanHoldBackBuffer(const D3DPRESENT_PARAMETERS& p, UINT samples) {
    if (samples > 1 || p.BackBufferFormat != D3DFMT_X8R8G8B8 || (p.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) ||
        !context->makeCurrentOn(window))
        return false;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    if (UINT(w) != p.BackBufferWidth || UINT(h) != p.BackBufferHeight) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    auto bits = [](GLenum attachment, GLenum what) {
        GLint n = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, what, &n);
        return glGetError() == GL_NO_ERROR ? n : -1;
    };
    while (glGetError() != GL_NO_ERROR) {
    }
    if (bits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE) != 8 ||
        bits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE) != 8 ||
        bits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE) != 8)
        return false;
    if (!p.EnableAutoDepthStencil) return true;
    const D3DFORMAT f = p.AutoDepthStencilFormat;
    const GLint depth = f == D3DFMT_D16 ? 16 : f == D3DFMT_D24S8 || f == D3DFMT_D24X8 ? 24 : 0;
    const GLint stencil = hasStencil(f) ? 8 : 0;
    return depth > 0 && bits(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE) == depth &&
           bits(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE) >= stencil;
}

void Device::leaveWindow() {
    if (backBuffer->inWindow()) backBuffer->leaveWindow();
    if (autoDepth && autoDepth->inWindow()) {
        autoDepth->leaveWindow();
        if (cleanDepth.get() == autoDepth.get()) cleanDepth = nullptr;
        if (knownStencil.get() == autoDepth.get()) knownStencil = nullptr;
    }
    targetsDirty = true;
    renderStatesDirty = true;
    ++generations[kViewport];
}

D3DVIEWPORT9 Device::fullViewport() const {
    return {0, 0, renderTarget->width(), renderTarget->height(), 0.0f, 1.0f};
}

// --- frame ------------------------------------------------------------------------------------------
HRESULT Device::BeginScene() {
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

void Device::bindTargets() {
    const bool inWindow = drawsInWindow();
    if (inWindow) {
        context->makeCurrentOn(window);  // the window's framebuffer, not the hidden one's
        gl.bindFramebuffer(0);
    } else {
        gl.bindFramebuffer(framebuffer);
    }
    if (!targetsDirty) return;
    targetsDirty = false;
    if (inWindow) {
        // The window's own depth buffer is the automatic depth surface; another one cannot join it,
        // and Direct3D leaves a target without a usable depth surface drawn without depth.
        depthUsable = depthStencil && depthStencil.get() == autoDepth.get();
    } else {
        renderTarget->attach(GL_COLOR_ATTACHMENT0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
        // A depth surface smaller than the target would shrink GL's drawing area to the overlap, and
        // one with other multisampling would leave the framebuffer incomplete; Direct3D leaves such
        // pairings undefined, so the target is drawn whole without depth.
        depthUsable = depthStencil && depthStencil->width() >= renderTarget->width() &&
                      depthStencil->height() >= renderTarget->height() &&
                      std::max(depthStencil->samples(), 1u) == std::max(renderTarget->samples(), 1u);
        if (depthUsable)
            depthStencil->attach(hasStencil(depthStencil->format()) ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT);
    }
    // The automatic depth surface beside a render target has storage of its own, apart from the
    // window's: what is known about the contents of one is not known about the other.
    if (depthUsable && depthStencil->inWindow() && windowDepthInWindow != inWindow) {
        windowDepthInWindow = inWindow;
        if (cleanDepth.get() == depthStencil.get()) cleanDepth = nullptr;
        if (knownStencil.get() == depthStencil.get()) knownStencil = nullptr;
    }
    renderStatesDirty = true;  // the colour mask depends on the target's alpha
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    if (count > 0 && !rects) count = 0;  // like Direct3D: no rectangles clears the whole viewport
    else if (count == 0 && rects) return D3D_OK;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil) return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !hasStencil(depthStencil->format())) return D3DERR_INVALIDCALL;
    if (skipping) return D3D_OK;  // nothing written: what is known clean stays so
    context->makeCurrent();
    bindTargets();  // first: binding can tell that a depth surface's storage changed
    // A depth surface that nothing has written since it was cleared whole to the same value
    // needs no clearing again (each scene clears its viewport's depth after the frame's clear).
    const float depth = std::clamp(z, 0.0f, 1.0f);
    const bool depthSame = (flags & D3DCLEAR_ZBUFFER) && cleanDepth.get() == depthStencil.get() &&
                           cleanDepthValue == depth;
    const bool stencilSame = !(flags & D3DCLEAR_STENCIL) || (cleanStencil && cleanStencilValue == (stencil & 0xff));
    if (depthSame && stencilSame) flags &= ~DWORD(D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    // Clearing depth alone keeps the stencil bits beside it, which costs the rasterizer a read of
    // every one; where the stencil's value is known, it is cleared to that value along with depth.
    DWORD stencilValue = stencil & 0xff;
    if ((flags & D3DCLEAR_ZBUFFER) && !(flags & D3DCLEAR_STENCIL) && knownStencil &&
        knownStencil.get() == depthStencil.get()) {
        flags |= D3DCLEAR_STENCIL;
        stencilValue = knownStencilValue;
    }
    if (!(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) return D3D_OK;
    GlRenderState clearState = gl.current();
    const bool alpha = formatInfo(renderTarget->format()).hasAlpha;
    clearState.colorMask = 0xf;
    clearState.depthWrite = true;
    clearState.stencilWriteMask = 0xffffffff;
    clearState.scissor = true;
    gl.apply(clearState);
    glClearColor(((color >> 16) & 0xff) / 255.0f, ((color >> 8) & 0xff) / 255.0f, (color & 0xff) / 255.0f,
                 alpha ? (color >> 24) / 255.0f : 1.0f);
    glClearDepth(depth);
    glClearStencil(static_cast<GLint>(stencilValue));
    GLbitfield mask = ((flags & D3DCLEAR_TARGET) ? GL_COLOR_BUFFER_BIT : 0) |
                      ((flags & D3DCLEAR_ZBUFFER) ? GL_DEPTH_BUFFER_BIT : 0) |
                      ((flags & D3DCLEAR_STENCIL) ? GL_STENCIL_BUFFER_BIT : 0);
    const long vx1 = viewport.X, vy1 = viewport.Y;
    const long vx2 = vx1 + viewport.Width, vy2 = vy1 + viewport.Height;
    auto clearRect = [&](long x1, long y1, long x2, long y2) {
        x1 = std::max(x1, vx1), y1 = std::max(y1, vy1), x2 = std::min(x2, vx2), y2 = std::min(y2, vy2);
        if (x1 >= x2 || y1 >= y2) return;
        clearState.scissorBox = {GLint(x1), glRow(y1, y2 - y1), GLint(x2 - x1), GLint(y2 - y1)};
        gl.apply(clearState);
        glClear(mask);
    };
    const bool profiling = DrawProfile::active();
    if (profiling) DrawProfile::begin();
    if (count == 0) clearRect(vx1, vy1, vx2, vy2);
    for (DWORD i = 0; i < count; ++i) clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    if (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) {
        const bool whole = depthUsable && count == 0 && vx1 <= 0 && vy1 <= 0 && vx2 >= long(depthStencil->width()) &&
                           vy2 >= long(depthStencil->height());
        const bool both = (flags & D3DCLEAR_ZBUFFER) && (flags & D3DCLEAR_STENCIL || !hasStencil(depthStencil->format()));
        cleanDepth = whole && (flags & D3DCLEAR_ZBUFFER) ? depthStencil : nullptr;
        cleanDepthValue = depth;
        cleanStencil = whole && both;
        cleanStencilValue = stencilValue;
        if (flags & D3DCLEAR_STENCIL) {
            const bool same = knownStencil.get() == depthStencil.get() && knownStencilValue == stencilValue;
            if (whole) knownStencil = depthStencil, knownStencilValue = stencilValue;
            else if (!same) knownStencil = nullptr;
        }
    }
    if (profiling) DrawProfile::end("clear", renderTarget->width(), renderTarget->height(), 0);
    renderStatesDirty = true;
    return D3D_OK;
}

HRESULT Device::Present() {
    if (!context->makeCurrentOn(window)) return D3DERR_INVALIDCALL;
    const UINT w = backBuffer->width(), h = backBuffer->height();
    const bool profiling = DrawProfile::active();
    if (backBuffer->inWindow()) {
        if (profiling) DrawProfile::begin();
        SDL_GL_SwapWindow(window);
        if (profiling) DrawProfile::end("present: swap", w, h, 0);
        // A window that changed size shows its frames scaled from now on, as a target is.
        int dw = 0, dh = 0;
        SDL_GL_GetDrawableSize(window, &dw, &dh);
        if (UINT(dw) != w || UINT(dh) != h) leaveWindow();
        return D3D_OK;
    }
    bindTargets();
    GlRenderState copy = gl.current();
    copy.scissor = false;
    copy.colorMask = 0xf;
    gl.apply(copy);
    if (profiling) DrawProfile::begin();
    GLuint source = framebuffer;
    if (renderTarget.get() != backBuffer.get()) {  // show the back buffer, not the current target
        backBuffer->attach(GL_COLOR_ATTACHMENT0);
        targetsDirty = true;
    }
    if (backBuffer->samples() > 1) {  // resolve into a plain texture first: a flipping blit cannot resolve
        if (!resolveTexture) {  // unsized, like the plain back buffer, so the flip after it is a copy
            glGenTextures(1, &resolveTexture);
            gl.bindTexture(0, resolveTexture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        }
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, resolveTexture, 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        source = resolveFramebuffer;
    }
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const bool same = UINT(dw) == w && UINT(dh) == h;
    glBlitFramebuffer(0, 0, w, h, 0, dh, dw, 0, GL_COLOR_BUFFER_BIT, same ? GL_NEAREST : GL_LINEAR);
    if (profiling) DrawProfile::end("present: flip", w, h, 0);
    if (profiling) DrawProfile::begin();
    SDL_GL_SwapWindow(window);
    if (profiling) DrawProfile::end("present: swap", w, h, 0);
    gl.forgetFramebuffer(framebuffer);
    gl.forgetFramebuffer(resolveFramebuffer);
    gl.forgetFramebuffer(0);
    renderStatesDirty = true;
    return D3D_OK;
}

HRESULT Device::ReadRenderTarget(DWORD* pixels, UINT width, UINT height) {
    if (!pixels || width != renderTarget->width() || height != renderTarget->height()) return D3DERR_INVALIDCALL;
    context->makeCurrent();
    bindTargets();
    if (renderTarget->samples() > 1) {
        GlRenderState copy = gl.current();
        copy.scissor = false;
        gl.apply(copy);
        GLuint t = 0;
        glGenTextures(1, &t);
        gl.bindTexture(0, t);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t, 0);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, resolveFramebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
        gl.forgetTexture(t);
        glDeleteTextures(1, &t);
        gl.forgetFramebuffer(framebuffer);
        renderStatesDirty = true;
    } else {
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        if (drawsInWindow())  // its rows run bottom-up
            for (UINT y = 0; y < height / 2; ++y)
                std::swap_ranges(pixels + size_t(y) * width, pixels + size_t(y + 1) * width,
                                 pixels + size_t(height - 1 - y) * width);
    }
    if (!formatInfo(renderTarget->format()).hasAlpha)
        for (size_t i = 0; i < size_t(width) * height; ++i) pixels[i] |= 0xff000000u;
    return D3D_OK;
}

HRESULT Device::BeginReadRenderTarget(UINT slot) {
    if (slot >= kReadSlots) return D3DERR_INVALIDCALL;
    ReadSlot& r = readSlots[slot];
    r.width = renderTarget->width();
    r.height = renderTarget->height();
    r.started = false;
    if (renderTarget->samples() > 1) {  // resolved on the way: read at once
        r.copy.resize(size_t(r.width) * r.height);
        HRESULT hr = ReadRenderTarget(r.copy.data(), r.width, r.height);
        r.started = SUCCEEDED(hr);
        r.opaque = false;
        return hr;
    }
    r.copy.clear();
    context->makeCurrent();
    bindTargets();
    while (glGetError() != GL_NO_ERROR) {  // only this read's own failure counts
    }
    const size_t bytes = size_t(r.width) * r.height * 4;
    if (!r.buffer) glGenBuffers(1, &r.buffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, r.buffer);
    if (r.capacity != bytes) {
        glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_READ);
        r.capacity = bytes;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, GLsizei(r.width), GLsizei(r.height), GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glFlush();  // the rasterizer starts on this frame while the next one is set up
    r.opaque = !formatInfo(renderTarget->format()).hasAlpha;
    r.bottomUp = drawsInWindow();
    r.started = glGetError() == GL_NO_ERROR;
    return r.started ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::SkipDrawing(BOOL skip) {
    skipping = skip != FALSE;
    return D3D_OK;
}

HRESULT Device::FinishReadRenderTarget(UINT slot, DWORD* pixels, UINT width, UINT height) {
    if (slot >= kReadSlots || !pixels) return D3DERR_INVALIDCALL;
    ReadSlot& r = readSlots[slot];
    if (!r.started || width != r.width || height != r.height) return D3DERR_INVALIDCALL;
    r.started = false;
    if (!r.copy.empty()) {
        std::copy(r.copy.begin(), r.copy.end(), pixels);
        return D3D_OK;
    }
    context->makeCurrent();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, r.buffer);
    const auto* mapped = static_cast<const DWORD*>(
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, GLsizeiptr(r.capacity), GL_MAP_READ_BIT));
    if (mapped) {
        // Opaque alpha and the rows' order in the same pass as the copy.
        const size_t n = r.bottomUp ? width : size_t(width) * height;
        for (UINT y = 0; y < (r.bottomUp ? height : 1); ++y) {
            const DWORD* from = mapped + size_t(r.bottomUp ? height - 1 - y : 0) * width;
            DWORD* to = pixels + size_t(y) * width;
            if (r.opaque)
                std::transform(from, from + n, to, [](DWORD p) { return p | 0xff000000u; });
            else
                std::copy(from, from + n, to);
        }
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return mapped ? D3D_OK : D3DERR_INVALIDCALL;
}

// --- resources ----------------------------------------------------------------------------------------
HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD bufferFvf, D3DPOOL pool,
                                   ComRef<IDirect3DVertexBuffer9>* buffer) {
    return VertexBuffer::create(context, length, usage, bufferFvf, buffer);
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  ComRef<IDirect3DIndexBuffer9>* buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    return IndexBuffer::create(context, length, usage, format, buffer);
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              ComRef<IDirect3DTexture9>* texture) {
    return Texture::create(context, width, height, levels, usage, format, pool, maxTextureSize, texture);
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          DWORD quality, BOOL discard, ComRef<IDirect3DSurface9>* surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!formatInfo(format).depth || width > maxTextureSize || height > maxTextureSize) return D3DERR_INVALIDCALL;
    ComRef<Surface> s;
    HRESULT hr = Surface::createOwn(context, width, height, format, D3DUSAGE_DEPTHSTENCIL,
                                    samplesOf(multiSample, quality), &s);
    if (SUCCEEDED(hr)) *surface = ComRef<IDirect3DSurface9>::share(s.get());
    return hr;
}

HRESULT Device::GetRenderTarget(DWORD index, ComRef<IDirect3DSurface9>* surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0) return D3DERR_NOTFOUND;
    *surface = ComRef<IDirect3DSurface9>::share(renderTarget.get());
    return D3D_OK;
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    if (index != 0 || !surface) return D3DERR_INVALIDCALL;
    auto* s = static_cast<Surface*>(surface);
    D3DSURFACE_DESC desc{};
    s->GetDesc(&desc);
    if (!(desc.Usage & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
    if (s != renderTarget.get()) {
        if (Texture* previous = renderTarget->texture()) previous->contentChanged();
        renderTarget = ComRef<Surface>::share(s);
        targetsDirty = true;
    }
    viewport = fullViewport();  // Direct3D resets the viewport to the new target
    ++generations[kViewport];
    renderStatesDirty = true;
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(ComRef<IDirect3DSurface9>* surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = ComRef<IDirect3DSurface9>::share(depthStencil.get());
    return depthStencil ? D3D_OK : D3DERR_NOTFOUND;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    auto* s = static_cast<Surface*>(surface);
    if (s) {
        D3DSURFACE_DESC desc{};
        s->GetDesc(&desc);
        if (!(desc.Usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
    }
    if (s != depthStencil.get()) {
        depthStencil = ComRef<Surface>::share(s);
        targetsDirty = true;
    }
    return D3D_OK;
}

HRESULT Device::CreateVertexShader(const DWORD* function, ComRef<IDirect3DVertexShader9>* shader) {
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    if (!function) return D3DERR_INVALIDCALL;
    std::string error;
    return VertexShader::create(function, VertexShader::kMaxTokens, shader, &error);
}

}  // namespace d3d9
