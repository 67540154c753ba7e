#include "models/ModelBoing.h"

#include <numbers>

namespace {

constexpr float pi = std::numbers::pi_v<float>;

// Above 1 the phase wraps; exactly 1 stays.
void wrapPhase(float& phase) {
    while (phase > 1.0f) phase -= 1.0f;
}

}  // namespace

Object* ModelBoing::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelBoing);
}

Matrix4 ModelBoing::motionMatrix(float swing, float bounce) {
    const float f = swing < 0.5f ? swing : 1.0f - swing;  // triangle wave 0..0.5
    const float x = (f - 0.25f) * 400.0f;
    const float y = bounce * (1.0f - bounce) * 384.0f;  // parabolic hop 0..96
    const Quaternion q = multiplyQuaternion(quaternionFromAxisAngle({0, 1, 0}, 20.0f * f),
                                            quaternionFromAxisAngle({0, 0, 1}, 10.0f * pi / 180.0f));
    Matrix4 m = quaternionToMatrix(q);
    m(3, 0) += x;  // R x T
    m(3, 1) += y;
    m(3, 2) += 0.25f;
    return m;
}

Matrix4 ModelBoing::advance(float delta) {
    swingPhase += 0.27f * delta;
    bouncePhase += 0.74f * delta;
    wrapPhase(swingPhase);
    wrapPhase(bouncePhase);
    return motionMatrix(swingPhase, bouncePhase);
}
