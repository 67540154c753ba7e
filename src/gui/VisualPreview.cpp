#include "gui/VisualPreview.h"

#include "visuals/Visual.h"

VisualPreview::VisualPreview(Visual* visual) : visual(visual) {}
VisualPreview::~VisualPreview() = default;

void VisualPreview::setRect(const Rect& r) {
    rect = r;
    // The largest 4:3 rectangle centred in the area, in integers.
    if (3 * r.width < 4 * r.height) {
        fitted.width = r.width;
        fitted.height = (3 * r.width) / 4;
        fitted.x = r.x;
        fitted.y = r.y + (r.height - fitted.height) / 2;
    } else {
        fitted.height = r.height;
        fitted.width = (4 * r.height) / 3;
        fitted.y = r.y;
        fitted.x = r.x + (r.width - fitted.width) / 2;
    }
    visual->setRect(fitted);
}

bool VisualPreview::draw(float time, float delta) {
    // The same visual may have been drawn into a render target with another rectangle this frame.
    visual->setRect(fitted);
    return visual->render(time, delta);
}
