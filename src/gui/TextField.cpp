#include "gui/TextField.h"

#include "gui/WidgetHost.h"

namespace {
constexpr int VirtualKeyBack = 8, VirtualKeyReturn = 13, VirtualKeyControl = 17, VirtualKeyEscape = 27, VirtualKeySpace = 32;
}  // namespace

void TextField::setText(const std::string& text) {
    shown = text;
    if (!editing) invalid = false;
}

void TextField::checkTyped() {
    const std::string why = check ? check(typed) : std::string();
    invalid = !why.empty();
    if (tellProblem) tellProblem(why);
}

bool TextField::enter() {
    if (!editing) return true;
    std::string why = check ? check(typed) : std::string();
    if (why.empty() && apply) why = apply(typed);
    invalid = !why.empty();
    if (tellProblem) tellProblem(why);
    if (invalid) return false;
    editing = false;
    shown = typed;
    return true;
}

bool TextField::key(int virtualKey, bool down) {
    if (host && host->isKeyDown(VirtualKeyControl)) return false;  // undo, save and the like
    switch (virtualKey) {
    case VirtualKeyReturn:
        if (down) enter();
        return true;
    case VirtualKeyEscape:
        if (!editing) return false;
        if (down) {
            editing = false;
            invalid = false;
            if (tellProblem) tellProblem(std::string());
        }
        return true;
    case VirtualKeyBack:
        if (down) {
            if (!editing) typed = shown;
            editing = true;
            if (!typed.empty()) typed.pop_back();
            checkTyped();
        }
        return true;
    case VirtualKeySpace: return true;  // a blank, through character
    default: return false;
    }
}

void TextField::character(int code) {
    if (code < ' ' || code > 126) return;
    if (!editing) typed = shown;
    editing = true;
    typed.push_back(static_cast<char>(code));
    checkTyped();
}

void TextField::leftButton(Point, int action) {
    if (action == 1) {  // a double-click starts from nothing
        typed.clear();
        editing = true;
        checkTyped();
    }
}

void TextField::wheel(Point, float notches) {
    if (turn && !editing && notches != 0.0f) turn(notches);
}

void TextField::focusOut() {
    FieldBox::focusOut();  // what is typed stays until Enter or Escape
}

bool TextField::draw(float, float) {
    const std::string text = editing ? typed + (focused ? "|" : "") : shown;
    drawBox(text, invalid ? Wrong : Plain);
    if (swatchShown && !editing) drawSwatch(swatch);
    return true;
}
