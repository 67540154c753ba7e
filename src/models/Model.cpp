#include "models/Model.h"

#include "gui/Widget.h"

Model::~Model() = default;

// The orbiting model viewer arrives with the path editor; until then models have no panel.
Widget* Model::getEditor() {
    return editor.get();
}
