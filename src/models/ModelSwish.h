// ModelSwish: a light-blue line with white dots along a 40-point trail that a noise-driven damped
// oscillator extends by ten points per second of drawing, tumbling slowly about z and x. The
// phases advance by `delta` in every render; the vertices are built on the stack.
#pragma once

#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

#include <array>

class ModelSwish : public Model {
public:
    static constexpr int pointCount = 40;
    using Point = std::array<float, 3>;

    using Model::Model;
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // seeds the trail from nextRandom; never fails
    void render(float time, float delta) override;
    float getSize() override { return 64.0f; }

    const Point& trailPoint(int index) const { return trail[index]; }
    float getStepPhase() const { return stepPhase; }

private:
    void step();  // one new point at the end, the oldest dropped

    float stepPhase = 0.0f;                  // fraction of the next step, 0..1
    float angle = 0.0f;                      // tumble, radians 0..2 pi
    std::array<Point, pointCount> trail{};   // index 39 is the newest
    ComRef<IDirect3DStateBlock9> stateBlock;  // owned; recorded at the first render
};
