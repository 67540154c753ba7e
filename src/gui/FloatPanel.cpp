#include "gui/FloatPanel.h"

#include "gui/EditHistory.h"

#include "database/FloatObject.h"

FloatPanel::FloatPanel(FloatObject* owner) : owner(owner) {}
FloatPanel::~FloatPanel() = default;

bool FloatPanel::init() {
    if (!valueLabel.init("Value: ", 4)) return false;
    if (!knob.setListener(0, this)) return false;
    // The object's own step: 1 unless its element says otherwise.
    knob.step = owner ? owner->step : 1.0f;
    innerChildren[0] = &spacers[0];
    innerChildren[1] = &valueLabel;
    innerChildren[2] = &knob;
    innerChildren[3] = &spacers[1];
    inner.setChildren(innerChildren, 4);
    panelChildren[0] = &spacers[2];
    panelChildren[1] = &inner;
    panelChildren[2] = &spacers[3];
    setChildren(panelChildren, 3);
    refresh();
    return true;
}

void FloatPanel::refresh() {
    if (!owner) return;
    valueLabel.setNumber(owner->value);
    knob.value = owner->value - knob.getOffset();
}

void FloatPanel::valueChanged(Knob* changed, float) {
    if (!owner || changed->getId() != 0) return;
    EditHistory::beginEdit(owner);
    owner->setValue(changed->value + changed->getOffset());
    if (!changed->isDragging()) EditHistory::endEdit();
}

void FloatPanel::dragEnded(Knob*) {
    EditHistory::endEdit();
}
