#include "gui/ObjectBrowser.h"

#include "database/Database.h"
#include "database/Object.h"

#include <cstring>

ObjectBrowser::ObjectBrowser() = default;
ObjectBrowser::~ObjectBrowser() = default;

bool ObjectBrowser::init(Database* newDatabase) {
    database = newDatabase;
    if (!list.init(database, this)) return false;
    listFrame.setChild(&list);
    if (!errorLabel.setText("< Loading error >") || !noEditorLabel.setText("< No editor >")) return false;
    errorLabel.colour = 0xffc04040;
    noEditorLabel.colour = 0xff609030;
    // The labels fill the editor frame instead of keeping their text's width.
    for (Label* label : {&errorLabel, &noEditorLabel}) {
        const SizeHint h = label->getSizeHint();
        label->setSizeHint(h.width, h.height, false, false);
    }
    browserChildren[0] = &listFrame;
    browserChildren[1] = &editorFrame;
    setChildren(browserChildren, 2);
    showObject(0);
    return true;
}

void ObjectBrowser::showObject(int index) {
    // Asking again retries an object that failed before.
    Object* object = database ? database->objectAt(index) : nullptr;
    shown = object;
    Widget* panel = &errorLabel;
    if (object) {
        panel = object->getEditor();
        if (!panel) panel = &noEditorLabel;
    }
    editorFrame.setChild(panel);
    // The new panel's hint changes the browser's: measure and lay out again. Setting the same
    // children again would do that too, but would also drop the hover and focus links that the
    // click which brought us here still needs to focus the list.
    childChanged();
}

void ObjectBrowser::selectObject(int index) {
    list.setSelected(index);
    showObject(list.getSelected());
}

bool ObjectBrowser::selectName(const char* name) {
    for (int i = 0; database && name && i < database->count(); ++i) {
        if (std::strcmp(database->nameAt(i), name) == 0) {
            selectObject(i);
            return true;
        }
    }
    return false;
}

const char* ObjectBrowser::selectedName() const {
    return database ? database->nameAt(list.getSelected()) : nullptr;
}

void ObjectBrowser::selectionChanged(ListBox*, int index) {
    showObject(index);
}
