#include "gui/Separator.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"

int Separator::instances = 0;
ComRef<IDirect3DStateBlock9> Separator::verticalBlock;
ComRef<IDirect3DStateBlock9> Separator::horizontalBlock;

Separator::Separator(bool vertical) : vertical(vertical) {
    ++instances;
    setHalf(2);
    setTakesFocus(false);
}

Separator::~Separator() {
    if (--instances == 0) {
        verticalBlock.reset();
        horizontalBlock.reset();
    }
}

void Separator::setHalf(int newHalf) {
    half = newHalf;
    const int thickness = 2 * half + 1;
    if (vertical)
        setSizeHint(thickness, 0, true, false);
    else
        setSizeHint(0, thickness, false, true);
}

bool Separator::draw(float, float) {
    if (!device) return true;
    ComRef<IDirect3DStateBlock9>& block = vertical ? verticalBlock : horizontalBlock;
    if (!block) {
        recordColourState({}, ColourVertexFvf, &block);
    }
    applyScreenState(block.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);

    // Transparent at both ends, opaque in the middle.
    constexpr D3DCOLOR faded = 0x00204080, solid = 0xff204080;
    const float x = static_cast<float>(rect.x), y = static_cast<float>(rect.y);
    const float w = static_cast<float>(rect.width), h = static_cast<float>(rect.height);
    ColourVertex line[3];
    if (vertical) {
        const float lx = x + static_cast<float>(half);
        line[0] = {lx, y, 0, 1, faded};
        line[1] = {lx, y + static_cast<float>(rect.height / 2), 0, 1, solid};
        line[2] = {lx, y + h, 0, 1, faded};
    } else {
        const float ly = y + static_cast<float>(half);
        line[0] = {x, ly, 0, 1, faded};
        line[1] = {x + static_cast<float>(rect.width / 2), ly, 0, 1, solid};
        line[2] = {x + w, ly, 0, 1, faded};
    }
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, 2, line, sizeof(ColourVertex));
    return true;
}
