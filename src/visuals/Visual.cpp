#include "visuals/Visual.h"

#include "gui/VisualPreview.h"

Visual::~Visual() = default;

Widget* Visual::getEditor() {
    if (!editor) editor = std::make_unique<VisualPreview>(this);
    return editor.get();
}
