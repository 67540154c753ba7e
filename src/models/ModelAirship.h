// ModelAirship: the hull mesh "Airship.x" with two propellers "Propeller.x" turning once per
// second of demo time (not of drawing time, so they agree at any frame rate). Both meshes are
// other models of the document; the caller's WORLD is restored after the propellers.
#pragma once

#include "models/Model.h"
#include "paths/Matrix4.h"

class ModelAirship : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // false when either mesh is missing
    void render(float time, float delta) override;
    float getSize() override;

    // The propellers' turn at a time and their offset from the hull, applied before `world`.
    static Matrix4 propellerMatrix(float time, float offsetX, const Matrix4& world);

private:
    Model* hull = nullptr;       // referenced, not owned
    Model* propeller = nullptr;  // referenced, not owned; drawn twice
    bool drawing = false;        // inside render or getSize; reached again, a cycle of models stops here
};
