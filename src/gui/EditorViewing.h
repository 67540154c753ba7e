// What the editor's 3-D views share: the orbit camera around a target, the one light they all
// draw models with, the viewport of their rectangle and the untransformed coloured vertex of
// their lines and points.
#pragma once

#include "paths/Matrix4.h"
#include "paths/Vector3.h"
#include "platform/d3d9/d3d9.h"

struct Rect;

struct WorldVertex {  // model-space position, diffuse colour
    float x, y, z;
    D3DCOLOR colour;
};
constexpr DWORD WorldVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

inline WorldVertex worldVertex(const Vector3& p, D3DCOLOR colour) {
    return {p.x, p.y, p.z, colour};
}

// The left-handed look-at matrix of an eye `distance` away from `target`, seen from `azimuth`
// around the y axis and `elevation` above the xz plane (radians); the up vector keeps the view
// upright through the poles.
Matrix4 orbitView(const Vector3& target, float distance, float azimuth, float elevation);

// The eye of that camera, for tests and for placing things at the viewer.
Vector3 orbitEye(const Vector3& target, float distance, float azimuth, float elevation);

// The viewport covering `r`, depth 0 to 1; a rectangle reaching past the top left is cut there
// (a viewport has no negative origin or size).
D3DVIEWPORT9 rectViewport(const Rect& r);

// Light 0 of the editor's views: white directional light from above and behind, enabled.
void setEditorLight();
