// Model: the abstract family of drawable objects. render draws with the device's current WORLD
// matrix; getSize tells the editor's 3-D views how large the model is. Owns its editor panel.
#pragma once

#include "database/Object.h"

#include <memory>

class Model : public Object {
public:
    using Object::Object;
    ~Model() override;

    Widget* getEditor() override;
    virtual void render(float time, float delta) {}
    virtual float getSize() { return 250.0f; }

protected:
    std::unique_ptr<Widget> editor;  // owned; created by the first getEditor
};
