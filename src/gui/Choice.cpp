#include "gui/Choice.h"

namespace {
constexpr int VirtualKeyUp = 38, VirtualKeyDown = 40;
const std::string nothing;
}  // namespace

void Choice::setOptions(std::vector<std::string> list, const std::string& current) {
    options = std::move(list);
    index = -1;
    for (int i = 0; i < count(); ++i)
        if (options[static_cast<std::size_t>(i)] == current) index = i;
    if (index < 0 && !current.empty()) {  // a name the list does not offer is still shown
        options.insert(options.begin(), current);
        index = 0;
    }
    invalid = false;
}

const std::string& Choice::getValue() const { return index >= 0 ? options[static_cast<std::size_t>(index)] : nothing; }

bool Choice::choose(int option) {
    if (option < 0 || option >= count() || option == index) return false;
    const std::string why = apply ? apply(options[static_cast<std::size_t>(option)]) : std::string();
    invalid = !why.empty();
    if (tellProblem) tellProblem(why);
    if (invalid) return false;
    index = option;
    return true;
}

bool Choice::key(int virtualKey, bool down) {
    if (virtualKey != VirtualKeyUp && virtualKey != VirtualKeyDown) return false;
    if (down) choose(index + (virtualKey == VirtualKeyDown ? 1 : -1));
    return true;
}

void Choice::leftButton(Point p, int action) {
    if (action == 2 || count() == 0) return;
    choose(p.x >= rect.x + rect.width / 2 ? (index + 1) % count() : (index + count() - 1) % count());
}

void Choice::wheel(Point, float notches) {
    if (count() > 0 && notches != 0.0f) choose(index + (notches < 0.0f ? 1 : -1));
}

bool Choice::draw(float, float) {
    drawBox("< " + getValue() + " >", invalid ? Wrong : Plain);
    return true;
}
