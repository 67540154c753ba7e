// LeaveQuestion: what the editor asks before the program ends with edits not yet saved: a panel
// with two lines of text and the answers "Save", "Leave" (the edits stay in "Backup.xml") and
// "Stay". Tab, Shift+Tab and the arrow keys move between the answers, Return and Space choose the
// focused one, Escape is "Stay". Its owner shows it over the editor, routes the input to it while
// it is open and reads the answer with takeAnswer.
#pragma once

#include "gui/ButtonListener.h"
#include "gui/Frame.h"
#include "gui/HBox.h"
#include "gui/Label.h"
#include "gui/Spacer.h"
#include "gui/TextButton.h"
#include "gui/VBox.h"

class LeaveQuestion : public Frame, public ButtonListener {
public:
    enum Answer { None, Save, Leave, Stay };

    bool init();  // false when a text cannot be set (no font)
    // The question's two lines; the second in red when it says why something failed. The focus
    // goes to "Save" when the question has the focus.
    void ask(const char* first, const char* second, bool failure);
    Answer takeAnswer();  // the answer since the last call, or None

    bool key(int virtualKey, bool down) override;  // every key is the question's while it is open
    void clicked(Button* button) override;

private:
    Answer answer = None;
    Label first, second;
    Spacer left, right;
    TextButton saveChoice, leaveChoice, stayChoice;
    HBox row;
    VBox lines;
    Widget* rowChildren[5] = {};
    Widget* lineChildren[3] = {};
};
