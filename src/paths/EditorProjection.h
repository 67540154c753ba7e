// The editor's 3-D views: the largest centred 4:3 viewport inside a rectangle and the fixed
// 45-degree left-handed perspective that goes with it. A zero-sized viewport gives a matrix with
// non-finite entries; callers draw nothing into such a view.
#pragma once

#include "paths/Matrix4.h"
#include "platform/d3d9/d3d9types.h"

D3DVIEWPORT9 fitViewport43(DWORD x, DWORD y, DWORD width, DWORD height);  // depth range 0 to 1
Matrix4 perspective45(const D3DVIEWPORT9& viewport, float nearPlane, float farPlane);
