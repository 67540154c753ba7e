// TextField: a line of typed text. Typing starts from what it shows; as the author types, the
// check says whether the text could be used (light red when not); Enter applies it (refused texts
// stay, red, with the reason given), Escape goes back to what it shows. Space types a blank here.
#pragma once

#include "gui/FieldBox.h"

#include <functional>
#include <string>

class TextField : public FieldBox {
public:
    void setText(const std::string& text);  // shown while nothing is typed
    const std::string& getText() const { return editing ? typed : shown; }
    bool isEditing() const { return editing; }
    // Why a text cannot be used, or empty; called as it is typed.
    std::function<std::string(const std::string&)> check;
    // Applies a text; empty when applied, else why not.
    std::function<std::string(const std::string&)> apply;
    // A wheel notch (away from the user positive) on a number: changes and applies it when given.
    std::function<void(float notches)> turn;
    // A colour's swatch at the right end, while shown.
    bool swatchShown = false;
    unsigned swatch = 0;
    // Told the reason of the last check or refusal, or empty.
    std::function<void(const std::string&)> tellProblem;

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void character(int code) override;
    void leftButton(Point p, int action) override;
    void wheel(Point p, float notches) override;
    void focusOut() override;
    bool enter();  // as the Enter key: true when applied

private:
    void checkTyped();
    std::string shown;
    std::string typed;
    bool editing = false;
};
