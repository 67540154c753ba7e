// FloatObject: a number of the document ("float") that the editor can change with a knob.
// Owns its editor panel, created by the first getEditor; a panel that fails to build is dropped
// and the next getEditor tries again.
#pragma once

#include "database/Object.h"

#include <memory>

class FloatPanel;

class FloatObject : public Object {
public:
    explicit FloatObject(Database* database);
    ~FloatObject() override;

    Object* castTo(ObjectType type) override;
    Widget* getEditor() override;
    bool load(TiXmlElement* element) override;  // "value" (0 when absent), "step" (1 when absent)
    bool save(TiXmlElement* element) override;  // drops the children, writes both with "%f"

    void setValue(float newValue);  // the panel, when it exists, shows the new value

    float value = 0.0f;  // the number the object holds
    float step = 1.0f;   // what one step of the editor's knob adds

private:
    std::unique_ptr<FloatPanel> editor;  // owned; null until a getEditor succeeds
};
