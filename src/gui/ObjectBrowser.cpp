#include "gui/ObjectBrowser.h"

#include "database/Database.h"
#include "database/Object.h"

#include <algorithm>
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
    errorReasons.init();  // without its font the reasons are blank; the label still says it
    errorChildren[0] = &errorLabel;
    errorChildren[1] = &errorReasons;
    errorPanel.setChildren(errorChildren, 2);
    browserChildren[0] = &listFrame;
    browserChildren[1] = &editorFrame;
    propertiesFrame.setChild(&properties);
    browserChildren[2] = &propertiesFrame;
    setChildren(browserChildren, 2);
    showObject(0);
    return true;
}

void ObjectBrowser::showObject(int index) {
    // Asking again retries an object that failed before.
    Object* object = database ? database->objectAt(index) : nullptr;
    shown = object;
    Widget* panel = &errorPanel;
    if (!object && database) {
        errorReasons.setLines(database->loadProblems());
        errorPanel.childChanged();
    }
    if (object) {
        panel = object->getEditor();
        if (!panel) panel = &noEditorLabel;
        if (std::find(visited.begin(), visited.end(), object) == visited.end()) visited.push_back(object);
        const auto view = std::find_if(carried.begin(), carried.end(), [&](const ObjectView& v) { return v.index == index; });
        if (view != carried.end()) {
            view->applyTo(object);
            carried.erase(view);
        }
    }
    editorFrame.setChild(panel);
    properties.show(database && index >= 0 && index < database->count() ? index : -1);
    // The new panel's hint changes the browser's: measure and lay out again. Setting the same
    // children again would do that too, but would also drop the hover and focus links that the
    // click which brought us here still needs to focus the list.
    remeasure();
}

void ObjectBrowser::remeasure() {
    // The property list's rows change its hint under its frame; and the editor lays the browser out
    // by the browser's hint, so a grown one would reach past the window's edge unless told.
    propertiesFrame.childChanged();
    childChanged();
    if (WidgetHost* up = getHost()) up->childChanged();
}

void ObjectBrowser::showProperties(bool shown) {
    propertiesShown = shown;
    setChildren(browserChildren, shown ? 3 : 2);
    remeasure();
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

std::vector<ObjectView> ObjectBrowser::views() {
    std::vector<ObjectView> all = carried;
    for (Object* object : visited) {
        ObjectView view;
        const int index = database ? database->indexOf(object) : -1;
        const bool stillCarried = std::any_of(carried.begin(), carried.end(), [&](const ObjectView& v) { return v.index == index; });
        if (index < 0 || stillCarried || !ObjectView::of(object, &view)) continue;
        view.index = index;
        view.name = database->nameAt(index);
        all.push_back(std::move(view));
    }
    return all;
}

void ObjectBrowser::carryViews(std::vector<ObjectView> views) {
    carried.clear();
    for (ObjectView& view : views) {
        // At its place when the name is still there, else at the first of its name.
        const char* there = database ? database->nameAt(view.index) : nullptr;
        if (!there || view.name != there) {
            view.index = -1;
            for (int i = 0; database && i < database->count() && view.index < 0; ++i)
                if (view.name == database->nameAt(i)) view.index = i;
        }
        if (view.index >= 0) carried.push_back(std::move(view));
    }
}

void ObjectBrowser::selectionChanged(ListBox*, int index) {
    showObject(index);
}
