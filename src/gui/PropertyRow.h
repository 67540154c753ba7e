// PropertyRow: one line of the property list: a caption and the control of its kind (typed text,
// a choice, a check box) with the buttons that go with it ("cursor" for times; up, down and remove
// for a group's item; or one button alone).
#pragma once

#include "database/AttributeTable.h"
#include "gui/CheckBox.h"
#include "gui/Choice.h"
#include "gui/HBox.h"
#include "gui/Label.h"
#include "gui/TextButton.h"
#include "gui/TextField.h"

#include <memory>
#include <string>
#include <vector>

class ButtonListener;

class PropertyRow : public HBox {
public:
    enum Kind { Typed, Chosen, Flag, Item, Buttons };
    static constexpr int CaptionWidth = 64, ControlWidth = 150;
    static constexpr std::size_t MaxChildren = 8;

    PropertyRow(Kind kind, const std::string& caption);
    bool init(int controlCount = 1);  // false without the fonts
    // A button after the controls; its id goes to `listener`.
    bool addButton(const char* text, int id, ButtonListener* listener);

    Kind kind;
    AttributeInfo info{"", AttributeKind::Number};
    int item = -1;  // a group item's place
    TextField field;
    CheckBox check;
    std::vector<std::unique_ptr<Choice>> choices;  // one per reference of an item, else one
    std::vector<std::unique_ptr<TextButton>> buttons;

private:
    Label caption;
    std::vector<Widget*> list;
};
