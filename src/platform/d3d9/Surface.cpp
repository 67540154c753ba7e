#include "platform/d3d9/Surface.h"

#include "platform/d3d9/Formats.h"

namespace d3d9 {

ComRef<Surface> Surface::ofTexture(Texture* texture, UINT level) {
    auto* s = new Surface;
    s->owner = ComRef<Texture>::share(texture);
    s->level = level;
    s->surfaceFormat = texture->format();
    s->usage = texture->usage();
    s->surfaceWidth = texture->levelWidth(level);
    s->surfaceHeight = texture->levelHeight(level);
    return ComRef<Surface>::adopt(s);
}

HRESULT Surface::createOwn(const std::shared_ptr<GlContext>& context, UINT width, UINT height,
                           D3DFORMAT format, DWORD usage, UINT samples, ComRef<Surface>* result) {
    FormatInfo info = formatInfo(format);
    if (!info.internalFormat || width == 0 || height == 0) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DEPTHSTENCIL) != 0 && !info.depth) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) != 0 && !isColorTargetFormat(format)) return D3DERR_INVALIDCALL;
    ComRef<Surface> ref = ofWindow(context, width, height, format, usage);
    ref->window = false;
    ref->sampleCount = samples;
    if (!ref->makeStorage()) return D3DERR_OUTOFVIDEOMEMORY;
    *result = ref;
    return D3D_OK;
}

ComRef<Surface> Surface::ofWindow(const std::shared_ptr<GlContext>& context, UINT width, UINT height,
                                  D3DFORMAT format, DWORD usage) {
    auto* s = new Surface;
    s->context = context;
    s->surfaceFormat = format;
    s->usage = usage;
    s->surfaceWidth = width;
    s->surfaceHeight = height;
    s->window = true;
    return ComRef<Surface>::adopt(s);
}

bool Surface::leaveWindow() {
    if (!window) return true;
    window = false;
    return renderbuffer || colorTexture || makeStorage();
}

bool Surface::makeStorage() {
    const FormatInfo info = formatInfo(surfaceFormat);
    context->makeCurrent();
    while (glGetError() != GL_NO_ERROR) {
    }
    if (sampleCount <= 1 && info.internalFormat == GL_RGBA8) {
        // An unsized format lets the driver keep the bytes in the order they arrive in (B, G, R,
        // A), which is the window's own: showing the back buffer is then a copy of memory rather
        // than a drawn rectangle on a software rasterizer, and reading it back is a copy too.
        // A renderbuffer of either format still got the drawn rectangle when measured.
        glGenTextures(1, &colorTexture);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glBindTexture(GL_TEXTURE_2D, colorTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, GLsizei(surfaceWidth), GLsizei(surfaceHeight), 0, info.format,
                     info.type, nullptr);
        glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    } else {
        glGenRenderbuffers(1, &renderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
        if (sampleCount > 1)
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, sampleCount, info.internalFormat, surfaceWidth,
                                             surfaceHeight);
        else
            glRenderbufferStorage(GL_RENDERBUFFER, info.internalFormat, surfaceWidth, surfaceHeight);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
    }
    return glGetError() == GL_NO_ERROR;
}

Surface::~Surface() {
    if (renderbuffer || colorTexture) {
        context->makeCurrent();
        if (renderbuffer) glDeleteRenderbuffers(1, &renderbuffer);
        if (colorTexture) glDeleteTextures(1, &colorTexture);
    }
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    if (owner) return owner->GetLevelDesc(level, desc);
    desc->Format = surfaceFormat;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage;
    desc->Pool = D3DPOOL_DEFAULT;
    desc->MultiSampleType = sampleCount > 1 ? D3DMULTISAMPLE_NONMASKABLE : D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = surfaceWidth;
    desc->Height = surfaceHeight;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (!owner) return D3DERR_INVALIDCALL;  // targets and depth buffers are not lockable
    return owner->LockRect(level, locked, rect, flags);
}

HRESULT Surface::UnlockRect() {
    if (!owner) return D3DERR_INVALIDCALL;
    return owner->UnlockRect(level);
}

void Surface::attach(GLenum attachment) {
    if (!owner && !renderbuffer && !colorTexture) makeStorage();
    if (owner)
        glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, owner->name(), level);
    else if (colorTexture)
        glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, colorTexture, 0);
    else
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, renderbuffer);
}

}  // namespace d3d9
