// FloatPanel: the editor panel of a "float" object: its value and a knob that changes it, centred
// in the editor frame. Owned by its FloatObject, which calls refresh when its value changes.
#pragma once

#include "gui/HBox.h"
#include "gui/Knob.h"
#include "gui/KnobListener.h"
#include "gui/NumberLabel.h"
#include "gui/Spacer.h"
#include "gui/VBox.h"

class FloatObject;

class FloatPanel : public VBox, public KnobListener {
public:
    explicit FloatPanel(FloatObject* owner);
    ~FloatPanel() override;

    bool init();
    void refresh();  // shows the owner's value
    void valueChanged(Knob* knob, float value) override;
    void dragEnded(Knob* knob) override;  // one drag is one step of the editor's undo

    Knob* getKnob() { return &knob; }
    NumberLabel* getValueLabel() { return &valueLabel; }

private:
    FloatObject* owner;  // not owned
    NumberLabel valueLabel;
    Knob knob;
    HBox inner;
    Spacer spacers[4];
    Widget* innerChildren[4] = {};
    Widget* panelChildren[3] = {};
};
