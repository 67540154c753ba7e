// ModelMover: what boing and hat share: another model, named by the "model" attribute, drawn
// under a motion that advances with every render (so it follows the drawing, not the demo time)
// and is pre-multiplied onto WORLD, which is left at the moved matrix. A document that leads
// from such a model back to itself stops at the second visit instead of recursing.
#pragma once

#include "models/Model.h"
#include "paths/Matrix4.h"

class ModelMover : public Model {
public:
    using Model::Model;
    bool load(TiXmlElement* element) override;  // false when the model is missing
    void render(float time, float delta) override;
    float getSize() override;  // the moved model's

protected:
    virtual Matrix4 advance(float delta) = 0;  // the motion after `delta` more seconds of drawing

private:
    Model* model = nullptr;  // referenced, not owned
    bool drawing = false;    // inside render or getSize; reached again, a cycle of models stops here
};
