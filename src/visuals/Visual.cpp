#include "visuals/Visual.h"

#include "gui/VisualPreview.h"

namespace {
float currentPixelScale = 1.0f;
}  // namespace

Visual::~Visual() = default;

void Visual::setPixelScale(float scale) { currentPixelScale = scale; }
float Visual::pixelScale() { return currentPixelScale; }

Widget* Visual::getEditor() {
    if (!editor) editor = std::make_unique<VisualPreview>(this, true);
    return editor.get();
}
