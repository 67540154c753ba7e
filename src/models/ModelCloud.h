// ModelCloud: a volumetric cloud as fifteen textured slices through a 64-unit cube, five per axis,
// each slice present twice with opposite windings (back-face culling then picks the order that
// blends roughly back to front). The vertex shader "Cloud.vso" stretches the cube by "scale1"
// (y) and "scale2" (z) and fades each slice by how squarely it faces the camera. Geometry, shader
// and state block exist once for all clouds; the last cloud destroyed releases them.
#pragma once

#include "database/DrivenAttributes.h"
#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <vector>

class Texture;

struct CloudVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(CloudVertex) == 32);

class ModelCloud : public Model {
public:
    explicit ModelCloud(Database* database);
    ~ModelCloud() override;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    void render(float time, float delta) override;
    float getSize() override { return 64.0f; }

    // Quad q = 3 s + axis lies at -16 + 8 s on that axis and shows atlas tile q.
    static std::vector<CloudVertex> buildVertices();
    // Quad i with one winding, then quad 14 - i with the other, for i = 0 to 14.
    static std::vector<uint16_t> buildIndices();
    static int liveClouds() { return cloudCount; }
    static IDirect3DVertexShader9* shader() { return cloudShader.get(); }

private:
    int vertexCount = 60;
    int triangleCount = 60;
    float shaderScale[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // c8: (1, scale1, scale2, 1)
    Driven scale1{1.0f}, scale2{1.0f};                // "@Name": c8 follows the floats
    Texture* texture = nullptr;                       // referenced; none draws without selecting one

    static ComRef<IDirect3DIndexBuffer9> cloudIndexBuffer;
    static ComRef<IDirect3DVertexBuffer9> cloudVertexBuffer;
    static ComRef<IDirect3DVertexShader9> cloudShader;
    static ComRef<IDirect3DStateBlock9> cloudStateBlock;
    static int cloudCount;  // live clouds
};
