// ListBox: the names of the database's objects, one per row, each with its type as a short tag in
// its family's colour at the right, and one selected row. Up, Down and a click select (and tell
// the listener); the wheel only scrolls; typing letters jumps to the next name that starts with
// them. The list font, the sprite and the row size (the extent of "Some Long Object Name" and the
// widest tag) are shared by all lists.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Widget.h"
#include "platform/d3dx/d3dx9.h"

#include <string>

class Database;
class ListListener;

class ListBox : public Widget {
public:
    ListBox();
    ~ListBox() override;

    bool init(Database* source, ListListener* listener);  // false without the font or sprite
    void clamp(bool ensureVisible);  // keeps the selection and the first row in range
    void setSelected(int index);     // selects and shows a row without telling the listener

    int getSelected() const { return selected; }
    int getFirst() const { return first; }
    int getVisibleRows() const { return visibleRows; }
    static int getRowWidth() { return rowWidth; }
    static int getRowHeight() { return rowHeight; }

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void character(int code) override;  // type-ahead
    void leftButton(Point p, int action) override;
    void wheel(Point p, float notches) override;
    void setRect(const Rect& r) override;

private:
    FocusMark focusMark;
    void select(int index);  // clamp, make visible, tell the listener
    int findFrom(int start, const std::string& prefix) const;  // the next name with it, or -1

    Database* source = nullptr;        // not owned; null lists nothing
    ListListener* listener = nullptr;  // not owned
    int selected = 0;
    int first = 0;          // first visible row
    int visibleRows = 0;    // whole rows that fit the rectangle
    float wheelRemainder = 0.0f;  // notches not yet turned into rows
    std::string typed;            // the letters typed in a row, for type-ahead
    DWORD lastTyped = 0;          // when the last of them came, in milliseconds

    static int instances;
    static ComRef<ID3DXFont> font;      // the list font
    static ComRef<ID3DXSprite> sprite;  // batches the rows' text
    static int rowWidth;   // pixels, measured when the font is created; the tag column included
    static int rowHeight;
    static int tagWidth;   // the widest tag
};
