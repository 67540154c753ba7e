// Textures from picture files: decoded, then every level of the mip chain written through
// LockRect, so that what is sampled does not depend on the device's own mip generation.
#include "platform/d3dx/PictureDecoder.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/win/Resources.h"

#include <algorithm>
#include <cstring>

bool D3DXCheckPictureInMemory(const void* data, UINT size, std::string* why) {
    d3dx::Picture picture;
    return d3dx::PictureDecoder::decode(data, size, picture, *why);
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, const void* data, UINT size,
                                          ComRef<IDirect3DTexture9>* texture) {
    if (!device || !data || !texture) return D3DERR_INVALIDCALL;
    texture->reset();
    d3dx::Picture picture;
    std::string error;
    if (!d3dx::PictureDecoder::decode(data, size, picture, error)) return D3DERR_INVALIDCALL;
    std::vector<d3dx::Picture> chain = d3dx::makeMipChain(picture);
    D3DFORMAT format = picture.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    ComRef<IDirect3DTexture9> created;
    HRESULT hr = device->CreateTexture(UINT(picture.width), UINT(picture.height), UINT(chain.size()), 0, format,
                                       D3DPOOL_MANAGED, &created);
    if (FAILED(hr)) return hr;
    UINT levels = std::min<UINT>(created->GetLevelCount(), UINT(chain.size()));
    for (UINT level = 0; level < levels; ++level) {
        const d3dx::Picture& source = chain[level];
        D3DLOCKED_RECT locked{};
        hr = created->LockRect(level, &locked, nullptr, 0);
        if (FAILED(hr)) return hr;
        for (int y = 0; y < source.height; ++y)
            std::memcpy(static_cast<unsigned char*>(locked.pBits) + std::size_t(y) * locked.Pitch,
                        &source.pixels[std::size_t(y) * source.width], std::size_t(source.width) * 4);
        created->UnlockRect(level);
    }
    *texture = std::move(created);
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromResourceA(IDirect3DDevice9* device, HMODULE module, const char* name,
                                       ComRef<IDirect3DTexture9>* texture) {
    if (texture) texture->reset();
    win::ResourceBytes bytes = win::findResource(name);
    if (!bytes) return D3DERR_NOTAVAILABLE;
    return D3DXCreateTextureFromFileInMemory(device, bytes.data, UINT(bytes.size), texture);
}

HRESULT D3DXCreateTextureFromResourceA(IDirect3DDevice9* device, HMODULE module, int number,
                                       ComRef<IDirect3DTexture9>* texture) {
    if (texture) texture->reset();
    win::ResourceBytes bytes = win::findResource(number);
    if (!bytes) return D3DERR_NOTAVAILABLE;
    return D3DXCreateTextureFromFileInMemory(device, bytes.data, UINT(bytes.size), texture);
}
