#include "gui/TransportPanel.h"

// Waits for the music's interface; the real panel is built once it exists.
TransportPanel::TransportPanel(Music* music) : music(music) {}
TransportPanel::~TransportPanel() = default;
bool TransportPanel::init() { return false; }
void TransportPanel::accumulateFrame(float) {}
void TransportPanel::refresh() {}
void TransportPanel::clicked(Button*) {}
void TransportPanel::valueChanged(Knob*, float) {}
