// ObjectBrowser: the list of every object of the database beside the selected object's own
// panel. An object that cannot be loaded shows "< Loading error >" and under it why (file, line and
// object, cause first), one without a panel "< No editor >"; selecting again retries. It remembers whose panels it has shown, so that their
// views (a path's key, a model's camera) can go on in the browser of a reload, given to each panel
// when it is first shown there.
#pragma once

#include "gui/EditorState.h"

#include "gui/Frame.h"
#include "gui/HBox.h"
#include "gui/Label.h"
#include "gui/ListBox.h"
#include "gui/ListListener.h"
#include "gui/ProblemList.h"
#include "gui/PropertyList.h"
#include "gui/VBox.h"

class Database;
class Object;

class ObjectBrowser : public HBox, public ListListener {
public:
    ObjectBrowser();
    ~ObjectBrowser() override;

    bool init(Database* database);
    void showObject(int index);
    void selectObject(int index);  // as a click on its row would
    Object* getShownObject() const { return shown; }  // the object whose panel is shown, or none
    void selectionChanged(ListBox* list, int index) override;
    bool selectName(const char* name);  // the first object of that name; false when there is none
    const char* selectedName() const;
    // The views of the panels shown so far, and of those carried in and not shown yet.
    std::vector<ObjectView> views();
    // Views for the objects of the same names in this browser's database, each given when its
    // panel is first shown; names it does not have are left out.
    void carryViews(std::vector<ObjectView> views);

    // The property list beside the panel (Ctrl+P shows and hides it); hidden at first.
    PropertyList* getProperties() { return &properties; }
    void showProperties(bool shown);
    bool arePropertiesShown() const { return propertiesShown; }

    ListBox* getList() { return &list; }
    Frame* getEditorFrame() { return &editorFrame; }
    Label* getErrorLabel() { return &errorLabel; }
    Widget* getErrorPanel() { return &errorPanel; }   // the label and why the object did not load
    ProblemList* getErrorReasons() { return &errorReasons; }
    Label* getNoEditorLabel() { return &noEditorLabel; }

private:
    void remeasure();  // the properties, this browser and the editor it sits in
    Database* database = nullptr;  // not owned
    Object* shown = nullptr;       // not owned; the selected object, none when it failed to load
    ListBox list;
    Frame listFrame;
    Frame editorFrame;   // holds the selected object's panel (owned by the object) or a label
    Label errorLabel;
    ProblemList errorReasons;
    VBox errorPanel;
    Widget* errorChildren[2] = {};
    Label noEditorLabel;
    Widget* browserChildren[3] = {};
    PropertyList properties;
    Frame propertiesFrame;
    bool propertiesShown = false;
    std::vector<Object*> visited;     // not owned: objects whose panels were shown
    std::vector<ObjectView> carried;  // by index in this database; each goes once given
};
