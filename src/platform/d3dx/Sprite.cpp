#include "platform/d3dx/Sprite.h"

namespace d3dx {

HRESULT Sprite::create(IDirect3DDevice9* device, ComRef<ID3DXSprite>* sprite) {
    if (!device || !sprite) return D3DERR_INVALIDCALL;
    Sprite* created = new Sprite();
    created->device = ComRef<IDirect3DDevice9>::share(device);
    *sprite = ComRef<ID3DXSprite>::adopt(created);
    return D3D_OK;
}

HRESULT Sprite::Begin(DWORD beginFlags) {
    if (begun) return D3DERR_INVALIDCALL;
    begun = true;
    flags = beginFlags;
    count = 0;
    return D3D_OK;
}

HRESULT Sprite::End() {
    if (!begun) return D3DERR_INVALIDCALL;
    flush();
    begun = false;
    return D3D_OK;
}

void Sprite::add(const TextQuad& quad) {
    if (count == capacity) flush();
    quads[count++] = quad;
}

void Sprite::flush() {
    if (count == 0) return;
    for (std::size_t i = 0; i < count; ++i) order[i] = &quads[i];
    if (flags & D3DXSPRITE_SORT_TEXTURE) {
        // Insertion sort: stable, in place, and nearly linear for the few textures text uses.
        for (std::size_t i = 1; i < count; ++i) {
            const TextQuad* quad = order[i];
            std::size_t j = i;
            for (; j > 0 && order[j - 1]->texture > quad->texture; --j) order[j] = order[j - 1];
            order[j] = quad;
        }
    }
    SavedTextStates saved;
    TextQuads::saveStates(device.get(), saved);
    TextQuads::applyStates(device.get(), stateBlock);
    if (!(flags & D3DXSPRITE_ALPHABLEND)) device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    std::size_t start = 0;
    for (std::size_t i = 1; i <= count; ++i) {
        if (i == count || order[i]->texture != order[start]->texture) {
            TextQuads::draw(device.get(), &order[start], i - start, scratch.data(), scratch.size() / 6);
            start = i;
        }
    }
    TextQuads::restoreStates(device.get(), saved);
    count = 0;
}

}  // namespace d3dx

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ComRef<ID3DXSprite>* sprite) {
    return d3dx::Sprite::create(device, sprite);
}
