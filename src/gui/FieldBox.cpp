#include "gui/FieldBox.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"

int FieldBox::instances = 0;
ComRef<IDirect3DStateBlock9> FieldBox::stateBlock;

FieldBox::FieldBox() { ++instances; }
FieldBox::~FieldBox() {
    if (--instances == 0) stateBlock.reset();
}

bool FieldBox::init(int width) {
    if (!font.setText("Xg")) return false;
    setSizeHint(width, font.getSizeHint().height + 4, true, true);
    return true;
}

void FieldBox::drawBox(const std::string& text, D3DCOLOR fill) {
    if (!device) return;
    if (!stateBlock) recordColourState({{D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_CULLMODE, D3DCULL_CCW}}, ColourVertexFvf, &stateBlock);
    applyScreenState(stateBlock.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);
    drawFramedPanel(static_cast<float>(rect.x), static_cast<float>(rect.y), static_cast<float>(rect.width),
                    static_cast<float>(rect.height), fill, fill, 0xff000000);
    Label::drawText(text.c_str(), {rect.x + 4, rect.y + 2, rect.width - 8, rect.height - 4}, 0xff000000);
    if (focused) focusMark.draw(rect);
}

void FieldBox::drawSwatch(D3DCOLOR colour) {
    if (!device) return;
    applyScreenState(stateBlock.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);
    const float side = static_cast<float>(rect.height - 6);
    drawFramedPanel(static_cast<float>(rect.x + rect.width) - side - 3.0f, static_cast<float>(rect.y + 3), side, side,
                    colour | 0xff000000, colour | 0xff000000, 0xff000000);
}
