// CheckBox: a flag, on or off; a click, Space or Return turns it over and applies it at once.
#pragma once

#include "gui/FieldBox.h"

#include <functional>
#include <string>

class CheckBox : public FieldBox {
public:
    void setChecked(bool on) { checked = on; }
    bool isChecked() const { return checked; }
    std::function<std::string(bool)> apply;  // empty when applied, else why not
    std::function<void(const std::string&)> tellProblem;
    void toggle();

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;

private:
    bool checked = false;
};
