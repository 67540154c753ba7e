#include "platform/d3d9/Texture.h"

#include "platform/d3d9/Formats.h"
#include "platform/d3d9/Surface.h"

#include <cstring>

namespace d3d9 {

HRESULT Texture::create(const std::shared_ptr<GlContext>& context, UINT width, UINT height, UINT levels,
                        DWORD usage, D3DFORMAT format, D3DPOOL pool, UINT maxSize,
                        ComRef<IDirect3DTexture9>* result) {
    if (!result) return D3DERR_INVALIDCALL;
    *result = nullptr;
    FormatInfo info = formatInfo(format);
    if (width == 0 || height == 0 || width > maxSize || height > maxSize) return D3DERR_INVALIDCALL;
    if (!info.internalFormat || info.depth) return D3DERR_INVALIDCALL;
    const bool renderTarget = usage & D3DUSAGE_RENDERTARGET;
    if (renderTarget && (pool != D3DPOOL_DEFAULT || !isColorTargetFormat(format))) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;

    UINT fullChain = 1;
    while ((std::max(width, height) >> fullChain) > 0) ++fullChain;
    if (levels > fullChain) return D3DERR_INVALIDCALL;
    const bool autoMips = usage & D3DUSAGE_AUTOGENMIPMAP;

    auto* t = new Texture;
    ComRef<Texture> owner = ComRef<Texture>::adopt(t);
    t->context = context;
    t->textureFormat = format;
    t->textureUsage = usage;
    t->pool = pool;
    t->width = width;
    t->height = height;
    t->levelCount = autoMips ? 1 : (levels == 0 ? fullChain : levels);
    t->glLevels = autoMips ? fullChain : t->levelCount;
    t->levels.resize(t->levelCount);

    context->makeCurrent();
    glGenTextures(1, &t->texture);
    context->bindTextureForUpdate(t->texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (UINT l = 0; l < t->glLevels; ++l)
        glTexImage2D(GL_TEXTURE_2D, l, info.internalFormat, t->levelWidth(l), t->levelHeight(l), 0, info.format,
                     info.type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, t->glLevels - 1);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, info.swizzle);
    if (glGetError() == GL_OUT_OF_MEMORY) return D3DERR_OUTOFVIDEOMEMORY;
    *result = ComRef<IDirect3DTexture9>::share(t);
    return D3D_OK;
}

Texture::~Texture() {
    if (texture) {
        context->makeCurrent();
        context->textureDeleted(texture);
        glDeleteTextures(1, &texture);
    }
}

DWORD Texture::GetLevelCount() { return levelCount; }

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= levelCount || !desc) return D3DERR_INVALIDCALL;
    desc->Format = textureFormat;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = textureUsage;
    desc->Pool = pool;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = levelWidth(level);
    desc->Height = levelHeight(level);
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, ComRef<IDirect3DSurface9>* surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= levelCount) return D3DERR_INVALIDCALL;
    ComRef<Surface> s = Surface::ofTexture(this, level);
    *surface = ComRef<IDirect3DSurface9>::share(s.get());
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (level >= levelCount || !locked) return D3DERR_INVALIDCALL;
    const bool lockable = pool != D3DPOOL_DEFAULT || (textureUsage & D3DUSAGE_DYNAMIC);
    if (!lockable) return D3DERR_INVALIDCALL;
    Level& l = levels[level];
    if (l.locked) return D3DERR_INVALIDCALL;
    const long w = levelWidth(level), h = levelHeight(level);
    RECT r = rect ? *rect : RECT{0, 0, w, h};
    if (r.left < 0 || r.top < 0 || r.right > w || r.bottom > h || r.left >= r.right || r.top >= r.bottom)
        return D3DERR_INVALIDCALL;
    const UINT bpp = formatInfo(textureFormat).bytesPerPixel;
    if (l.memory.empty()) l.memory.assign(size_t(w) * h * bpp, 0);
    l.locked = true;
    l.lockedRect = r;
    l.lockFlags = flags;
    locked->Pitch = static_cast<INT>(w * bpp);
    locked->pBits = l.memory.data() + (size_t(r.top) * w + r.left) * bpp;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= levelCount || !levels[level].locked) return D3DERR_INVALIDCALL;
    Level& l = levels[level];
    l.locked = false;
    if (l.lockFlags & D3DLOCK_READONLY) return D3D_OK;
    const FormatInfo info = formatInfo(textureFormat);
    const RECT& r = l.lockedRect;
    context->makeCurrent();
    context->bindTextureForUpdate(texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(levelWidth(level)));
    const BYTE* first = l.memory.data() + (size_t(r.top) * levelWidth(level) + r.left) * info.bytesPerPixel;
    glTexSubImage2D(GL_TEXTURE_2D, level, r.left, r.top, r.right - r.left, r.bottom - r.top, info.format,
                    info.type, first);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    if (level == 0 && (textureUsage & D3DUSAGE_AUTOGENMIPMAP)) glGenerateMipmap(GL_TEXTURE_2D);
    return D3D_OK;
}

void Texture::GenerateMipSubLevels() {
    if (glLevels <= 1) return;
    context->makeCurrent();
    context->bindTextureForUpdate(texture);
    glGenerateMipmap(GL_TEXTURE_2D);
}

void Texture::contentChanged() {
    if (textureUsage & D3DUSAGE_AUTOGENMIPMAP) GenerateMipSubLevels();
}

}  // namespace d3d9
