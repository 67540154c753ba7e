// ModelBoing: another model bounced from side to side along x, hopping in y and spinning while
// it goes. The phases advance by the frame's `delta` in every render, so the motion follows the
// drawing, not the demo time. WORLD is left at the bounced matrix.
#pragma once

#include "models/ModelMover.h"
#include "paths/Matrix4.h"

class ModelBoing : public ModelMover {
public:
    using ModelMover::ModelMover;
    Object* castTo(ObjectType type) override;

    // The motion at two phases: R x T, pre-multiplied onto WORLD by render.
    static Matrix4 motionMatrix(float swingPhase, float bouncePhase);
    float getSwingPhase() const { return swingPhase; }
    float getBouncePhase() const { return bouncePhase; }

private:
    Matrix4 advance(float delta) override;

    float swingPhase = 0.0f;   // 0..1, one side to the other and back
    float bouncePhase = 0.0f;  // 0..1, one hop
};
