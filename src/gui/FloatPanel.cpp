#include "gui/FloatPanel.h"

// The panel's widgets arrive with the editor; until then it cannot be built.
FloatPanel::FloatPanel(FloatObject* owner) : owner(owner) {}
FloatPanel::~FloatPanel() = default;

bool FloatPanel::init() {
    return false;
}

void FloatPanel::refresh() {}
