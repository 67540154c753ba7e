// ToolbarStatus: one line of text at the left of the space it is given, vertically centred and cut
// at its right edge: the editor's toolbar shows the unsaved-edits mark and what the last save did
// there. It stretches in width and keeps the height of a line; a press on it moves the window as
// a press on the title beside it does.
#pragma once

#include "gui/Label.h"

#include <string>

class ToolbarStatus : public Label {
public:
    bool init();  // false when the label font cannot be created
    // A change of text or colour; the same again costs nothing.
    void show(const std::string& text, D3DCOLOR colour);

    bool draw(float time, float delta) override;
    void leftButton(Point p, int action) override;

private:
    int lineHeight = 0;
    std::string shown;
};
