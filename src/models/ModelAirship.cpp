#include "models/ModelAirship.h"

#include "app/Device.h"
#include "database/Database.h"

#include <numbers>

namespace {

constexpr float pi = std::numbers::pi_v<float>;
constexpr float propellerOffsets[2] = {65.0f, -65.0f};  // x; both at y 0, z 53

}  // namespace

Object* ModelAirship::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelAirship);
}

bool ModelAirship::load(TiXmlElement*) {
    hull = static_cast<Model*>(database->find("Airship.x", TypeModel));
    propeller = static_cast<Model*>(database->find("Propeller.x", TypeModel));
    return hull != nullptr && propeller != nullptr;
}

float ModelAirship::getSize() {
    if (drawing) return Model::getSize();
    drawing = true;
    const float size = hull->getSize();
    drawing = false;
    return size;
}

Matrix4 ModelAirship::propellerMatrix(float time, float offsetX, const Matrix4& world) {
    const Quaternion q = multiplyQuaternion(quaternionFromAxisAngle({1, 0, 0}, pi / 2),
                                            quaternionFromAxisAngle({0, 0, 1}, 2 * pi * time));
    Matrix4 m = quaternionToMatrix(q);
    m(3, 0) += offsetX;  // R x T: the rotation has no translation row, so T only adds to it
    m(3, 2) += 53.0f;
    return multiplyMatrix(m, world);
}

void ModelAirship::render(float time, float delta) {
    if (drawing) return;  // the document leads from this model back to itself
    drawing = true;
    // The caller's WORLD, taken before the hull can change it.
    Matrix4 w0;
    device->GetTransform(D3DTS_WORLD, &w0);
    hull->render(time, delta);
    for (float offsetX : propellerOffsets) {
        const Matrix4 m = propellerMatrix(time, offsetX, w0);
        device->SetTransform(D3DTS_WORLD, &m);
        propeller->render(time, delta);
    }
    device->SetTransform(D3DTS_WORLD, &w0);
    drawing = false;
}
