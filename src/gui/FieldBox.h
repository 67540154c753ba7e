// FieldBox: what the property list's controls share: a one-line panel with text in the label
// font, light red while it holds a value that cannot be used, and the focus mark. The render
// state is one block shared by every field, released with the last one.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Label.h"
#include "gui/Widget.h"

#include <string>

class FieldBox : public Widget {
public:
    FieldBox();
    ~FieldBox() override;

    bool init(int width);  // false without the label font
    bool invalid = false;  // drawn light red

protected:
    void drawBox(const std::string& text, D3DCOLOR fill);
    void drawSwatch(D3DCOLOR colour);  // a square of the colour at the right end  // the panel, the text at its left, the focus mark
    static constexpr D3DCOLOR Plain = 0xffffffff, Wrong = 0xffffb0b0, Lit = 0xff8ce0ff;

private:
    Label font;  // keeps the label font alive
    FocusMark focusMark;
    static int instances;
    static ComRef<IDirect3DStateBlock9> stateBlock;
};
