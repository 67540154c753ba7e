// The standard teapot: Newell's Bezier patches (rim, body, lid, bottom, handle and spout, the
// quarter and half patches mirrored into 32), each tessellated into 6 x 6 quads, coincident
// vertices shared, the triangles that collapse at the lid's tip and the bottom's centre left out:
// 1178 vertices and 2256 faces with position and normal. y is up, the bottom at y = -1.575 and
// the lid's tip at +1.575; the spout points along +x. Front faces are clockwise.
#pragma once

#include "platform/d3dx/MeshData.h"

namespace d3dx {

class Teapot {
public:
    static MeshData build();
};

}  // namespace d3dx
