// ModelSky: a dome over the unit disc, a cap of the sphere of radius sqrt 2 centred at
// (0, -1, 0), so its rim lies at y = 0 and its zenith at sqrt 2 - 1. Coloured from 0xFF0060C0
// overhead to (128, 192, 255) at the rim, untextured. Uses the ring mesh with six rings.
#pragma once

#include "models/Model.h"
#include "models/RingMesh.h"
#include "platform/d3d9/d3d9.h"

#include <vector>

struct SkyVertex {
    float x, y, z;
    D3DCOLOR color;
};
static_assert(sizeof(SkyVertex) == 16);

class ModelSky : public Model {
public:
    using Model::Model;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    void render(float time, float delta) override;
    float getSize() override { return 1.0f; }

    static std::vector<SkyVertex> buildVertices(int rings);

private:
    int rings = 6;
    RingMesh mesh;
    ComRef<IDirect3DStateBlock9> stateBlock;      // recorded on the first render
};
