// ModelHat: another model spun about its vertical axis, half a turn per second of drawing (the
// phase advances by `delta` in every render). WORLD is left at the spun matrix.
#pragma once

#include "models/Model.h"

class ModelHat : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // false when the model is missing
    void render(float time, float delta) override;
    float getSize() override;

    float getSpinPhase() const { return spinPhase; }

private:
    Model* model = nullptr;  // referenced, not owned
    float spinPhase = 0.0f;  // revolutions, never wrapped
    bool drawing = false;    // inside render or getSize; reached again, a cycle of models stops here
};
