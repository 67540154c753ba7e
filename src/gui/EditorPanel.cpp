#include "gui/EditorPanel.h"

// Waits for the music's interface; the real panel is built once it exists.
EditorPanel::EditorPanel() = default;
EditorPanel::~EditorPanel() = default;
bool EditorPanel::init(Database*, Display*) { return false; }
void EditorPanel::setHost(WidgetHost* h) { VBox::setHost(h); }
void EditorPanel::clicked(Button*) {}
bool EditorPanel::draw(float time, float delta) { return VBox::draw(time, delta); }
