#include "gui/EditorPanel.h"

#include "app/Display.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "gui/TransportPanel.h"
#include "gui/WidgetHost.h"

#include <string>

namespace {
constexpr int TitleIcon = 129;
constexpr int CloseIcon = 120;
constexpr int SaveIcon = 121;
constexpr int UndoIcon = 131;
constexpr int RedoIcon = 132;
constexpr int VirtualKeyShift = 16, VirtualKeyControl = 17;
constexpr int VirtualKeyY = 'Y', VirtualKeyZ = 'Z';
constexpr int VirtualKeyOpenBracket = 0xDB, VirtualKeyCloseBracket = 0xDD;
}  // namespace

EditorPanel::EditorPanel() = default;
EditorPanel::~EditorPanel() = default;

bool EditorPanel::init(Database* newDatabase, Display* newDisplay) {
    database = newDatabase;
    display = newDisplay;
    history.activate();
    Object* found = database ? database->music(TypeMusic) : nullptr;
    music = found ? dynamic_cast<Music*>(found) : nullptr;
    if (!music) return false;
    if (!title.setIcon(TitleIcon)) return false;
    closeButton.setListener(CloseButton, this);
    saveButton.setListener(SaveButton, this);
    // A button without its icon still works; it is only harder to see.
    closeButton.setIcon(CloseIcon);
    saveButton.setIcon(SaveIcon);
    // Undo and redo stay out of the Tab order, which keeps the controls it always had.
    undoButton.setListener(UndoButton, this);
    redoButton.setListener(RedoButton, this);
    undoButton.setIcon(UndoIcon);
    redoButton.setIcon(RedoIcon);
    undoButton.setTakesFocus(false);
    redoButton.setTakesFocus(false);
    undoButton.greyed = redoButton.greyed = true;
    if (!timeLine.init(music)) return false;
    timeLineFrame.setChild(&timeLine);

    // Without a transport panel the editor is still built, with the rest of the toolbar.
    int n = 0;
    toolbarChildren[n++] = &title;
    toolbarChildren[n++] = &undoButton;
    toolbarChildren[n++] = &redoButton;
    toolbarChildren[n++] = &historySeparator;
    if (TransportPanel* transport = music->transportPanel()) toolbarChildren[n++] = transport;
    toolbarChildren[n++] = &separator;
    toolbarChildren[n++] = &saveButton;
    toolbarChildren[n++] = &closeButton;
    toolbar.setChildren(toolbarChildren, n);
    toolbarFrame.setChild(&toolbar);
    if (!browser.init(database)) return false;
    diskChange.init(database);
    arrange();
    return true;
}

void EditorPanel::setProblem(const char* text) {
    if (!problem.setText(text ? text : "")) return;
    problem.colour = 0xffc04040;
    const SizeHint h = problem.getSizeHint();
    problem.setSizeHint(0, h.height, false, true);  // a long line is cut, never widens the editor
    arrange();
}

void EditorPanel::arrange() {
    int n = 0;
    panelChildren[n++] = &toolbarFrame;
    if (*problem.getText() != '\0') panelChildren[n++] = &problem;
    diskChangeArranged = diskChange.isShown();
    if (diskChangeArranged) panelChildren[n++] = &diskChange;
    if (timeLineShown) panelChildren[n++] = &timeLineFrame;
    panelChildren[n++] = &browser;
    setChildren(panelChildren, n);
}

// --- behaviour -------------------------------------------------------------------------------------

void EditorPanel::setHost(WidgetHost* h) {
    VBox::setHost(h);
    // The loop is the editor's: the production without the editor plays straight through.
    timeLine.enableLoop(h != nullptr);
    if (music) music->setPaused(h != nullptr);
}

bool EditorPanel::key(int virtualKey, bool down) {
    if (VBox::key(virtualKey, down)) return true;
    if (!down) return false;
    const bool control = host && host->isKeyDown(VirtualKeyControl);
    const bool shift = host && host->isKeyDown(VirtualKeyShift);
    if (control && (virtualKey == VirtualKeyY || (virtualKey == VirtualKeyZ && shift))) {
        redo();
    } else if (control && virtualKey == VirtualKeyZ) {
        undo();
    } else if (virtualKey == VirtualKeyOpenBracket && !control) {
        timeLine.setLoopStartHere();
    } else if (virtualKey == VirtualKeyCloseBracket && !control) {
        timeLine.setLoopEndHere();
    } else {
        return false;
    }
    return true;
}

void EditorPanel::showTimeLine(bool shown) {
    timeLineShown = shown;
    arrange();
}

void EditorPanel::undo() {
    const int index = history.undo(database);
    if (index >= 0) browser.selectObject(index);  // the changed object is shown
}

void EditorPanel::redo() {
    const int index = history.redo(database);
    if (index >= 0) browser.selectObject(index);
}

void EditorPanel::showCaption() {
    const bool marked = history.isModified();
    if (marked == captionMarked || !display || !display->window) return;
    captionMarked = marked;
    const std::string caption = std::string(display->title) + (marked ? " *" : "");
    SetWindowTextA(display->window, caption.c_str());
}

void EditorPanel::clicked(Button* button) {
    switch (button->getId()) {
    case CloseButton:
        if (database) database->saveAs("Backup.xml");
        closeRequested = true;
        break;
    case SaveButton:
        if (database && database->save()) history.markSaved();
        else if (database && database->saveRefusedForChangeOnDisk()) diskChange.askOverwrite(database->saveError());
        break;
    case UndoButton: undo(); break;
    case RedoButton: redo(); break;
    default: break;
    }
}

// --- drawing ---------------------------------------------------------------------------------------

bool EditorPanel::draw(float time, float delta) {
    timeLine.setObject(browser.getShownObject());
    undoButton.greyed = !history.canUndo();
    redoButton.greyed = !history.canRedo();
    showCaption();
    if (diskChange.isShown() != diskChangeArranged) arrange();
    // Content that shows nothing at this time stops the clock rather than the program.
    if (!VBox::draw(time, delta) && music) music->setPaused(true);
    return !closeRequested;
}
