// ModelQuad: a textured rectangle in the XZ plane, centred on the origin, as wide and deep as its
// texture rectangle (u0, v0)-(u1, v1); a scale comes from the path of the item that places it.
// Drawn unlit, both sides, blended by the texture's alpha, without writing depth.
#pragma once

#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

class Texture;

class ModelQuad : public Model {
public:
    using Model::Model;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // fails when the vertex buffer cannot be made
    void render(float time, float delta) override;
    float getSize() override { return 1.0f; }

private:
    float u0 = 0.0f, v0 = 0.0f;  // texture coordinates of the (-x, -z) corner
    float u1 = 1.0f, v1 = 1.0f;  // of the (+x, +z) corner
    ComRef<IDirect3DVertexBuffer9> vertexBuffer;  // owned; four vertices of a fan
    Texture* texture = nullptr;                   // not owned; none draws without selecting one
    ComRef<IDirect3DStateBlock9> stateBlock;      // owned; recorded at the first draw
};
