// The sprite batch: between Begin and End, text that fonts draw through it is collected as
// glyph quads (sorted by texture with D3DXSPRITE_SORT_TEXTURE) and drawn by End, with alpha
// blending when Begin asked for D3DXSPRITE_ALPHABLEND. A full batch is drawn early. Collecting
// and drawing allocate nothing.
#pragma once

#include "platform/d3dx/TextQuads.h"
#include "platform/d3dx/d3dx9.h"

#include <array>

namespace d3dx {

class Sprite final : public ID3DXSprite {
public:
    static HRESULT create(IDirect3DDevice9* device, ComRef<ID3DXSprite>* sprite);

    HRESULT Begin(DWORD flags) override;  // D3DERR_INVALIDCALL when already begun
    HRESULT End() override;               // D3DERR_INVALIDCALL when not begun

    bool isBegun() const { return begun; }
    void add(const TextQuad& quad);

private:
    Sprite() = default;
    ~Sprite() override = default;
    void flush();

    static constexpr std::size_t capacity = 1024;  // quads held before an early draw

    ComRef<IDirect3DDevice9> device;
    ComRef<IDirect3DStateBlock9> stateBlock;  // recorded on the first flush
    bool begun = false;
    DWORD flags = 0;                          // of the current Begin
    std::size_t count = 0;                    // quads collected
    std::array<TextQuad, capacity> quads;
    std::array<const TextQuad*, capacity> order;
    std::array<TextVertex, 6 * 256> scratch;
};

}  // namespace d3dx
