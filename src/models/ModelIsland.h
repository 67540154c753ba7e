// ModelIsland: a lit 32 x 32 height-field terrain from the resource "IslandMap.raw" (one byte per
// vertex, row = z, column = x; 0 is ground under the water, drawn at -32). Built once at load into
// managed buffers and drawn with one indexed draw; "texture" is optional.
#pragma once

#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Texture;

struct IslandVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(IslandVertex) == 32);

class ModelIsland : public Model {
public:
    using Model::Model;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    void render(float time, float delta) override;
    float getSize() override { return static_cast<float>(gridSize); }

    static constexpr int gridSize = 32;  // vertices per side
    static constexpr int vertexCount = gridSize * gridSize;
    static constexpr int triangleCount = 2 * (gridSize - 1) * (gridSize - 1);

    // The triangles, two per grid square in row order.
    static std::vector<uint16_t> buildIndices();
    // Positions, accumulated texture steps and normals from a map of at least vertexCount bytes;
    // false for a shorter map.
    static bool buildVertices(const unsigned char* map, size_t size, const std::vector<uint16_t>& indices,
                              std::vector<IslandVertex>& vertices);

private:
    ComRef<IDirect3DVertexBuffer9> vertexBuffer;  // owned
    ComRef<IDirect3DIndexBuffer9> indexBuffer;    // owned
    Texture* texture = nullptr;                   // referenced; none draws without selecting one
    ComRef<IDirect3DStateBlock9> stateBlock;      // recorded on the first render
};
