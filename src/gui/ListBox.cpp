#include "gui/ListBox.h"

#include "app/Device.h"
#include "database/Database.h"
#include "database/TypeRegistry.h"
#include "gui/ListListener.h"
#include "platform/win/win32.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {
constexpr int VirtualKeyUp = 38;
constexpr int VirtualKeyDown = 40;
constexpr D3DCOLOR SelectedColour = 0xff609030;
constexpr D3DCOLOR RowColour = 0xff000000;
constexpr int TagGap = 6;             // pixels between a name and its tag
constexpr DWORD TypingPause = 1000;   // milliseconds after which typing starts a new prefix

// The kind of object in a few letters, in its family's colour ("group" in blue is a model group,
// in magenta a visual group).
struct Tag {
    const char* text;
    D3DCOLOR colour;
};

Tag tagOf(const char* keyword) {
    if (keyword == nullptr || typeFromKeyword(keyword) == TypeNone) return {"?", 0xffc04040};
    const char* dot = std::strchr(keyword, '.');
    const char* kind = dot ? dot + 1 : keyword;
    if (std::strcmp(keyword, "model.x") == 0) kind = "mesh";
    if (std::strcmp(keyword, "path.spline") == 0) kind = "path";
    const struct {
        const char* family;
        D3DCOLOR colour;
    } families[] = {{"model.", 0xff3060b0}, {"texture.", 0xffa06010}, {"visual.", 0xffb03080}, {"path.", 0xff108070}};
    for (const auto& family : families)
        if (std::strncmp(keyword, family.family, std::strlen(family.family)) == 0) return {kind, family.colour};
    return {kind, 0xff808080};
}

bool startsWith(const char* name, const std::string& prefix) {
    if (name == nullptr) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (name[i] == '\0') return false;
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

}  // namespace

int ListBox::instances = 0;
ComRef<ID3DXFont> ListBox::font;
ComRef<ID3DXSprite> ListBox::sprite;
int ListBox::rowWidth = 0;
int ListBox::rowHeight = 0;
int ListBox::tagWidth = 0;

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
        RECT tag{0, 0, 0, 0};
        createdFont->DrawTextA(nullptr, "optimus", -1, &tag, DT_SINGLELINE | DT_CALCRECT, RowColour);  // the widest
        tagWidth = static_cast<int>(tag.right - tag.left);
        rowWidth = static_cast<int>(extent.right - extent.left) + TagGap + tagWidth;
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

int ListBox::findFrom(int start, const std::string& prefix) const {
    const int n = source ? source->count() : 0;
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        if (startsWith(source->nameAt(i), prefix)) return i;
    }
    return -1;
}

void ListBox::character(int code) {
    // Space shows and hides the editor; other controls are no letters.
    if (code <= ' ' || code > 255 || code == 127) return;
    const DWORD now = timeGetTime();
    if (now - lastTyped > TypingPause) typed.clear();
    lastTyped = now;
    typed.push_back(static_cast<char>(code));
    // The same letter again steps through the names that start with it; more letters narrow the
    // name down, keeping the selection while it still matches.
    const bool sameLetter = typed.find_first_not_of(typed[0]) == std::string::npos;
    const int found = sameLetter ? findFrom(selected + 1, typed.substr(0, 1)) : findFrom(selected, typed);
    if (found >= 0 && found != selected) select(found);
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
        const Tag tag = tagOf(source->keywordAt(i));
        RECT nameRow = row;
        nameRow.right = std::max(row.left, row.right - tagWidth - TagGap);  // a long name is cut before the tag
        font->DrawTextA(sprite.get(), name ? name : "", -1, &nameRow, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
                        i == selected ? SelectedColour : RowColour);
        font->DrawTextA(sprite.get(), tag.text, -1, &row, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, tag.colour);
    }
    sprite->End();
    if (focused) focusMark.draw(rect);
    return true;
}
