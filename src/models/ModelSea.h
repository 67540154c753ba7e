// ModelSea: a flat disc of water of radius 1 in the XZ plane, its texture repeated more densely
// towards the rim and its opacity fading from 224 at the centre to 32 at the rim. Built once at
// load; "texture" is optional. Also holds the ring mesh that the sea and the sky share: a centre
// and R rings of 6k vertices, joined band by band.
#pragma once

#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <vector>

class Texture;

struct SeaVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(SeaVertex) == 24);

// The ring mesh of R rings: 3 R (R + 1) + 1 vertices, 6 R^2 triangles.
int ringVertexCount(int rings);
int ringTriangleCount(int rings);
std::vector<uint16_t> buildRingIndices(int rings);
// Calls at(d, a) for every ring vertex in order, the centre first (d = 0, a = 0); ring k has
// radius k / R and its angle steps by 2 pi / 6k, accumulated.
template <class At>
void forEachRingVertex(int rings, At at);

class ModelSea : public Model {
public:
    using Model::Model;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    void render(float time, float delta) override;
    float getSize() override { return 1.0f; }

    static std::vector<SeaVertex> buildVertices(int rings);

private:
    int rings = 5;
    int vertexCount = 0;
    int triangleCount = 0;
    ComRef<IDirect3DVertexBuffer9> vertexBuffer;  // owned
    ComRef<IDirect3DIndexBuffer9> indexBuffer;    // owned
    Texture* texture = nullptr;                   // referenced; none draws without selecting one
    ComRef<IDirect3DStateBlock9> stateBlock;      // recorded on the first render
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

// Creates a write-only managed buffer and copies `bytes` into it; false when it cannot be made
// or locked.
bool fillVertexBuffer(const void* data, UINT bytes, DWORD fvf, ComRef<IDirect3DVertexBuffer9>& buffer);
bool fillIndexBuffer(const std::vector<uint16_t>& indices, ComRef<IDirect3DIndexBuffer9>& buffer);
