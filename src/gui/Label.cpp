#include "gui/Label.h"

#include "app/Device.h"

#include <cstring>

int Label::instances = 0;
ComRef<ID3DXFont> Label::font;

Label::Label() {
    ++instances;
    setTakesFocus(false);
}

Label::~Label() {
    if (--instances == 0) font.reset();
}

bool Label::createFont() {
    if (font) return true;
    if (!device) return false;
    ComRef<ID3DXFont> created;
    if (D3DXCreateFontA(device, -11, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        ANTIALIASED_QUALITY, 0x30, "Verdana", &created) < 0 || !created)
        return false;
    font = created;
    return true;
}

bool Label::measure(const char* text, int* width, int* height) {
    if (!createFont()) return false;
    RECT extent{0, 0, 0, 0};
    font->DrawTextA(nullptr, text, -1, &extent, DT_SINGLELINE | DT_CALCRECT, 0xff000000);
    *width = static_cast<int>(extent.right - extent.left);
    *height = static_cast<int>(extent.bottom - extent.top);
    return true;
}

bool Label::setText(const char* newText) {
    if (!newText) newText = "";
    int width = 0, height = 0;
    if (!measure(newText, &width, &height)) return false;
    length = static_cast<int>(std::strlen(newText));
    text.assign(newText, newText + length + 1);
    setSizeHint(width, height, true, false);
    return true;
}

bool Label::drawText(const char* text, const Rect& area, D3DCOLOR textColour) {
    if (!font || !text) return false;
    RECT box{area.x, area.y, area.x + area.width, area.y + area.height};
    font->DrawTextA(nullptr, text, -1, &box, DT_LEFT | DT_TOP | DT_SINGLELINE, textColour);
    return true;
}

bool Label::draw(float, float) {
    if (!font || length == 0) return true;
    RECT area{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    font->DrawTextA(nullptr, text.data(), length, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE, colour);
    return true;
}
