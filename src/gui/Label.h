// Label: a line of text drawn centred in its rectangle through the label font, one Verdana font
// shared by every label and released with the last one. setText fails when the font cannot be
// created. Labels never take the keyboard focus.
#pragma once

#include "gui/Widget.h"
#include "platform/d3dx/d3dx9.h"

#include <vector>


class Label : public Widget {
public:
    Label();
    ~Label() override;

    bool setText(const char* text);  // also sets the hint to the text's extent, fixed width
    const char* getText() const { return text.empty() ? "" : text.data(); }

    bool draw(float time, float delta) override;

    D3DCOLOR colour = 0xff000000;  // ARGB of the text

    // Text in the label font anywhere (left-aligned at the area's top-left, one line); false while
    // no label has created the font.
    static bool drawText(const char* text, const Rect& area, D3DCOLOR colour);

protected:
    static bool createFont();                         // the shared label font, once
    static bool measure(const char* text, int* width, int* height);  // single-line extent

    std::vector<char> text;  // owned buffer, NUL-terminated; sized once by the set-up call
    int length = 0;          // characters shown

private:
    static int instances;            // live labels of every kind
    static ComRef<ID3DXFont> font;  // the label font; null until the first set-up
};
