#include "gui/PropertyRow.h"

PropertyRow::PropertyRow(Kind kind, const std::string& text) : kind(kind) {
    caption.setText(text.c_str());
}

bool PropertyRow::init(int controlCount) {
    const SizeHint h = caption.getSizeHint();
    caption.setSizeHint(CaptionWidth, h.height, true, true);
    list.reserve(MaxChildren);  // the box keeps pointing into it: it never moves
    list = {&caption};
    switch (kind) {
    case Typed:
        if (!field.init(ControlWidth)) return false;
        list.push_back(&field);
        break;
    case Flag:
        if (!check.init(ControlWidth)) return false;
        list.push_back(&check);
        break;
    case Chosen:
    case Item:
        for (int i = 0; i < controlCount; ++i) {
            auto choice = std::make_unique<Choice>();
            if (!choice->init(kind == Item ? ControlWidth * 2 / 3 : ControlWidth)) return false;
            list.push_back(choice.get());
            choices.push_back(std::move(choice));
        }
        break;
    case Buttons: break;
    }
    setChildren(list.data(), static_cast<int>(list.size()));
    return true;
}

bool PropertyRow::addButton(const char* text, int id, ButtonListener* listener) {
    if (list.size() >= MaxChildren) return false;
    auto button = std::make_unique<TextButton>();
    if (!button->setText(text)) return false;
    button->setListener(id, listener);
    list.push_back(button.get());
    buttons.push_back(std::move(button));
    setChildren(list.data(), static_cast<int>(list.size()));
    return true;
}
