// ModelHat: another model spun about its vertical axis, half a turn per second of drawing (the
// phase advances by `delta` in every render). WORLD is left at the spun matrix.
#pragma once

#include "models/ModelMover.h"

class ModelHat : public ModelMover {
public:
    using ModelMover::ModelMover;
    Object* castTo(ObjectType type) override;

    float getSpinPhase() const { return spinPhase; }

private:
    Matrix4 advance(float delta) override;

    float spinPhase = 0.0f;  // revolutions, never wrapped
};
