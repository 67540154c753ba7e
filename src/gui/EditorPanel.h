// EditorPanel: the editor: a toolbar (title, undo and redo, the music's transport panel, a
// separator, help, save and close buttons) above the time line and the object browser. Attaching it
// pauses the music, detaching it resumes; the close button asks the Gui to end the program (which
// saves "Backup.xml", after a question when there are unsaved edits). It keeps the undo history of
// every edit and the time line's loop (both go on across a reload, see EditorState), and marks the
// window's caption and the toolbar while the document holds edits not yet saved; the toolbar also
// says what the last save did.
// A bar under the toolbar asks what to do when the document changed on disk under such edits, or
// before a save over it.
#pragma once

#include "gui/Button.h"
#include "gui/ButtonListener.h"
#include "gui/DiskChangeBar.h"
#include "gui/EditHistory.h"
#include "gui/EditorState.h"
#include "gui/Frame.h"
#include "gui/HBox.h"
#include "gui/Label.h"
#include "gui/ObjectBrowser.h"
#include "gui/ProblemList.h"
#include "gui/Separator.h"
#include "gui/TextButton.h"
#include "gui/TimeLine.h"
#include "gui/TitleImage.h"
#include "gui/ToolbarStatus.h"
#include "gui/VBox.h"

#include <string>
#include <utility>
#include <vector>

class Database;
class Music;

class EditorPanel : public VBox, public ButtonListener {
public:
    EditorPanel();
    ~EditorPanel() override;

    bool init(Database* database);
    bool isCloseRequested() const { return closeRequested; }
    bool takeCloseRequest() { return std::exchange(closeRequested, false); }  // the close button, once
    bool takeHelpRequest() { return std::exchange(helpRequested, false); }    // the help button, once
    // The problems list between the toolbar and the object list, shown while there are any: first
    // why the document on disk did not load (setProblem: one line, empty removes it; setProblems:
    // all of them), then what zodcheck finds in the version shown. Choosing one selects its object.
    void setProblem(const char* text);
    void setProblems(std::vector<std::string> failure);
    void setFindings(std::vector<std::string> findings);
    const char* getProblem() const { return failure.empty() ? "" : failure.front().c_str(); }
    ProblemList* getProblemList() { return &problems; }

    bool draw(float time, float delta) override;  // false once the close button was used
    void setHost(WidgetHost* h) override;          // pauses the music while attached
    bool key(int virtualKey, bool down) override;  // after the focused control: undo, redo, the loop
    void clicked(Button* button) override;

    // Saves to the document's own file (the save button, Ctrl+S) and shows on the toolbar what
    // happened; a failure says why and leaves the edits marked unsaved.
    bool save(std::string* why = nullptr);
    // Writes "Backup.xml" beside the document (the working folder for the linked-in one) and says
    // where on standard error and on the toolbar; false with why in `why`.
    bool saveBackup(std::string* why = nullptr);
    std::string backupPath() const;
    std::string documentName() const;  // the document file's own name, without its folder
    bool hasUnsavedEdits() const { return history.isModified(); }

    void undo();
    void redo();
    // The property list's edit of one object's element, applied at once (the object and those that
    // refer to it built again) and kept as one undo step; false with why when its object cannot use
    // it, and nothing changed.
    bool editElement(int index, const std::string& text, std::string* why);
    // An edit of the whole document (an object made, copied, renamed or deleted): one undo step,
    // loaded whole between two frames; `select` is then selected.
    void editDocument(const std::string& before, const std::string& after, const std::string& select);
    // For the program, between two frames: the text to load in place of the document, once.
    bool takeDocumentRequest(std::string* text);
    // That text did not load: the step goes, and why is shown.
    void documentRefused(const std::string& why);
    // The last edit's message (a refusal in red), shown on the toolbar.
    void tellEdit(const std::string& message, bool failure) { tell(message, failure); }
    EditHistory& getHistory() { return history; }
    // Its part of the editor's state: the selection, the loop, the time line's view and waveform,
    // the panels' views and the undo steps.
    void saveState(EditorState* state);
    // Goes on from that state, taken from the editor of the last version, before it is shown. The
    // lines say which undo steps did not fit this version and were dropped.
    std::vector<std::string> continueFrom(const EditorState& state);
    TimeLine* getTimeLine() { return &timeLine; }
    void showTimeLine(bool shown);  // the strip is shown unless taken out (to compare frames)
    ObjectBrowser* getBrowser() { return &browser; }
    TextButton* getHelpButton() { return &helpButton; }
    DiskChangeBar* getDiskChange() { return &diskChange; }  // shown under the toolbar while it asks

    enum ButtonId { CloseButton = 1, SaveButton = 2, UndoButton = 3, RedoButton = 4, HelpButton = 5 };

private:
    void showCaption();  // the title, marked while there are unsaved edits
    void arrange();      // the toolbar, the problems if any, the time line if shown, the list
    void listProblems();
    void showStatus();   // the toolbar's mark and message, as they are now
    void tell(const std::string& message, bool failure);  // on the toolbar for a while

    Database* database = nullptr;  // not owned
    Music* music = nullptr;        // not owned
    std::string documentRequest;   // see takeDocumentRequest
    bool hasDocumentRequest = false;
    bool ownReload = false;        // the next state handed on is of the editor's own text
    std::string selectAfter;       // selected in the version loaded for an edit
    unsigned seenRebuilds = 0;     // the database's rebuilds the browser has shown
    bool closeRequested = false;
    bool helpRequested = false;
    bool captionMarked = false;    // the caption as last set
    EditHistory history;
    std::string statusMessage;  // what the last save did; shown until statusUntil (if not failed)
    bool statusFailed = false;  // a failure stays until the next save or until nothing is unsaved
    DWORD statusUntil = 0;

    TitleImage title;
    ToolbarStatus status;
    Separator separator{true};
    Button saveButton;
    Button closeButton;
    TextButton helpButton;  // "?": the Gui shows the keys of what is on screen
    Button undoButton;
    Button redoButton;
    Separator historySeparator{true};
    HBox toolbar;
    Frame toolbarFrame;
    TimeLine timeLine;
    Frame timeLineFrame;
    ObjectBrowser browser;
    std::vector<std::string> failure;   // why the document on disk did not load, cause first
    std::vector<std::string> findings;  // zodcheck's, of the version shown
    ProblemList problems;
    Frame problemsFrame;
    DiskChangeBar diskChange;
    bool diskChangeArranged = false;  // the bar is among the children
    bool timeLineShown = true;
    Widget* toolbarChildren[10] = {};
    Widget* panelChildren[6] = {};
};
