#include "models/ModelBoing.h"

#include "app/Device.h"
#include "database/Database.h"

#include <tinyxml.h>

#include <numbers>

namespace {

constexpr float pi = std::numbers::pi_v<float>;

// Above 1 the phase wraps; exactly 1 stays.
void wrapPhase(float& phase) {
    while (phase > 1.0f) phase -= 1.0f;
}

}  // namespace

Model* findModelAttribute(Database* database, const TiXmlElement* element) {
    return static_cast<Model*>(database->find(element->Attribute("model"), TypeModel));
}

Object* ModelBoing::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelBoing);
}

bool ModelBoing::load(TiXmlElement* element) {
    model = findModelAttribute(database, element);
    return model != nullptr;
}

float ModelBoing::getSize() {
    if (drawing) return Model::getSize();
    drawing = true;
    const float size = model->getSize();
    drawing = false;
    return size;
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

void ModelBoing::render(float time, float delta) {
    if (drawing) return;  // the document leads from this model back to itself
    drawing = true;
    swingPhase += 0.27f * delta;
    bouncePhase += 0.74f * delta;
    wrapPhase(swingPhase);
    wrapPhase(bouncePhase);
    const Matrix4 m = motionMatrix(swingPhase, bouncePhase);
    device->MultiplyTransform(D3DTS_WORLD, &m);
    model->render(time, delta);
    drawing = false;
}
