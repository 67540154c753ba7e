#include "models/ModelHat.h"

#include <numbers>

Object* ModelHat::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelHat);
}

Matrix4 ModelHat::advance(float delta) {
    spinPhase += 0.5f * delta;
    const float angle = 2.0f * std::numbers::pi_v<float> * spinPhase;
    return quaternionToMatrix(quaternionFromAxisAngle({0, 1, 0}, angle));
}
