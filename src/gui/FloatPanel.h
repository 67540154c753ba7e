// FloatPanel: the editor panel of a "float" object: its value and a knob that changes it.
// Owned by its FloatObject.
#pragma once

#include "gui/Widget.h"

class FloatObject;

class FloatPanel : public Widget {
public:
    explicit FloatPanel(FloatObject* owner);
    ~FloatPanel() override;

    bool init();
    void refresh();  // shows the owner's value

private:
    FloatObject* owner;  // not owned
};
