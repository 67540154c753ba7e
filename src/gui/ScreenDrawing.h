// Screen-space drawing shared by the toolkit's widgets: pre-transformed vertex layouts and the
// recording of a widget class's render state as tables of `state, value` lines. Every block
// starts from the toolkit's common states; the device must exist when a block is recorded.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <initializer_list>

struct ColourVertex {  // position in pixels with rhw = 1, diffuse colour
    float x, y, z, rhw;
    D3DCOLOR colour;
};
constexpr DWORD ColourVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct TexturedVertex {  // as ColourVertex, plus one texture coordinate pair
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD TexturedVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct PlainTexturedVertex {  // no colour: the texture alone decides
    float x, y, z, rhw;
    float u, v;
};
constexpr DWORD PlainTexturedVertexFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;

struct RenderStateLine {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

struct StageStateLine {
    D3DTEXTURESTAGESTATETYPE state;
    DWORD value;
};

// Records the common states, then `renderStates` (which may override them), then texture stage 0
// from `stage0` (later stages disabled) and the vertex format. Returns false without a device or
// when recording fails.
bool recordScreenState(std::initializer_list<RenderStateLine> renderStates,
                       std::initializer_list<StageStateLine> stage0, DWORD fvf,
                       ComRef<IDirect3DStateBlock9>* block);

// As recordScreenState, with stage 0 passing the vertex colour and alpha through: untextured
// drawing in the vertices' own colours.
bool recordColourState(std::initializer_list<RenderStateLine> renderStates, DWORD fvf,
                       ComRef<IDirect3DStateBlock9>* block);

// Applies a recorded block before drawing; the vertex format and the fixed-function pipeline are
// set again because some devices do not keep them in blocks.
void applyScreenState(IDirect3DStateBlock9* block, DWORD fvf);

// Corners of an axis-aligned quad, offset by -0.5 pixel so texels meet pixel centres, wound
// clockwise for a triangle fan: top-left, top-right, bottom-right, bottom-left.
void quadCorners(float x, float y, float width, float height, float corners[4][2]);

// Loads an icon picture (an RCDATA resource by number) into `texture`, releasing what it held
// first; false without a device or when the picture cannot be decoded.
bool loadIconTexture(int resource, ComRef<IDirect3DTexture9>& texture);

// Draws the bound texture over (x, y, width, height) as a fan of two triangles, coordinates (0,0)
// to (1,1), with one diffuse colour per corner: top-left, top-right, bottom-right, bottom-left.
void drawTexturedQuad(float x, float y, float width, float height, const D3DCOLOR colours[4]);

// A panel over (x, y, width, height) in colour vertices: filled from `left` to `right` inside a
// one-pixel `border` line; with `inset`, a second line one pixel inside the first.
void drawFramedPanel(float x, float y, float width, float height, D3DCOLOR left, D3DCOLOR right, D3DCOLOR border,
                     bool inset = false);
