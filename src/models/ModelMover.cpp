#include "models/ModelMover.h"

#include "app/Device.h"
#include "database/Database.h"

#include <tinyxml.h>

bool ModelMover::load(TiXmlElement* element) {
    model = static_cast<Model*>(database->find(element->Attribute("model"), TypeModel));
    return model != nullptr;
}

float ModelMover::getSize() {
    if (drawing) return Model::getSize();
    drawing = true;
    const float size = model->getSize();
    drawing = false;
    return size;
}

void ModelMover::render(float time, float delta) {
    if (drawing) return;
    drawing = true;
    const Matrix4 motion = advance(delta);
    device->MultiplyTransform(D3DTS_WORLD, &motion);
    model->render(time, delta);
    drawing = false;
}
