// Glyph quads as the font and the sprite draw them: pre-transformed, coloured, textured by the
// glyph atlas, two triangles of a triangle list each. The states they need are recorded once per
// owner in a state block; the render, stage and sampler states they change are put back after
// drawing, as the extension library's sprite does, so a scene drawn later keeps its own.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <array>

namespace d3dx {

struct TextVertex {
    float x, y, z, rhw;  // pixels, corners already offset by -0.5
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD textVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct TextQuad {
    IDirect3DTexture9* texture;  // the atlas of the font that made it; not owned
    TextVertex corners[4];       // top left, top right, bottom right, bottom left
};

// The values of the states text drawing changes, as they were before it.
struct SavedTextStates {
    std::array<DWORD, 16> render{};
    std::array<DWORD, 16> stage{};
    std::array<DWORD, 8> sampler{};
};

class TextQuads {
public:
    static void saveStates(IDirect3DDevice9* device, SavedTextStates& saved);
    static void restoreStates(IDirect3DDevice9* device, const SavedTextStates& saved);
    // Records (on first use) and applies the states of text drawing: alpha blending of
    // texture x colour, no depth, no culling, no lighting, point sampling of the atlas.
    static void applyStates(IDirect3DDevice9* device, ComRef<IDirect3DStateBlock9>& block);
    // Draws quads that share one texture, through `scratch` (6 vertices per quad).
    static void draw(IDirect3DDevice9* device, const TextQuad* const* quads, std::size_t count, TextVertex* scratch,
                     std::size_t scratchQuads);
};

}  // namespace d3dx
