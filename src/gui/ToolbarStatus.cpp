#include "gui/ToolbarStatus.h"

#include "gui/WidgetHost.h"

bool ToolbarStatus::init() {
    if (!setText("*")) return false;
    lineHeight = getSizeHint().height;
    setText("");
    shown.clear();
    setSizeHint(0, lineHeight, false, true);
    return true;
}

void ToolbarStatus::show(const std::string& text, D3DCOLOR newColour) {
    colour = newColour;
    if (text == shown) return;
    if (!setText(text.c_str())) return;
    shown = text;
    setSizeHint(0, lineHeight, false, true);  // the text never widens the toolbar
}

bool ToolbarStatus::draw(float, float) {
    if (length == 0) return true;
    const Rect line{rect.x, rect.y + (rect.height - lineHeight) / 2, rect.width, lineHeight};
    Label::drawText(getText(), line, colour);
    return true;
}

void ToolbarStatus::leftButton(Point, int action) {
    if (action == 0 && host) host->beginWindowDrag();
}
