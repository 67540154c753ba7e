#include "models/ModelHat.h"

#include "app/Device.h"
#include "models/ModelBoing.h"
#include "paths/Matrix4.h"

#include <numbers>

Object* ModelHat::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelHat);
}

bool ModelHat::load(TiXmlElement* element) {
    model = findModelAttribute(database, element);
    return model != nullptr;
}

float ModelHat::getSize() {
    if (drawing) return Model::getSize();
    drawing = true;
    const float size = model->getSize();
    drawing = false;
    return size;
}

void ModelHat::render(float time, float delta) {
    if (drawing) return;  // the document leads from this model back to itself
    drawing = true;
    spinPhase += 0.5f * delta;
    const float angle = 2.0f * std::numbers::pi_v<float> * spinPhase;
    const Matrix4 spin = quaternionToMatrix(quaternionFromAxisAngle({0, 1, 0}, angle));
    device->MultiplyTransform(D3DTS_WORLD, &spin);
    model->render(time, delta);
    drawing = false;
}
