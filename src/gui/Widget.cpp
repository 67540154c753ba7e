#include "gui/Widget.h"

bool Widget::focusIn(int) {
    focused = takesFocus;
    return takesFocus;
}

bool Widget::hitTest(Point p) {
    hovered = rect.x <= p.x && p.x < rect.x + rect.width && rect.y <= p.y && p.y < rect.y + rect.height;
    return hovered;
}
