// PropertyList: beside the selected object's panel, every attribute of its type, each with a
// control of its kind: numbers and colours typed (checked as they are typed: light red with the
// reason below when the object could not use them, and then not applied), times typed or set to
// the cursor, references chosen among the objects of their family ("none" where optional),
// resources among the files of their kind, flags as check boxes, and a group's items (add, remove,
// move up and down, each item's references). Above them the object controls: a new object of a
// chosen type, a copy, a rename and a delete. Every change goes to the editor as one edit.
#pragma once

#include "gui/ButtonListener.h"
#include "gui/PropertyRow.h"
#include "gui/VBox.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Database;

class PropertyList : public VBox, public ButtonListener {
public:
    struct Actions {
        // An object's element given a new text: false with why when refused.
        std::function<bool(int index, const std::string& text, std::string* why)> editElement;
        // The whole document given a new text, `select` selected after.
        std::function<void(const std::string& before, const std::string& after, const std::string& select)> editDocument;
        std::function<float()> cursor;      // the time line's time, seconds
        std::function<float()> beatLength;  // seconds
    };

    PropertyList();
    ~PropertyList() override;

    bool init(Database* database, Actions actions);
    // The object at `index` (-1: none); its values again when it is the one shown.
    void show(int index);
    int shownIndex() const { return index; }
    const std::string& getNote() const { return note; }  // the last reason or question, if any

    // The rows, for tests and the help: the attribute's row, or null.
    PropertyRow* rowOf(const std::string& attribute);
    PropertyRow* itemRow(int item);
    TextField* nameField() { return &nameRow.field; }
    Choice* typeChoice() { return newRow.choices.front().get(); }
    enum ButtonId { NewButton = 1, CopyButton, DeleteButton, AddItemButton, CursorButton = 100, ItemButton = 1000 };
    void press(int id);  // as a click on that button: done at the next draw

    bool draw(float time, float delta) override;
    void clicked(Button* button) override;

private:
    class Note : public Widget {
    public:
        bool draw(float time, float delta) override;
        std::string text;
        D3DCOLOR colour = 0xffc04040;
    };

    void build();       // the rows of the object shown
    void refresh();     // their values, from its element as it is
    void run(int id);   // a button's action
    void say(const std::string& text, bool problem = true);
    std::string current() const;  // the shown object's element as a save writes it now
    std::string typeCheck(const AttributeInfo& info, const std::string& value) const;
    std::string setAttribute(const std::string& name, const std::string& value);  // empty when applied
    std::string setItems(const std::vector<std::vector<std::pair<std::string, std::string>>>& items);
    std::string document() const;  // the whole text a save writes now

    Database* database = nullptr;  // not owned
    Actions actions;
    int index = -1;
    int type = -1;
    std::string note;
    Note noteLine;
    PropertyRow newRow{PropertyRow::Chosen, "new"};
    PropertyRow objectRow{PropertyRow::Buttons, ""};
    PropertyRow nameRow{PropertyRow::Typed, "name"};
    std::vector<std::unique_ptr<PropertyRow>> rows;
    std::vector<Widget*> children;
    std::vector<int> pressed;     // buttons clicked, done at the next draw
    std::string deleteArmed;      // the object whose delete asked for confirmation
};
