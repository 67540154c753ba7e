// Gui: the root widget of the user interface. It shows the root visual "Main" letterboxed to 4:3
// on dark blue, or the editor when Space is pressed; Escape, the editor's close button and the
// window's close end the program (saving "Backup.xml" if the editor was ever opened). With edits
// not yet saved they first ask, over the editor: Save, Leave (the edits stay in "Backup.xml") or
// Stay; input then goes to the question alone. F1 (and the editor's help button) shows the keys of
// what is on screen over it; F1, Escape or a click closes them. init fails without a root visual
// or editor, unless the root may be missing (an authoring start): the Gui is then the editor alone,
// without playback.
#pragma once

#include "gui/EditorPanel.h"
#include "gui/EditorState.h"
#include "gui/Frame.h"
#include "gui/HelpOverlay.h"
#include "gui/LeaveQuestion.h"
#include "gui/VisualPreview.h"

#include <memory>
#include <string>
#include <vector>

class Database;
class Display;
class Visual;

class Gui : public Frame {
public:
    static constexpr D3DCOLOR background = 0xff204080;  // the player's dark blue, around and behind the picture
    Gui();
    ~Gui() override;

    bool init(Database* database, Display* display, bool rootOptional = false);
    bool hasRootVisual() const { return rootVisual != nullptr; }
    // Why the root visual did not load, as the database said it (file, line and object, cause first).
    const std::vector<std::string>& rootProblems() const { return whyNoRoot; }
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

    // Escape, the close button, the window's close: ends the program at the next draw, saving
    // "Backup.xml" when the editor was opened; with unsaved edits it asks first.
    void requestClose();
    bool isAsking() const { return asking; }
    // The program is being stopped (a signal): unsaved edits go to "Backup.xml", without asking.
    void keepEditsOnStop();

    // F1: the help over what is shown (playback, or the editor with the selected object's panel).
    void toggleHelp();
    bool isHelpShown() const { return help.isShown(); }
    const HelpOverlay& getHelp() const { return help; }

    // False after Escape or the close button, and when the production has ended; once the editor
    // has been opened, the end of the production shows the editor again instead.
    bool draw(float time, float delta) override;
    bool focusIn(int direction) override;          // always accepts
    bool key(int virtualKey, bool down) override;
    void character(int code) override;
    void mouseLeave() override;
    void mouseMove(Point p) override;
    void leftButton(Point p, int action) override;
    void middleButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void wheel(Point p, float notches) override;
    void layout() override;

private:
    void showChild(Widget* widget);
    void ask(const std::string& why);  // opens the question; `why` a failure to show, or empty
    void answer(LeaveQuestion::Answer answer);
    void rootRebuilt();  // the root visual was built again: shown in place of the old one

    Database* database = nullptr;               // not owned
    Visual* rootVisual = nullptr;               // not owned: "Main"
    std::vector<std::string> whyNoRoot;
    std::unique_ptr<VisualPreview> rootPreview;  // owned
    EditorPanel editor;
    LeaveQuestion question;      // over the editor while `asking`
    HelpOverlay help;            // over everything while shown; takes the input then
    bool asking = false;
    bool editorShown = false;    // the editor is the current child
    bool editorOpened = false;   // the editor has been shown at least once
    bool quit = false;           // Escape: the next draw returns false
    bool focusReceived = false;  // the window had the focus once: new children get it at once
    unsigned seenRebuilds = 0;   // the database's rebuilds already taken
};
