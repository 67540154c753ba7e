#include "gui/ListBox.h"

#include "app/Device.h"
#include "database/Database.h"
#include "gui/ListListener.h"

#include <algorithm>

namespace {
constexpr int VirtualKeyUp = 38;
constexpr int VirtualKeyDown = 40;
constexpr D3DCOLOR SelectedColour = 0xff609030;
constexpr D3DCOLOR RowColour = 0xff000000;
}  // namespace

int ListBox::instances = 0;
ComRef<ID3DXFont> ListBox::font;
ComRef<ID3DXSprite> ListBox::sprite;
int ListBox::rowWidth = 0;
int ListBox::rowHeight = 0;

ListBox::ListBox() { ++instances; }

ListBox::~ListBox() {
    if (--instances == 0) {
        font.reset();
        sprite.reset();
    }
}

bool ListBox::init(Database* newSource, ListListener* newListener) {
    if (!font || !sprite) {
        if (!device) return false;
        ComRef<ID3DXFont> createdFont;
        ComRef<ID3DXSprite> createdSprite;
        if (D3DXCreateFontA(device, -11, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            ANTIALIASED_QUALITY, 0x30, "Verdana", &createdFont) < 0 || !createdFont)
            return false;
        if (D3DXCreateSprite(device, &createdSprite) < 0 || !createdSprite) return false;
        RECT extent{0, 0, 0, 0};
        createdFont->DrawTextA(nullptr, "Some Long Object Name", -1, &extent, DT_SINGLELINE | DT_CALCRECT,
                               RowColour);
        rowWidth = static_cast<int>(extent.right - extent.left);
        rowHeight = static_cast<int>(extent.bottom - extent.top);
        font = createdFont;
        sprite = createdSprite;
    }
    source = newSource;
    listener = newListener;
    setSizeHint(rowWidth, rowHeight, true, false);
    clamp(true);
    return true;
}

// --- layout ----------------------------------------------------------------------------------------

void ListBox::setSelected(int index) {
    selected = index;
    clamp(true);
}

void ListBox::clamp(bool ensureVisible) {
    const int n = source ? source->count() : 0;
    visibleRows = rowHeight > 0 ? rect.height / rowHeight : 0;
    selected = std::min(std::max(selected, 0), n - 1);
    if (ensureVisible) {
        first = std::max(first, selected - visibleRows + 1);
        first = std::min(first, selected);
    }
    first = std::max(std::min(first, n - visibleRows), 0);
}

void ListBox::setRect(const Rect& r) {
    rect = r;
    clamp(true);
}

// --- behaviour -------------------------------------------------------------------------------------

void ListBox::select(int index) {
    selected = index;
    clamp(true);
    if (listener) listener->selectionChanged(this, selected);
}

bool ListBox::key(int virtualKey, bool down) {
    if (!down) return false;
    if (virtualKey == VirtualKeyUp)
        select(selected - 1);
    else if (virtualKey == VirtualKeyDown)
        select(selected + 1);
    else
        return false;
    return true;
}

void ListBox::leftButton(Point p, int action) {
    if (action != 0 || rowHeight <= 0) return;
    select((p.y - rect.y) / rowHeight + first);
}

void ListBox::wheel(Point, float notches) {
    // Bounded so that a wild value cannot keep the loops below turning for long.
    if (notches == notches) wheelRemainder = std::clamp(wheelRemainder + notches, -65536.0f, 65536.0f);
    while (wheelRemainder >= 1.0f) {
        wheelRemainder -= 1.0f;
        --first;
    }
    while (wheelRemainder <= -1.0f) {
        wheelRemainder += 1.0f;
        ++first;
    }
    clamp(false);
}

// --- drawing ---------------------------------------------------------------------------------------

bool ListBox::draw(float, float) {
    if (!font || !sprite) return true;
    const int n = source ? source->count() : 0;
    font->PreloadCharacters(32, 122);
    sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
    for (int i = first, k = 0; i < first + visibleRows && i < n; ++i, ++k) {
        RECT row{rect.x, rect.y + k * rowHeight, rect.x + rect.width, rect.y + (k + 1) * rowHeight};
        const char* name = source->nameAt(i);
        font->DrawTextA(sprite.get(), name ? name : "", -1, &row, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
                        i == selected ? SelectedColour : RowColour);
    }
    sprite->End();
    return true;
}
