// ModelStars: 2500 camera-facing textured squares at fixed positions drawn from nextRandom after
// seeding it with 12345 (so the field is the same in every run, and nextRandom continues from
// where the field left it), in a box of half extents ("scale1", "scale2", "scale1"), blended
// additively. The squares are rebuilt every frame into an array made once at load.
#pragma once

#include "database/DrivenAttributes.h"
#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

#include <vector>

class Texture;

struct StarVertex {
    float x, y, z;
    float u, v;
};
static_assert(sizeof(StarVertex) == 20);

class ModelStars : public Model {
public:
    using Model::Model;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    void render(float time, float delta) override;
    float getSize() override { return 2.0f * scale1.value; }

    static constexpr int starCount = 2500;
    const float (*getStars() const)[3] { return stars; }
    const StarVertex* getVertices() const { return vertices.data(); }  // as the last frame built them

private:
    Driven scale1{100.0f};                    // half extent along x and z
    Driven scale2{100.0f};                    // half extent along y; driven: stars are kept in a
                                              // unit box and stretched each frame
    float stars[starCount][3] = {};           // positions
    Texture* texture = nullptr;               // referenced; none draws without selecting one
    ComRef<IDirect3DStateBlock9> stateBlock;  // recorded on the first render
    std::vector<StarVertex> vertices;         // 6 per star, rebuilt every frame
};
