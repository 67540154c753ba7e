#include "gui/LeaveQuestion.h"

#include "gui/WidgetHost.h"

namespace {
constexpr int VirtualKeyTab = 9, VirtualKeyShift = 16, VirtualKeyEscape = 27;
constexpr int VirtualKeyLeft = 37, VirtualKeyRight = 39;
constexpr D3DCOLOR Text = 0xff000000, Failure = 0xffc04040;
}  // namespace

bool LeaveQuestion::init() {
    if (!first.setText("") || !second.setText("")) return false;
    if (!saveChoice.setText("Save") || !leaveChoice.setText("Leave") || !stayChoice.setText("Stay")) return false;
    saveChoice.setListener(Save, this);
    leaveChoice.setListener(Leave, this);
    stayChoice.setListener(Stay, this);
    row.setSpacing(12);
    lines.setSpacing(8);
    int n = 0;
    rowChildren[n++] = &left;
    rowChildren[n++] = &saveChoice;
    rowChildren[n++] = &leaveChoice;
    rowChildren[n++] = &stayChoice;
    rowChildren[n++] = &right;
    row.setChildren(rowChildren, n);
    setMargins({16, 12});
    return true;
}

void LeaveQuestion::ask(const char* firstLine, const char* secondLine, bool failure) {
    answer = None;
    first.setText(firstLine);
    second.setText(secondLine);
    first.colour = Text;
    second.colour = failure ? Failure : Text;
    // Set again so that the boxes measure the new texts; the focus starts again at "Save".
    int n = 0;
    lineChildren[n++] = &first;
    lineChildren[n++] = &second;
    lineChildren[n++] = &row;
    row.setChildren(rowChildren, 5);
    lines.setChildren(lineChildren, n);
    setChild(&lines);
}

LeaveQuestion::Answer LeaveQuestion::takeAnswer() {
    const Answer taken = answer;
    answer = None;
    return taken;
}

void LeaveQuestion::clicked(Button* button) { answer = static_cast<Answer>(button->getId()); }

bool LeaveQuestion::key(int virtualKey, bool down) {
    if (Frame::key(virtualKey, down) || !down) return true;
    if (virtualKey == VirtualKeyEscape) {
        answer = Stay;
    } else if (virtualKey == VirtualKeyTab) {
        // The boxes ran past the last answer (or the first, with Shift): round to the other end.
        const bool backward = host && host->isKeyDown(VirtualKeyShift);
        focusOut();
        focusIn(backward ? 1 : 0);
    } else if (virtualKey == VirtualKeyLeft || virtualKey == VirtualKeyRight) {
        const bool backward = virtualKey == VirtualKeyLeft;
        if (!(backward ? row.focusPrevious() : row.focusNext())) {
            focusOut();
            focusIn(backward ? 1 : 0);
        }
    }
    return true;
}
