#include "visuals/Visual.h"

Visual::~Visual() = default;

Widget* Visual::getEditor() {
    return editor.get();
}
