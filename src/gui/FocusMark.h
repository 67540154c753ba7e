// FocusMark: what shows which control has the keyboard focus (the one Space or Return presses, the
// arrow keys turn): a two-pixel orange frame just inside the control's rectangle, drawn over it.
#pragma once

#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

class FocusMark {
public:
    void draw(const Rect& r);  // leaves the screen states for the next widget to set its own

    static constexpr D3DCOLOR colour = 0xffffc018;

private:
    ComRef<IDirect3DStateBlock9> stateBlock;  // recorded by the first draw
};
