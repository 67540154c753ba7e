// EditorPanel: the editor: a toolbar (title, undo and redo, the music's transport panel, a
// separator, save and close buttons) above the time line and the object browser. Attaching it
// pauses the music, detaching it resumes; the close button saves "Backup.xml" and makes the next
// draw end the program. It keeps the undo history of every edit and the time line's loop, and
// marks the window's caption while the document holds edits not yet saved. A bar under the toolbar
// asks what to do when the document changed on disk under such edits, or before a save over it.
#pragma once

#include "gui/Button.h"
#include "gui/ButtonListener.h"
#include "gui/DiskChangeBar.h"
#include "gui/EditHistory.h"
#include "gui/Frame.h"
#include "gui/HBox.h"
#include "gui/Label.h"
#include "gui/ObjectBrowser.h"
#include "gui/Separator.h"
#include "gui/TimeLine.h"
#include "gui/TitleImage.h"
#include "gui/VBox.h"

class Database;
class Display;
class Music;

class EditorPanel : public VBox, public ButtonListener {
public:
    EditorPanel();
    ~EditorPanel() override;

    bool init(Database* database, Display* display);
    bool isCloseRequested() const { return closeRequested; }
    // A line between the toolbar and the object list, in red (why the document on disk did not
    // load); empty removes it.
    void setProblem(const char* text);
    const char* getProblem() const { return problem.getText(); }

    bool draw(float time, float delta) override;  // false once the close button was used
    void setHost(WidgetHost* h) override;          // pauses the music while attached
    bool key(int virtualKey, bool down) override;  // after the focused control: undo, redo, the loop
    void clicked(Button* button) override;

    void undo();
    void redo();
    EditHistory& getHistory() { return history; }  // a reload into new objects may clear() it
    TimeLine* getTimeLine() { return &timeLine; }
    void showTimeLine(bool shown);  // the strip is shown unless taken out (to compare frames)
    ObjectBrowser* getBrowser() { return &browser; }
    DiskChangeBar* getDiskChange() { return &diskChange; }  // shown under the toolbar while it asks

    enum ButtonId { CloseButton = 1, SaveButton = 2, UndoButton = 3, RedoButton = 4 };

private:
    void showCaption();  // the title, marked while there are unsaved edits
    void arrange();      // the toolbar, the problem line if any, the time line if shown, the list

    Database* database = nullptr;  // not owned
    Music* music = nullptr;        // not owned
    Display* display = nullptr;    // not owned; its window's caption shows the unsaved-edits mark
    bool closeRequested = false;
    bool captionMarked = false;    // the caption as last set
    EditHistory history;

    TitleImage title;
    Separator separator{true};
    Button saveButton;
    Button closeButton;
    Button undoButton;
    Button redoButton;
    Separator historySeparator{true};
    HBox toolbar;
    Frame toolbarFrame;
    TimeLine timeLine;
    Frame timeLineFrame;
    ObjectBrowser browser;
    Label problem;
    DiskChangeBar diskChange;
    bool diskChangeArranged = false;  // the bar is among the children
    bool timeLineShown = true;
    Widget* toolbarChildren[8] = {};
    Widget* panelChildren[5] = {};
};
