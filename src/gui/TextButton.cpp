#include "gui/TextButton.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"

namespace {
constexpr int PaddingX = 12, PaddingY = 4;
constexpr D3DCOLOR Plain = 0xffffffff, Lit = 0xff8ce0ff, Border = 0xff000000;
}  // namespace

int TextButton::instances = 0;
ComRef<IDirect3DStateBlock9> TextButton::stateBlock;

TextButton::TextButton() { ++instances; }

TextButton::~TextButton() {
    if (--instances == 0) stateBlock.reset();
}

bool TextButton::setText(const char* text) {
    if (!caption.setText(text)) return false;
    const SizeHint h = caption.getSizeHint();
    setSizeHint(h.width + 2 * PaddingX, h.height + 2 * PaddingY, true, true);
    return true;
}

bool TextButton::draw(float time, float delta) {
    if (!device) return true;
    if (!stateBlock) {
        recordColourState(
            {
                {D3DRS_ALPHABLENDENABLE, FALSE},
                {D3DRS_CULLMODE, D3DCULL_CCW},
            },
            ColourVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);

    const float x = static_cast<float>(rect.x), y = static_cast<float>(rect.y);
    const float w = static_cast<float>(rect.width), h = static_cast<float>(rect.height);
    const D3DCOLOR fillColour = (hovered || isPressed()) ? Lit : Plain;
    // A second line inside the first when focused: where Return and Space go.
    drawFramedPanel(x, y, w, h, fillColour, fillColour, Border, focused);
    caption.setRect(rect);
    return caption.draw(time, delta);
}
