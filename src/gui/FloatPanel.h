// FloatPanel: the editor panel of a "float" object: its value and a knob that changes it, centred
// in the editor frame, over the float's curve along the time line. While the float has keys the
// knob shows the value at the current time and sets the key at the current time, snapped to the
// nearest beat, making one there when there is none. Owned by its FloatObject, which calls
// refresh when its value changes.
#pragma once

#include "gui/FloatCurve.h"
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
    void refresh();  // shows the owner's value (at the current time, when it has keys)
    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;  // what the focused control leaves goes to the curve
    void valueChanged(Knob* knob, float value) override;
    void dragEnded(Knob* knob) override;  // one drag is one step of the editor's undo

    Knob* getKnob() { return &knob; }
    NumberLabel* getValueLabel() { return &valueLabel; }
    FloatCurve* getCurve() { return &curve; }
    float keyTime() const;  // where the knob sets a key: the current time to the nearest beat

private:
    FloatObject* owner;  // not owned
    NumberLabel valueLabel;
    Knob knob;
    HBox inner;
    Spacer spacers[4];
    FloatCurve curve;
    Widget* innerChildren[4] = {};
    Widget* panelChildren[4] = {};
};
