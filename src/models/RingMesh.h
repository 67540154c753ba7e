// RingMesh: the disc mesh that the sea and the sky share, a centre and R rings of 6k vertices
// joined band by band, in managed buffers made once at load. The vertices are the model's own;
// the mesh knows only their count, size and format.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <vector>

// The ring mesh of R rings: 3 R (R + 1) + 1 vertices, 6 R^2 triangles.
int ringVertexCount(int rings);
int ringTriangleCount(int rings);
std::vector<uint16_t> buildRingIndices(int rings);
// Calls at(d, a) for every ring vertex in order, the centre first (d = 0, a = 0); ring k has
// radius k / R and its angle steps by 2 pi / 6k, accumulated.
template <class At>
void forEachRingVertex(int rings, At at);

class RingMesh {
public:
    // `vertices` holds ringVertexCount(rings) vertices of `stride` bytes; false when a buffer
    // cannot be made or filled.
    bool create(int rings, const void* vertices, UINT stride, DWORD fvf);
    void draw() const;  // a triangle list, through the state the model has applied

private:
    UINT stride = 0;
    int vertexCount = 0;
    int triangleCount = 0;
    ComRef<IDirect3DVertexBuffer9> vertexBuffer;  // owned
    ComRef<IDirect3DIndexBuffer9> indexBuffer;    // owned
};

template <class At>
void forEachRingVertex(int rings, At at) {
    at(0.0f, 0.0f);
    for (int k = 1; k <= rings; ++k) {
        const float d = static_cast<float>(k) / static_cast<float>(rings);
        const float step = 2.0f * 3.14159265f / static_cast<float>(6 * k);
        float a = 0.0f;
        for (int j = 0; j < 6 * k; ++j) {
            at(d, a);
            a += step;
        }
    }
}
