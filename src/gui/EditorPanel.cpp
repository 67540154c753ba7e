#include "gui/EditorPanel.h"

#include "clock/Music.h"
#include "database/Database.h"
#include "gui/TransportPanel.h"
#include "gui/WidgetHost.h"
#include "platform/win/win32.h"
#include "resources/ResourceFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

namespace {
constexpr int TitleIcon = 129;
constexpr int CloseIcon = 120;
constexpr int SaveIcon = 121;
constexpr int UndoIcon = 131;
constexpr int RedoIcon = 132;
constexpr int VirtualKeyShift = 16, VirtualKeyControl = 17;
constexpr int VirtualKeyP = 'P', VirtualKeyS = 'S', VirtualKeyY = 'Y', VirtualKeyZ = 'Z';
constexpr DWORD MessageMilliseconds = 2500;  // how long a save's confirmation stays
constexpr D3DCOLOR MarkColour = 0xff000000, DoneColour = 0xff306010, FailureColour = 0xffc04040;
constexpr int VirtualKeyOpenBracket = 0xDB, VirtualKeyCloseBracket = 0xDD;
}  // namespace

EditorPanel::EditorPanel() = default;
EditorPanel::~EditorPanel() = default;

bool EditorPanel::init(Database* newDatabase) {
    database = newDatabase;
    history.activate();
    Object* found = database ? database->music(TypeMusic) : nullptr;
    music = found ? dynamic_cast<Music*>(found) : nullptr;
    if (!music) return false;
    if (!title.setIcon(TitleIcon)) return false;
    // The title keeps its picture's width; the status beside it takes the spare room (and moves
    // the window as the title does), so the controls at the right stay where they were.
    title.setSizeHint(128, 16, true, true);
    if (!status.init()) return false;
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
    // Out of the Tab order as well: F1 does the same from anywhere.
    helpButton.setListener(HelpButton, this);
    helpButton.setTakesFocus(false);
    if (!helpButton.setText("?")) return false;
    helpButton.setSizeHint(16, 16, true, true);  // as the icon buttons: the toolbar keeps its height
    if (!timeLine.init(music)) return false;
    timeLineFrame.setChild(&timeLine);

    // Without a transport panel the editor is still built, with the rest of the toolbar.
    int n = 0;
    toolbarChildren[n++] = &title;
    toolbarChildren[n++] = &status;
    toolbarChildren[n++] = &undoButton;
    toolbarChildren[n++] = &redoButton;
    toolbarChildren[n++] = &historySeparator;
    if (TransportPanel* transport = music->transportPanel()) toolbarChildren[n++] = transport;
    toolbarChildren[n++] = &separator;
    toolbarChildren[n++] = &helpButton;
    toolbarChildren[n++] = &saveButton;
    toolbarChildren[n++] = &closeButton;
    toolbar.setChildren(toolbarChildren, n);
    toolbarFrame.setChild(&toolbar);
    if (!browser.init(database)) return false;
    PropertyList::Actions actions;
    actions.editElement = [this](int index, const std::string& text, std::string* why) { return editElement(index, text, why); };
    actions.editDocument = [this](const std::string& before, const std::string& after, const std::string& select) {
        editDocument(before, after, select);
    };
    actions.cursor = [this] { return music ? music->time() : 0.0f; };
    actions.beatLength = [this] { return music ? music->beatLength() : 0.5f; };
    browser.getProperties()->init(database, std::move(actions));  // without fonts the rows are blank
    browser.showObject(browser.getList()->getSelected());
    diskChange.init(database);
    problems.init();  // without its font the list is blank, and the rest still works
    problems.setChooser([this](const std::string& name) { browser.selectName(name.c_str()); });
    problemsFrame.setChild(&problems);
    arrange();
    return true;
}

void EditorPanel::setProblem(const char* text) {
    setProblems(text && *text ? std::vector<std::string>{text} : std::vector<std::string>{});
}

void EditorPanel::setProblems(std::vector<std::string> lines) {
    failure = std::move(lines);
    listProblems();
}

void EditorPanel::setFindings(std::vector<std::string> lines) {
    findings = std::move(lines);
    listProblems();
}

void EditorPanel::listProblems() {
    std::vector<std::string> all = failure;
    all.insert(all.end(), findings.begin(), findings.end());
    problems.setLines(std::move(all));
    problemsFrame.childChanged();
    arrange();
}

void EditorPanel::arrange() {
    int n = 0;
    panelChildren[n++] = &toolbarFrame;
    if (!problems.getLines().empty()) panelChildren[n++] = &problemsFrame;
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
    if (h) timeLine.startWaveform();
    if (music) music->setPaused(h != nullptr);
}

bool EditorPanel::key(int virtualKey, bool down) {
    const bool control = host && host->isKeyDown(VirtualKeyControl);
    const bool shift = host && host->isKeyDown(VirtualKeyShift);
    if (down && control && !shift && virtualKey == VirtualKeyS) {  // before any control can take the S
        save();
        return true;
    }
    if (VBox::key(virtualKey, down)) return true;
    if (!down) return false;
    if (control && (virtualKey == VirtualKeyY || (virtualKey == VirtualKeyZ && shift))) {
        redo();
    } else if (control && virtualKey == VirtualKeyZ) {
        undo();
    } else if (control && virtualKey == VirtualKeyP) {
        browser.showProperties(!browser.arePropertiesShown());
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
    if (history.takeDocumentRequest(&documentRequest)) {
        hasDocumentRequest = true;
        const char* name = database ? database->nameAt(index) : nullptr;
        selectAfter = name ? name : "";
    } else if (index >= 0) {
        browser.selectObject(index);  // the changed object is shown
    }
    if (!history.refusal().empty()) tell("Not undone: " + history.refusal(), true);
}

void EditorPanel::redo() {
    const int index = history.redo(database);
    if (history.takeDocumentRequest(&documentRequest)) {
        hasDocumentRequest = true;
        const char* name = database ? database->nameAt(index) : nullptr;
        selectAfter = name ? name : "";
    } else if (index >= 0) {
        browser.selectObject(index);
    }
    if (!history.refusal().empty()) tell("Not redone: " + history.refusal(), true);
}

bool EditorPanel::editElement(int index, const std::string& text, std::string* why) {
    if (!database || !database->nameAt(index)) return false;
    EditHistory::Step step;
    step.index = index;
    step.name = database->nameAt(index);
    step.before.element = step.after.element = true;
    step.before.text = database->currentElementText(index);
    step.after.text = text;
    if (step.before.text == text) return true;
    switch (database->replaceElement(index, text, why)) {
    case Database::Replaced::Refused: return false;
    case Database::Replaced::Done:
        history.push(std::move(step));
        return true;
    case Database::Replaced::Reload: break;
    }
    // The music: the whole document loads again with the new element.
    std::string whole;
    if (!database->compose(&whole)) {
        *why = database->saveError();
        return false;
    }
    const std::size_t at = whole.find(step.before.text);
    if (at == std::string::npos) {
        *why = step.name + ": the element cannot be found in the document";
        return false;
    }
    std::string after = whole;
    after.replace(at, step.before.text.size(), text);
    editDocument(whole, after, step.name);
    return true;
}

void EditorPanel::editDocument(const std::string& before, const std::string& after, const std::string& select) {
    EditHistory::Step step;
    step.name = select;
    step.before.document = step.after.document = true;
    step.before.text = before;
    step.after.text = after;
    history.push(std::move(step));
    documentRequest = after;
    hasDocumentRequest = true;
    selectAfter = select;
}

bool EditorPanel::takeDocumentRequest(std::string* text) {
    if (!hasDocumentRequest) return false;
    hasDocumentRequest = false;
    ownReload = true;
    *text = std::move(documentRequest);
    documentRequest.clear();
    return true;
}

void EditorPanel::documentRefused(const std::string& why) {
    ownReload = false;
    selectAfter.clear();
    history.revertMove();
    tell("Not changed: " + why, true);
}

// --- across a reload -------------------------------------------------------------------------------

void EditorPanel::saveState(EditorState* state) {
    const char* selected = browser.selectedName();
    state->selected = selected ? selected : "";
    state->loopStart = timeLine.getLoopStart();
    state->loopEnd = timeLine.getLoopEnd();
    state->zoom = timeLine.getZoom();
    state->viewStart = timeLine.getViewStart();
    state->waveform = timeLine.getWaveform();
    state->views = browser.views();
    state->properties = browser.arePropertiesShown();
    state->history = history.record();
    state->history.own = std::exchange(ownReload, false);
    if (!selectAfter.empty()) state->selected = std::exchange(selectAfter, std::string());
    state->stepTexts.clear();
    for (EditHistory::Step& step : state->history.steps) {
        step.index = database ? EditHistory::indexIn(*database, step) : -1;
        if (step.index >= 0 && state->stepTexts.count(step.index) == 0)
            state->stepTexts[step.index] = database->elementText(step.index);
    }
}

std::vector<std::string> EditorPanel::continueFrom(const EditorState& state) {
    timeLine.setLoop(state.loopStart, state.loopEnd);
    timeLine.setView(state.zoom, state.viewStart);
    timeLine.getWaveform() = state.waveform;  // kept when the editor is shown if the music is the same
    browser.carryViews(state.views);
    browser.showProperties(state.properties);

    // An object's steps go on only while its element reads as it did: then they undo to what the
    // file held, and saving after undoing them all writes the file's bytes again.
    struct Dropped {
        int steps = 0;
        bool gone = false;  // no object of its name any more
    };
    std::map<std::string, Dropped> dropped;
    std::map<int, std::string> texts;  // of this version's elements, printed once each
    history.carry(state.history, [&](EditHistory::Step& step) {
        if (state.history.own) {  // renumbered only: the document is the editor's own
            step.index = database ? EditHistory::indexIn(*database, step) : -1;
            return true;
        }
        const int index = database ? EditHistory::indexIn(*database, step) : -1;
        const auto text = state.stepTexts.find(step.index);
        if (index >= 0 && texts.count(index) == 0) texts[index] = database->elementText(index);
        if (index >= 0 && text != state.stepTexts.end() && texts[index] == text->second) {
            step.index = index;
            return true;
        }
        Dropped& d = dropped[step.name];
        ++d.steps;
        d.gone = index < 0;
        return false;
    });
    std::vector<std::string> lines;
    for (const auto& [name, d] : dropped)
        lines.push_back("\"" + name + "\": " + std::to_string(d.steps) + (d.steps == 1 ? " undo step" : " undo steps") +
                        " dropped: " + (d.gone ? "no longer in the document" : "changed on disk"));

    if (!state.selected.empty()) browser.selectName(state.selected.c_str());
    return lines;
}

void EditorPanel::showCaption() {
    const bool marked = history.isModified();
    if (marked == captionMarked || getHost() == nullptr || !getHost()->markCaption(marked)) return;
    captionMarked = marked;
}

void EditorPanel::clicked(Button* button) {
    switch (button->getId()) {
    case CloseButton: closeRequested = true; break;  // the Gui saves the backup, or asks first
    case SaveButton: save(); break;
    case UndoButton: undo(); break;
    case RedoButton: redo(); break;
    case HelpButton: helpRequested = true; break;
    default: break;
    }
}

// --- saving --------------------------------------------------------------------------------------

namespace {

// Why a write failed, from the errno the failing call left: "Permission denied", "No space left
// on device", "No such file or directory" (the folder is gone).
std::string reason(int error) {
    return error != 0 ? std::strerror(error) : "an object could not be written";
}

void sayOnStandardError(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace

std::string EditorPanel::documentName() const {
    const std::string file = database ? database->fileName() : "";
    return std::filesystem::path(file).filename().string();
}

std::string EditorPanel::backupPath() const {
    // Beside a -d document (its folder's real path); the working folder for the linked-in one.
    std::string folder;
    if (database && database->folder()) {
        folder = database->folder()->path();
    } else {
        std::error_code error;
        folder = std::filesystem::current_path(error).string();
    }
    if (folder.empty()) return "Backup.xml";
    const std::string path = folder + (folder.back() == '/' ? "" : "/") + "Backup.xml";
    // A document that is itself called "Backup.xml" is never written over by its own backup.
    std::error_code error;
    if (database && std::filesystem::equivalent(path, database->fileName(), error))
        return path.substr(0, path.size() - 4) + ".backup.xml";
    return path;
}

bool EditorPanel::save(std::string* why) {
    if (!database) return false;
    errno = 0;
    const bool saved = database->save();
    const int error = errno;
    const std::string name = documentName();
    if (saved) {
        history.markSaved();
        tell("Saved " + name, false);
    } else {
        const bool changedOnDisk = database->saveRefusedForChangeOnDisk();
        const std::string cause = changedOnDisk ? "changed on disk since it was loaded or saved"
                                  : error ? reason(error) : database->saveError();
        tell("Not saved: " + name + ": " + cause, true);
        sayOnStandardError(std::string(database->fileName()) + ": not saved: " + cause);
        if (why) *why = cause;
        if (changedOnDisk) diskChange.askOverwrite(database->saveError());  // the author decides
    }
    return saved;
}

bool EditorPanel::saveBackup(std::string* why) {
    if (!database) return false;
    const std::string path = backupPath();
    errno = 0;
    const bool saved = database->saveAs(path.c_str());
    const int error = errno;
    if (saved) {
        sayOnStandardError("Backup written to " + path);
        tell("Backup written to " + path, false);
    } else {
        sayOnStandardError(path + ": backup not written: " + reason(error));
        tell("Backup not written: " + reason(error), true);
        if (why) *why = reason(error);
    }
    return saved;
}

void EditorPanel::tell(const std::string& message, bool failure) {
    statusMessage = message;
    statusFailed = failure;
    statusUntil = timeGetTime() + MessageMilliseconds;
    showStatus();
}

void EditorPanel::showStatus() {
    const bool unsaved = history.isModified();
    // A failure stays while its edits are unsaved; a confirmation only for a moment.
    if (!statusMessage.empty() && (statusFailed ? !unsaved : static_cast<int>(timeGetTime() - statusUntil) > 0))
        statusMessage.clear();
    std::string text = unsaved ? "*" : "";
    if (!statusMessage.empty()) text += (unsaved ? "  " : "") + statusMessage;
    status.show(text, statusMessage.empty() ? MarkColour : statusFailed ? FailureColour : DoneColour);
}

// --- drawing ---------------------------------------------------------------------------------------

bool EditorPanel::draw(float time, float delta) {
    if (database && database->rebuildCount() != seenRebuilds) {
        // Objects were built again: the panel of the new one is shown.
        seenRebuilds = database->rebuildCount();
        browser.showObject(browser.getList()->getSelected());
    }
    timeLine.setObject(browser.getShownObject());
    undoButton.greyed = !history.canUndo();
    redoButton.greyed = !history.canRedo();
    showCaption();
    showStatus();
    if (diskChange.isShown() != diskChangeArranged) arrange();
    // The problems wrap to the width they were given: as many rows as that takes, up to a few.
    if (problemsFrame.getSizeHint().height != problems.getSizeHint().height + 2 * problemsFrame.getMargins().y) {
        problemsFrame.childChanged();
        childChanged();
    }
    // Content that shows nothing at this time stops the clock rather than the program.
    if (!VBox::draw(time, delta) && music) music->setPaused(true);
    return !closeRequested;
}
