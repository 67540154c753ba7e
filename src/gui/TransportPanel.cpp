#include "gui/TransportPanel.h"

// The panel's widgets arrive with the editor; until then it cannot be built.
TransportPanel::TransportPanel(Music* music) : music(music) {}
TransportPanel::~TransportPanel() = default;

bool TransportPanel::init() {
    return false;
}

void TransportPanel::accumulateFrame(float) {}
void TransportPanel::refresh() {}
