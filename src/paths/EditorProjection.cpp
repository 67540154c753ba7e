#include "paths/EditorProjection.h"

D3DVIEWPORT9 fitViewport43(DWORD x, DWORD y, DWORD width, DWORD height) {
    D3DVIEWPORT9 viewport{x, y, width, height, 0.0f, 1.0f};
    if (3 * width < 4 * height) {
        viewport.Height = (3 * width) / 4;
        viewport.Y += (height - viewport.Height) / 2;
    } else {
        viewport.Width = (4 * height) / 3;
        viewport.X += (width - viewport.Width) / 2;
    }
    return viewport;
}

Matrix4 perspective45(const D3DVIEWPORT9& viewport, float nearPlane, float farPlane) {
    const float cotHalfFov = 2.4142137f;  // cot 22.5 degrees
    Matrix4 r;
    r.m[0][0] = static_cast<float>(viewport.Height) * cotHalfFov / static_cast<float>(viewport.Width);
    r.m[1][1] = cotHalfFov;
    r.m[2][2] = farPlane / (farPlane - nearPlane);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -nearPlane * farPlane / (farPlane - nearPlane);
    return r;
}
