#include "support/EditorLayout.h"

#include "gui/NumberLabel.h"
#include "gui/TimeLabel.h"
#include "gui/TimeLine.h"

#include <algorithm>

EditorLayout::EditorLayout(int windowWidth, int windowHeight) {
    NumberLabel fps;
    TimeLabel time;
    if (!fps.init("FPS: ", 4) || !time.init("Time: ")) return;
    const int row = std::max({16, fps.getSizeHint().height, time.getSizeHint().height});
    toolbarHeight = row + 10;
    const int toolbarRight = 2 + 5 + (windowWidth - 4 - 10);
    const int buttonY = 2 + 5 + (row - 16) / 2 + 8;
    save = {toolbarRight - 16 - 4 - 8, buttonY};
    help = {save.x - 16 - 4, buttonY};
    // From the right: close, save, help, a separator, the transport panel, a separator, redo, undo.
    const int transport = 16 + 4 + 16 + 4 + 5 + 4 + time.getSizeHint().width + 4 + 16 + 4 + fps.getSizeHint().width;
    redo = {toolbarRight - 16 - 4 - 16 - 4 - 16 - 4 - 5 - 4 - transport - 4 - 5 - 4 - 8, buttonY};
    undo = {redo.x - 4 - 16, buttonY};
    const int stripTop = 2 + toolbarHeight + 4;
    strip = {2 + 5, stripTop + 5, windowWidth - 4 - 10, TimeLine::height};
    const int browserTop = stripTop + TimeLine::height + 10 + 4;
    browser = {2, browserTop, windowWidth - 4, windowHeight - 2 - browserTop};
}
