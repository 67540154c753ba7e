// Gui: the root widget of the user interface. It shows the root visual "Main" letterboxed to 4:3
// on dark blue, or the editor when Space is pressed; Escape ends the program (saving
// "Backup.xml" if the editor was ever opened). init fails without a root visual or editor.
#pragma once

#include "gui/EditorPanel.h"
#include "gui/EditorState.h"
#include "gui/Frame.h"
#include "gui/VisualPreview.h"

#include <memory>
#include <string>
#include <vector>

class Database;
class Display;
class Visual;

class Gui : public Frame {
public:
    Gui();
    ~Gui() override;

    bool init(Database* database, Display* display);
    void toggleEditor();
    bool isEditorShown() const { return editorShown; }
    bool isEditorOpened() const { return editorOpened; }
    EditorPanel* getEditor() { return &editor; }
    // The editor as it is, as data: shown or opened, and what EditorPanel::saveState takes.
    EditorState state();
    // After a reload, in place of the Gui that gave `state`: the editor as it was, on the objects of
    // the same names. The lines say what of it could not go on.
    std::vector<std::string> continueFrom(const EditorState& state);
    bool isQuitting() const { return quit || editor.isCloseRequested(); }  // the next draw ends the program

    // False after Escape or the close button, and when the production has ended; once the editor
    // has been opened, the end of the production shows the editor again instead.
    bool draw(float time, float delta) override;
    bool focusIn(int direction) override;          // always accepts
    bool key(int virtualKey, bool down) override;

private:
    void showChild(Widget* widget);

    Database* database = nullptr;               // not owned
    Visual* rootVisual = nullptr;               // not owned: "Main"
    std::unique_ptr<VisualPreview> rootPreview;  // owned
    EditorPanel editor;
    bool editorShown = false;    // the editor is the current child
    bool editorOpened = false;   // the editor has been shown at least once
    bool quit = false;           // Escape: the next draw returns false
    bool focusReceived = false;  // the window had the focus once: new children get it at once
};
