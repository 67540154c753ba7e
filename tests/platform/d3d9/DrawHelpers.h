// Small helpers the device conformance tests share: vertex layouts, quads drawn with Direct3D's
// pixel-centre convention, textures filled from texel lists and colour comparisons with a
// tolerance per channel.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace d3d9test {

struct ScreenVertex {  // XYZRHW | DIFFUSE | TEX1
    float x, y, z, rhw;
    DWORD color;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct ColorVertex {  // XYZ | DIFFUSE
    float x, y, z;
    DWORD color;
};
constexpr DWORD kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// A pre-transformed quad covering pixels [x0, x1) x [y0, y1): corners offset by -0.5.
inline HRESULT drawScreenQuad(IDirect3DDevice9* d, float x0, float y0, float x1, float y1, DWORD color,
                              float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1, float z = 0.5f) {
    ScreenVertex q[4] = {
        {x0 - 0.5f, y0 - 0.5f, z, 1, color, u0, v0},
        {x1 - 0.5f, y0 - 0.5f, z, 1, color, u1, v0},
        {x0 - 0.5f, y1 - 0.5f, z, 1, color, u0, v1},
        {x1 - 0.5f, y1 - 0.5f, z, 1, color, u1, v1},
    };
    d->SetFVF(kScreenFvf);
    return d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertex));
}

// A quad over clip space x, y in [-1, 1] at depth z (untransformed, identity matrices assumed).
inline HRESULT drawClipQuad(IDirect3DDevice9* d, DWORD color, float z = 0.5f) {
    ColorVertex q[4] = {{-1, 1, z, color}, {1, 1, z, color}, {-1, -1, z, color}, {1, -1, z, color}};
    d->SetFVF(kColorFvf);
    return d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ColorVertex));
}

inline ComRef<IDirect3DTexture9> makeTexture(IDirect3DDevice9* d, UINT w, UINT h, D3DFORMAT format,
                                             const std::vector<DWORD>& texels) {
    ComRef<IDirect3DTexture9> t;
    if (FAILED(d->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &t))) return nullptr;
    D3DLOCKED_RECT r;
    if (FAILED(t->LockRect(0, &r, nullptr, 0))) return nullptr;
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            auto* row = static_cast<BYTE*>(r.pBits) + y * r.Pitch;
            DWORD c = texels[y * w + x];
            if (format == D3DFMT_L8 || format == D3DFMT_A8) row[x] = BYTE(c);
            else reinterpret_cast<DWORD*>(row)[x] = c;
        }
    t->UnlockRect(0);
    return t;
}

inline void noLighting(IDirect3DDevice9* d) {
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
}

// Each of the three colour channels within `tolerance` (alpha ignored, as the reference readings do).
inline ::testing::AssertionResult colorNear(DWORD actual, DWORD expected, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        int a = int((actual >> shift) & 0xff), e = int((expected >> shift) & 0xff);
        if (std::abs(a - e) > tolerance) {
            char text[96];
            std::snprintf(text, sizeof text, "got 0x%06x, expected 0x%06x (+-%d)", unsigned(actual & 0xffffff),
                          unsigned(expected & 0xffffff), tolerance);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace d3d9test
