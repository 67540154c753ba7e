// ModelSea: a flat disc of water of radius 1 in the XZ plane, its texture repeated more densely
// towards the rim and its opacity fading from 224 at the centre to 32 at the rim. Built once at
// load; "texture" is optional.
#pragma once

#include "models/Model.h"
#include "models/RingMesh.h"
#include "platform/d3d9/d3d9.h"

#include <vector>

class Texture;

struct SeaVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(SeaVertex) == 24);

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
    RingMesh mesh;
    Texture* texture = nullptr;                   // referenced; none draws without selecting one
    ComRef<IDirect3DStateBlock9> stateBlock;      // recorded on the first render
};
