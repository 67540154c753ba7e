// TextButton: a Button that shows a word on a small panel instead of an icon, for questions that
// need their answers spelled out. Clicks as a Button does (Space, Return, or a press and release);
// the panel turns light blue under the mouse
// and has a double border while it holds the focus. The render state is one state
// block shared by every text button, released with the last one.
#pragma once

#include "gui/Button.h"
#include "gui/Label.h"

class TextButton : public Button {
public:
    TextButton();
    ~TextButton() override;

    bool setText(const char* text);  // also sizes the button around the text; false without a font

    bool draw(float time, float delta) override;

private:
    Label caption;

    static int instances;
    static ComRef<IDirect3DStateBlock9> stateBlock;
};
