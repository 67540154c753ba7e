#include "gui/VisualPreview.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"
#include "visuals/Visual.h"
#include "visuals/VisualOverlay.h"

#include <cstdio>

namespace {
constexpr D3DCOLOR NoteBack = 0xc0000000, NoteInk = 0xffffffff;
}  // namespace

int VisualPreview::instances = 0;
ComRef<IDirect3DStateBlock9> VisualPreview::noteState;

VisualPreview::VisualPreview(Visual* visual, bool editorPanel) : visual(visual), editorPanel(editorPanel) {
    ++instances;
}

VisualPreview::~VisualPreview() {
    if (--instances == 0) noteState.reset();
}

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
    // An overlay away from its window would show nothing: the author sees it as at its middle.
    Object* found = editorPanel ? visual->castTo(TypeVisualOverlay) : nullptr;
    const VisualOverlay* overlay = found ? static_cast<VisualOverlay*>(found) : nullptr;
    const bool outside = overlay && (time < overlay->getStart() || time > overlay->getStop());
    const float middle = overlay ? overlay->getStart() + 0.5f * (overlay->getStop() - overlay->getStart()) : time;
    const float before = Visual::pixelScale();
    Visual::setPixelScale(before * playerScale());
    const bool drawn = visual->render(outside ? middle : time, delta);
    Visual::setPixelScale(before);
    if (saved) device->SetViewport(&viewport);
    note.clear();
    if (outside) {
        char text[160];
        std::snprintf(text, sizeof text, "Not visible at the cursor: shown as at %.2f s, the middle of %.2f to %.2f s",
                      middle, overlay->getStart(), overlay->getStop());
        note = text;
        drawNote();
        return false;  // nothing at the cursor, as without the note
    }
    return drawn;
}

// A dark band across the top of the picture, the note in white on it.
void VisualPreview::drawNote() {
    if (!device || !noteText.setText(note.c_str())) return;
    const int height = noteText.getSizeHint().height + 4;
    if (!noteState) recordColourState({{D3DRS_CULLMODE, D3DCULL_NONE}}, ColourVertexFvf, &noteState);
    applyScreenState(noteState.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);
    const float x0 = static_cast<float>(fitted.x) - 0.5f, x1 = static_cast<float>(fitted.x + fitted.width) - 0.5f;
    const float y0 = static_cast<float>(fitted.y) - 0.5f, y1 = static_cast<float>(fitted.y + height) - 0.5f;
    const ColourVertex band[4] = {
        {x0, y0, 0, 1, NoteBack}, {x1, y0, 0, 1, NoteBack}, {x1, y1, 0, 1, NoteBack}, {x0, y1, 0, 1, NoteBack}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, band, sizeof(ColourVertex));
    Label::drawText(note.c_str(), {fitted.x + 4, fitted.y + 2, fitted.width - 8, height}, NoteInk);
}
