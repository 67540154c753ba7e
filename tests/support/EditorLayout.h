// Where the editor puts the toolbar's buttons, the time line's strip and the object browser in a
// window of the given size, worked out from the fonts the executable draws with (a device must be
// up to load them). End-to-end tests aim their clicks with it; toolbarHeight 0: the fonts failed.
#pragma once

#include "gui/Widget.h"

struct EditorLayout {
    EditorLayout() = default;
    EditorLayout(int windowWidth, int windowHeight);

    struct Spot {
        int x = 0, y = 0;
    };
    int toolbarHeight = 0;  // the toolbar's row with its frame
    Spot save, help, undo, redo;  // the buttons' centres
    Rect strip;             // the time line's own rectangle
    Rect browser;
};
