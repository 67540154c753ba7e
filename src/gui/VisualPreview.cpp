#include "gui/VisualPreview.h"

#include "app/Device.h"
#include "visuals/Visual.h"

VisualPreview::VisualPreview(Visual* visual) : visual(visual) {}
VisualPreview::~VisualPreview() = default;

Rect VisualPreview::fit(const Rect& r) {
    Rect f;
    if (3 * r.width < 4 * r.height) {  // taller than 4:3
        f.width = r.width;
        f.height = (3 * r.width) / 4;
        f.x = r.x;
        f.y = r.y + (r.height - f.height) / 2;
    } else {
        f.height = r.height;
        f.width = (4 * r.height) / 3;
        f.y = r.y;
        f.x = r.x + (r.width - f.width) / 2;
    }
    return f;
}

void VisualPreview::setRect(const Rect& r) {
    rect = r;
    fitted = fit(r);
    if (visual) visual->setRect(fitted);
}

float VisualPreview::playerScale() const {
    ComRef<IDirect3DSurface9> target;
    D3DSURFACE_DESC desc{};
    if (!device || device->GetRenderTarget(0, &target) < 0 || !target || target->GetDesc(&desc) < 0) return 1.0f;
    const Rect picture = fit({0, 0, int(desc.Width), int(desc.Height)});
    return picture.width > 0 ? float(fitted.width) / float(picture.width) : 1.0f;
}

bool VisualPreview::draw(float time, float delta) {
    if (!visual) return true;
    // The same visual may have been drawn into a render target with another rectangle this frame.
    visual->setRect(fitted);
    // A scene narrows the viewport to its rectangle; the widgets drawn after it need the whole
    // target again.
    D3DVIEWPORT9 viewport{};
    const bool saved = device && device->GetViewport(&viewport) >= 0;
    // What the player shows, smaller: pixel placements (an overlay's position) shrink with the
    // picture, as from the player's 4:3 picture of this target to the fitted rectangle.
    const float before = Visual::pixelScale();
    Visual::setPixelScale(before * playerScale());
    const bool drawn = visual->render(time, delta);
    Visual::setPixelScale(before);
    if (saved) device->SetViewport(&viewport);
    return drawn;
}
