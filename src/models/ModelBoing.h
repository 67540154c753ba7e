// ModelBoing: another model bounced from side to side along x, hopping in y and spinning while
// it goes. The phases advance by the frame's `delta` in every render, so the motion follows the
// drawing, not the demo time. WORLD is left at the bounced matrix.
#pragma once

#include "models/Model.h"
#include "paths/Matrix4.h"

class ModelBoing : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // false when the model is missing
    void render(float time, float delta) override;
    float getSize() override;

    // The motion at two phases: R x T, pre-multiplied onto WORLD by render.
    static Matrix4 motionMatrix(float swingPhase, float bouncePhase);
    float getSwingPhase() const { return swingPhase; }
    float getBouncePhase() const { return bouncePhase; }

private:
    Model* model = nullptr;   // referenced, not owned
    float swingPhase = 0.0f;   // 0..1, one side to the other and back
    float bouncePhase = 0.0f;  // 0..1, one hop
    bool drawing = false;      // inside render or getSize; reached again, a cycle of models stops here
};

// The "model" attribute of boing and hat: the model it names, or none.
Model* findModelAttribute(Database* database, const TiXmlElement* element);
