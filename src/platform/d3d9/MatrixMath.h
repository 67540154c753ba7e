// The two matrix operations the device and the extension library both need, with Direct3D's
// row-vector convention: multiply(a, b) applies a first.
#pragma once

#include "platform/d3d9/d3d9types.h"

namespace d3d9 {

inline D3DMATRIX identityMatrix() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

inline D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

}  // namespace d3d9
