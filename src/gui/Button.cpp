#include "gui/Button.h"

#include "app/Device.h"
#include "gui/ButtonListener.h"
#include "gui/ScreenDrawing.h"

namespace {
constexpr int VirtualKeyReturn = 13;
constexpr int VirtualKeySpace = 32;
}  // namespace

int Button::instances = 0;
ComRef<IDirect3DStateBlock9> Button::stateBlock;

Button::Button() {
    ++instances;
    setSizeHint(16, 16, true, true);
}

Button::~Button() {
    if (--instances == 0) stateBlock.reset();
}

void Button::setListener(int newId, ButtonListener* newListener) {
    id = newId;
    listener = newListener;
}

bool Button::setIcon(int resource) {
    return loadIconTexture(resource, icon);
}

// --- layout ----------------------------------------------------------------------------------------

void Button::setRect(const Rect& r) {
    rect = r;
    sizeHint.width = r.width;
    sizeHint.height = r.height;
}

// --- behaviour -------------------------------------------------------------------------------------

void Button::click() {
    if (listener) listener->clicked(this);
}

bool Button::key(int virtualKey, bool down) {
    if (!down || (virtualKey != VirtualKeySpace && virtualKey != VirtualKeyReturn)) return false;
    click();
    return true;
}

void Button::leftButton(Point, int action) {
    if (action == 0 || action == 1) {
        // The second press of a quick pair arrives as a double-click; it starts a click as well.
        pressed = true;
    } else if (action == 2) {
        // A release after a press elsewhere (on the list, dragged over the close button) is no click.
        const bool wasPressed = pressed;
        pressed = false;
        if (wasPressed) click();
    }
}

void Button::mouseLeave() {
    hovered = false;
    pressed = false;
}

// --- drawing ---------------------------------------------------------------------------------------

bool Button::draw(float, float) {
    if (!device) return true;
    if (!stateBlock) {
        recordScreenState(
            {
                {D3DRS_CULLMODE, D3DCULL_CCW},
            },
            {
                {D3DTSS_COLOROP, D3DTOP_MODULATE},
                {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
                {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
            },
            TexturedVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), TexturedVertexFvf);
    device->SetTexture(0, icon.get());

    const D3DCOLOR rgb = greyed ? 0x808080 : (highlighted || pressed) ? 0x8ce0ff : 0xffffff;
    const D3DCOLOR alpha = greyed ? 0x50000000 : (hovered || focused) ? 0xff000000 : 0x80000000;
    const D3DCOLOR colour = alpha | rgb;
    const D3DCOLOR colours[4] = {colour, colour, colour, colour};
    drawTexturedQuad(static_cast<float>(rect.x), static_cast<float>(rect.y), static_cast<float>(rect.width),
                     static_cast<float>(rect.height), colours);
    if (focused) focusMark.draw(rect);
    return true;
}
