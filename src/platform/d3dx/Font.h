// The font object: a glyph atlas texture made once at creation, text measured from the atlas's
// advances and drawn as glyph quads in the text colour (alpha = coverage x colour alpha). Drawn
// through a begun sprite, the quads join its batch; otherwise the font sets its own states and
// draws at once. Drawing allocates nothing.
#pragma once

#include "platform/d3dx/GlyphAtlas.h"
#include "platform/d3dx/TextQuads.h"
#include "platform/d3dx/d3dx9.h"

#include <array>

namespace d3dx {

class Font final : public ID3DXFont {
public:
    static constexpr DWORD nonAntialiasedQuality = 3;

    static HRESULT create(IDirect3DDevice9* device, const unsigned char* fontData, std::size_t size, int height,
                          unsigned weight, bool italic, DWORD quality, ComRef<ID3DXFont>* font);

    INT DrawTextA(ID3DXSprite* sprite, const char* text, INT count, RECT* rect, DWORD format,
                  D3DCOLOR color) override;
    HRESULT PreloadCharacters(UINT first, UINT last) override;  // every character is loaded at creation

    const GlyphAtlas& glyphs() const { return atlas; }

private:
    Font() = default;
    ~Font() override = default;
    void flush();

    static constexpr std::size_t capacity = 256;  // quads drawn at once without a sprite

    ComRef<IDirect3DDevice9> device;
    ComRef<IDirect3DTexture9> texture;        // the atlas, A8R8G8B8
    ComRef<IDirect3DStateBlock9> stateBlock;  // recorded on the first draw without a sprite
    GlyphAtlas atlas;
    std::size_t count = 0;                    // quads waiting
    std::array<TextQuad, capacity> quads;
    std::array<const TextQuad*, capacity> order;
    std::array<TextVertex, capacity * 6> scratch;
};

}  // namespace d3dx
