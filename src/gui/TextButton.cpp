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
    const ColourVertex fill[4] = {
        {x + 0.5f, y + 0.5f, 0, 1, fillColour},
        {x + w - 1.5f, y + 0.5f, 0, 1, fillColour},
        {x + w - 1.5f, y + h - 1.5f, 0, 1, fillColour},
        {x + 0.5f, y + h - 1.5f, 0, 1, fillColour},
    };
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fill, sizeof(ColourVertex));
    const ColourVertex outline[5] = {
        {x, y, 0, 1, Border},
        {x + w - 1, y, 0, 1, Border},
        {x + w - 1, y + h - 1, 0, 1, Border},
        {x, y + h - 1, 0, 1, Border},
        {x, y, 0, 1, Border},
    };
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, 4, outline, sizeof(ColourVertex));
    if (focused) {  // a second line inside the first: where Return and Space go
        const ColourVertex inner[5] = {
            {x + 1, y + 1, 0, 1, Border},
            {x + w - 2, y + 1, 0, 1, Border},
            {x + w - 2, y + h - 2, 0, 1, Border},
            {x + 1, y + h - 2, 0, 1, Border},
            {x + 1, y + 1, 0, 1, Border},
        };
        device->DrawPrimitiveUP(D3DPT_LINESTRIP, 4, inner, sizeof(ColourVertex));
    }
    caption.setRect(rect);
    return caption.draw(time, delta);
}
