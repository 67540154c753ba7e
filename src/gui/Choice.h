// Choice: one of a list of texts (the objects of a family, the files of a kind). A click on its
// right half, Down or the wheel towards the user goes to the next, its left half, Up or the wheel
// away to the one before; each change is applied at once (a refused one goes back, red).
#pragma once

#include "gui/FieldBox.h"

#include <functional>
#include <string>
#include <vector>

class Choice : public FieldBox {
public:
    void setOptions(std::vector<std::string> options, const std::string& current);
    const std::string& getValue() const;
    int getIndex() const { return index; }
    int count() const { return static_cast<int>(options.size()); }
    // Applies an option; empty when applied, else why not.
    std::function<std::string(const std::string&)> apply;
    std::function<void(const std::string&)> tellProblem;
    bool choose(int option);  // as the clicks do: true when applied

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void wheel(Point p, float notches) override;

private:
    std::vector<std::string> options;
    int index = -1;
};
