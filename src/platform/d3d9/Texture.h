// A Direct3D texture on a GL 2-D texture. Lockable textures (managed, system-memory and dynamic)
// keep their texels in memory, top row first as Direct3D lays them out; unlocking uploads the
// locked rectangle. Render-target textures live only in GL and are drawn upside down in GL terms,
// so that the first row of the GL texture is the top of the picture, as in Direct3D.
#pragma once

#include "platform/d3d9/GlContext.h"
#include "platform/d3d9/LiveObjects.h"
#include "platform/d3d9/d3d9.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace d3d9 {

class Texture final : public IDirect3DTexture9 {
public:
    static HRESULT create(const std::shared_ptr<GlContext>& context, UINT width, UINT height, UINT levels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool, UINT maxSize,
                          ComRef<IDirect3DTexture9>* texture);

    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, ComRef<IDirect3DSurface9>* surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    void GenerateMipSubLevels() override;

    GLuint name() const { return texture; }
    D3DFORMAT format() const { return textureFormat; }
    DWORD usage() const { return textureUsage; }
    UINT levelWidth(UINT level) const { return std::max(1u, width >> level); }
    UINT levelHeight(UINT level) const { return std::max(1u, height >> level); }
    void contentChanged();  // drawn into: regenerates automatic mip levels

private:
    Counted counted{&LiveObjects::textures};
    Texture() = default;
    ~Texture() override;

    struct Level {
        std::vector<BYTE> memory;  // lockable pools only; allocated on first lock
        bool locked = false;
        RECT lockedRect{};
        DWORD lockFlags = 0;
    };

    std::shared_ptr<GlContext> context;
    GLuint texture = 0;           // owned
    D3DFORMAT textureFormat = D3DFMT_UNKNOWN;
    DWORD textureUsage = 0;
    D3DPOOL pool = D3DPOOL_MANAGED;
    UINT width = 0, height = 0;
    UINT levelCount = 1;          // levels Direct3D shows (1 with automatic mip generation)
    UINT glLevels = 1;            // levels GL holds
    std::vector<Level> levels;
};

}  // namespace d3d9
