#include "gui/CheckBox.h"

namespace {
constexpr int VirtualKeyReturn = 13, VirtualKeySpace = 32;
}  // namespace

void CheckBox::toggle() {
    const std::string why = apply ? apply(!checked) : std::string();
    invalid = !why.empty();
    if (tellProblem) tellProblem(why);
    if (!invalid) checked = !checked;
}

bool CheckBox::key(int virtualKey, bool down) {
    if (virtualKey != VirtualKeyReturn && virtualKey != VirtualKeySpace) return false;
    if (down) toggle();
    return true;
}

void CheckBox::leftButton(Point, int action) {
    if (action == 0) toggle();
}

bool CheckBox::draw(float, float) {
    drawBox(checked ? "[x] on" : "[ ] off", invalid ? Wrong : Plain);
    return true;
}
