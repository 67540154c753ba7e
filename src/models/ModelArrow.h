// ModelArrow: a lit, double-sided ribbon following a path over the last `scale1` seconds, with an
// arrowhead at the current position and a black outline, all fading from transparent at the tail
// to opaque at the head. Built every frame into arrays the object owns and drawn from memory.
// Draws nothing while any part of the trail lies outside the path's keys.
#pragma once

#include "database/DrivenAttributes.h"
#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

#include <array>

class Path;

class ModelArrow : public Model {
public:
    struct Vertex {
        float x, y, z;     // position
        float nx, ny, nz;  // normal
        D3DCOLOR color;    // ARGB
    };
    static constexpr int sampleCount = 60;                     // ribbon pairs along the trail
    static constexpr int vertexCount = 2 * sampleCount + 3;    // pairs, head corners and tip
    static constexpr int triangleCount = 1 + 2 * (sampleCount - 1);
    static constexpr int lineCount = (sampleCount + 1) + 1 + sampleCount;

    using Model::Model;
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // false without the path
    void render(float time, float delta) override;
    float getSize() override { return 100.0f; }

    // Fills `vertices` with the ribbon at a time; false, leaving them partly built, when the path
    // does not cover the whole trail.
    bool buildTrail(float time);
    const Vertex& vertexAt(int index) const { return vertices[index]; }

private:
    Path* path = nullptr;                                      // referenced, not owned
    D3DCOLOR color = 0;                                        // 0xRRGGBB
    Driven scale1{5.0f};                                       // trail length, seconds
    Driven scale2{2.0f};                                       // ribbon width, model units
    std::array<Vertex, vertexCount> vertices{};                // rebuilt every frame
    std::array<WORD, 3 * triangleCount> triangleIndices{};    // filled at load
    std::array<WORD, 2 * lineCount> lineIndices{};            // filled at load
    ComRef<IDirect3DStateBlock9> stateBlock;                   // owned; recorded at the first render
};
