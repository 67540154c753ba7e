#include "platform/d3dx/Font.h"

#include "platform/d3dx/Sprite.h"
#include "platform/win/Resources.h"

#include <algorithm>
#include <cstring>

namespace d3dx {

namespace {

constexpr const char* fontResource = "DejaVuSans.ttf";  // stands for every face name asked for

int half(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }  // rounds down

}  // namespace

HRESULT Font::create(IDirect3DDevice9* device, const unsigned char* fontData, std::size_t size, int height,
                     unsigned weight, bool italic, DWORD quality, ComRef<ID3DXFont>* font) {
    if (!device || !fontData || !font) return D3DERR_INVALIDCALL;
    font->reset();
    ComRef<Font> created = ComRef<Font>::adopt(new Font());
    std::string error;
    if (!created->atlas.build(fontData, size, height, weight, italic, quality != nonAntialiasedQuality, error))
        return D3DERR_INVALIDCALL;
    const GlyphAtlas& atlas = created->atlas;
    HRESULT hr = device->CreateTexture(UINT(atlas.atlasWidth), UINT(atlas.atlasHeight), 1, 0, D3DFMT_A8R8G8B8,
                                       D3DPOOL_MANAGED, &created->texture);
    if (FAILED(hr)) return hr;
    D3DLOCKED_RECT locked{};
    hr = created->texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    for (int y = 0; y < atlas.atlasHeight; ++y)
        std::memcpy(static_cast<unsigned char*>(locked.pBits) + std::size_t(y) * locked.Pitch,
                    &atlas.pixels[std::size_t(y) * atlas.atlasWidth], std::size_t(atlas.atlasWidth) * 4);
    created->texture->UnlockRect(0);
    created->device = ComRef<IDirect3DDevice9>::share(device);
    *font = ComRef<ID3DXFont>::share(created.get());
    return D3D_OK;
}

INT Font::DrawTextA(ID3DXSprite* sprite, const char* text, INT textCount, RECT* rect, DWORD format,
                    D3DCOLOR color) {
    if (!text || !rect) return 0;
    std::size_t length = textCount < 0 ? std::strlen(text) : std::size_t(textCount);
    int width = atlas.measure(text, length);
    if (format & DT_CALCRECT) {
        rect->right = rect->left + width;
        rect->bottom = rect->top + atlas.lineHeight;
        return atlas.lineHeight;
    }

    int x = int(rect->left);
    if (format & DT_CENTER) x = int(rect->left) + half(int(rect->right - rect->left) - width);
    else if (format & DT_RIGHT) x = int(rect->right) - width;
    int y = int(rect->top);
    if (format & DT_VCENTER) y = int(rect->top) + half(int(rect->bottom - rect->top) - atlas.lineHeight);
    else if (format & DT_BOTTOM) y = int(rect->bottom) - atlas.lineHeight;
    int baseline = y + atlas.ascent;
    bool clip = !(format & DT_NOCLIP);

    Sprite* batch = sprite ? static_cast<Sprite*>(sprite) : nullptr;
    if (batch && !batch->isBegun()) batch = nullptr;
    float scaleU = 1.0f / float(atlas.atlasWidth), scaleV = 1.0f / float(atlas.atlasHeight);
    int pen = x;
    for (std::size_t i = 0; i < length; ++i) {
        const Glyph* g = atlas.glyphFor(static_cast<unsigned char>(text[i]));
        if (!g) continue;
        int x0 = pen + g->left, y0 = baseline - g->top, x1 = x0 + g->width, y1 = y0 + g->height;
        pen += g->advance;
        int u0 = g->x, v0 = g->y;  // atlas texel of (x0, y0)
        if (clip) {
            int cx0 = std::max<int>(x0, int(rect->left)), cy0 = std::max<int>(y0, int(rect->top));
            int cx1 = std::min<int>(x1, int(rect->right)), cy1 = std::min<int>(y1, int(rect->bottom));
            u0 += cx0 - x0;
            v0 += cy0 - y0;
            x0 = cx0, y0 = cy0, x1 = cx1, y1 = cy1;
        }
        if (x1 <= x0 || y1 <= y0) continue;
        int u1 = u0 + (x1 - x0), v1 = v0 + (y1 - y0);
        TextQuad quad;
        quad.texture = texture.get();
        float left = float(x0) - 0.5f, top = float(y0) - 0.5f, right = float(x1) - 0.5f, bottom = float(y1) - 0.5f;
        quad.corners[0] = {left, top, 0.0f, 1.0f, color, u0 * scaleU, v0 * scaleV};
        quad.corners[1] = {right, top, 0.0f, 1.0f, color, u1 * scaleU, v0 * scaleV};
        quad.corners[2] = {right, bottom, 0.0f, 1.0f, color, u1 * scaleU, v1 * scaleV};
        quad.corners[3] = {left, bottom, 0.0f, 1.0f, color, u0 * scaleU, v1 * scaleV};
        if (batch) {
            batch->add(quad);
        } else {
            quads[count++] = quad;
            if (count == capacity) flush();
        }
    }
    flush();
    return atlas.lineHeight;
}

void Font::flush() {
    if (count == 0) return;
    SavedTextStates saved;
    TextQuads::saveStates(device.get(), saved);
    TextQuads::applyStates(device.get(), stateBlock);
    for (std::size_t i = 0; i < count; ++i) order[i] = &quads[i];
    TextQuads::draw(device.get(), order.data(), count, scratch.data(), capacity);
    TextQuads::restoreStates(device.get(), saved);
    count = 0;
}

HRESULT Font::PreloadCharacters(UINT first, UINT last) { return first <= last ? D3D_OK : D3DERR_INVALIDCALL; }

}  // namespace d3dx

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT mipLevels, BOOL italic,
                        DWORD charSet, DWORD outputPrecision, DWORD quality, DWORD pitchAndFamily,
                        const char* faceName, ComRef<ID3DXFont>* font) {
    if (font) font->reset();
    win::ResourceBytes bytes = win::findResource(d3dx::fontResource);
    if (!bytes) return D3DERR_NOTAVAILABLE;
    return d3dx::Font::create(device, bytes.data, bytes.size, height, weight, italic != FALSE, quality, font);
}
