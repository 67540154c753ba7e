#include "gui/Gui.h"

#include "app/Device.h"
#include "database/Database.h"
#include "gui/HelpTable.h"
#include "gui/WidgetHost.h"
#include "visuals/Visual.h"

#include <string>

namespace {
constexpr int VirtualKeyTab = 9;
constexpr int VirtualKeyShift = 16;
constexpr int VirtualKeyEscape = 27;
constexpr int VirtualKeySpace = 32;
constexpr int VirtualKeyF1 = 0x70;
constexpr int EditorMargin = 2;
}  // namespace

Gui::Gui() { margins = {0, 0}; }
Gui::~Gui() = default;

bool Gui::init(Database* newDatabase, Display* display, bool rootOptional) {
    database = newDatabase;
    if (!database) return false;
    Object* root = database->root(TypeVisual);
    rootVisual = root ? dynamic_cast<Visual*>(root) : nullptr;
    if (!rootVisual) whyNoRoot = database->loadProblems();  // before the editor asks for more
    if (!rootVisual && !rootOptional) return false;
    if (!editor.init(database)) return false;
    if (!question.init()) return false;
    if (!help.init()) return false;
    help.setHost(childHost());
    question.setHost(childHost());
    if (!rootVisual) {  // nothing to play: the editor, to mend the document
        toggleEditor();
        return true;
    }
    rootPreview = std::make_unique<VisualPreview>(rootVisual);
    showChild(rootPreview.get());
    return true;
}

EditorState Gui::state() {
    EditorState state;
    state.shown = editorShown;
    state.opened = editorOpened;
    editor.saveState(&state);
    return state;
}

std::vector<std::string> Gui::continueFrom(const EditorState& state) {
    // The editor's state first: showing it then starts nothing that the last one had done.
    std::vector<std::string> lines = editor.continueFrom(state);
    editorOpened = state.opened;
    if (state.shown && !editorShown) toggleEditor();
    return lines;
}

void Gui::rootRebuilt() {
    seenRebuilds = database->rebuildCount();
    Object* root = database->root(TypeVisual);
    Visual* visual = root ? dynamic_cast<Visual*>(root) : nullptr;
    if (!visual || visual == rootVisual) return;
    // The old root is kept by the database until the end; the preview shows the new one.
    rootVisual = visual;
    auto preview = std::make_unique<VisualPreview>(rootVisual);
    if (!editorShown) showChild(preview.get());
    rootPreview = std::move(preview);
}

// --- behaviour -------------------------------------------------------------------------------------

void Gui::showChild(Widget* widget) {
    setChild(widget);
    if (focusReceived && !focusedChild) focusChild(0);
}

void Gui::toggleEditor() {
    editorOpened = true;
    if (editorShown && !rootPreview) return;  // without a root visual there is only the editor
    if (editorShown) {
        editorShown = false;
        if (host) host->showCursor(false);
        setMargins({0, 0});
        showChild(rootPreview.get());
    } else {
        editorShown = true;
        if (host) host->showCursor(true);
        setMargins({EditorMargin, EditorMargin});
        showChild(&editor);
    }
}

bool Gui::focusIn(int direction) {
    focusReceived = true;
    focusChild(direction);
    focused = true;
    return true;
}

void Gui::toggleHelp() {
    if (help.isShown()) {
        help.hide();
        return;
    }
    std::vector<const char*> contexts;
    if (!editorShown) {
        contexts = {HelpPlayback};
    } else {
        contexts = {HelpEditor};
        // The selected object's panel, then the time line that is always there.
        if (Object* shown = editor.getBrowser()->getShownObject()) {
            if (shown->castTo(TypePath)) contexts.push_back(HelpPath);
            else if (shown->castTo(TypeFloat)) contexts.push_back(HelpFloat);
            else if (shown->castTo(TypeTexture)) contexts.push_back(HelpTexture);
            else if (shown->castTo(TypeModel)) contexts.push_back(HelpModel);
        }
        contexts.push_back(HelpTimeLine);
    }
    help.show(contexts);
    layout();
}

bool Gui::key(int virtualKey, bool down) {
    if (quit) return true;  // leaving: keys typed after the last answer change nothing
    if (help.isShown()) {  // the help has every key while shown: F1 and Escape close it
        if (down && (virtualKey == VirtualKeyF1 || virtualKey == VirtualKeyEscape)) help.hide();
        return true;
    }
    if (asking) {  // the question has every key until it is answered
        question.key(virtualKey, down);
        answer(question.takeAnswer());
        return true;
    }
    if (down && virtualKey == VirtualKeyF1) {  // before any control can take it
        toggleHelp();
        return true;
    }
    bool handled = focusedChild && focusedChild->key(virtualKey, down);
    if (!handled && virtualKey == VirtualKeyTab && down && focusedChild) {
        // The child ran past its last control: start again from its first (or last, with Shift).
        Widget* current = focusedChild;
        current->focusOut();
        const bool backward = host && host->isKeyDown(VirtualKeyShift);
        if (!current->focusIn(backward ? 1 : 0)) focusedChild = nullptr;
        handled = true;
    }
    if (!handled && down) {
        if (virtualKey == VirtualKeyEscape) {
            requestClose();
            handled = true;
        } else if (virtualKey == VirtualKeySpace) {
            toggleEditor();
            handled = true;
        }
    }
    return handled;
}

// --- leaving ---------------------------------------------------------------------------------------

void Gui::requestClose() {
    if (asking || quit) return;
    if (!editorOpened) {  // playback alone: nothing can have been edited
        quit = true;
        return;
    }
    if (editor.hasUnsavedEdits()) {
        if (!editorShown) toggleEditor();
        ask("");
        return;
    }
    editor.saveBackup();
    quit = true;
}

void Gui::keepEditsOnStop() {
    if (editorOpened && editor.hasUnsavedEdits()) editor.saveBackup();
}

void Gui::ask(const std::string& why) {
    const std::string name = editor.documentName();
    const std::string first = why.empty() ? name + " has edits not yet saved." : why;
    const std::string second = "Leave keeps them in " + editor.backupPath() + ".";
    question.ask(first.c_str(), second.c_str(), !why.empty());
    asking = true;
    layout();
    question.focusIn(0);
}

void Gui::answer(LeaveQuestion::Answer choice) {
    std::string why;
    switch (choice) {
    case LeaveQuestion::Save:
        if (editor.save(&why)) {
            editor.saveBackup();
            quit = true;
        } else {
            ask("Not saved: " + why);
        }
        break;
    case LeaveQuestion::Leave:
        if (editor.saveBackup(&why)) {
            quit = true;
        } else {
            ask("Backup.xml not written: " + why);
        }
        break;
    case LeaveQuestion::Stay: break;
    case LeaveQuestion::None: return;
    }
    if (quit || choice == LeaveQuestion::Stay) {
        asking = false;
        question.focusOut();
        question.mouseLeave();
    }
}

// While the question is open the mouse reaches it alone, and only over it.

void Gui::character(int code) {
    if (!asking && !help.isShown()) Frame::character(code);
}

void Gui::mouseLeave() {
    question.mouseLeave();
    Frame::mouseLeave();
}

void Gui::mouseMove(Point p) {
    if (help.isShown()) return;
    if (!asking) return Frame::mouseMove(p);
    if (question.hitTest(p)) question.mouseMove(p);
    else question.mouseLeave();
}

void Gui::leftButton(Point p, int action) {
    if (help.isShown()) {  // a click anywhere closes the help, and goes no further
        if (action == 0) help.hide();
        return;
    }
    if (!asking) return Frame::leftButton(p, action);
    if (question.hitTest(p)) {
        question.leftButton(p, action);
        answer(question.takeAnswer());
    }
}

void Gui::middleButton(Point p, int action) {
    if (help.isShown()) {
        if (action == 0) help.hide();
        return;
    }
    if (!asking) Frame::middleButton(p, action);
}

void Gui::rightButton(Point p, int action) {
    if (help.isShown()) {
        if (action == 0) help.hide();
        return;
    }
    if (!asking) Frame::rightButton(p, action);
}

void Gui::wheel(Point p, float notches) {
    if (!asking && !help.isShown()) Frame::wheel(p, notches);
}

void Gui::layout() {
    Frame::layout();
    // The question in the middle of the window, as large as it asks to be.
    const SizeHint h = question.getSizeHint();
    question.setRect({rect.x + (rect.width - h.width) / 2, rect.y + (rect.height - h.height) / 2, h.width, h.height});
    // The help over the whole window but a margin, the picture or the editor showing around it.
    constexpr int HelpMargin = 12;
    help.setRect({rect.x + HelpMargin, rect.y + HelpMargin, rect.width - 2 * HelpMargin, rect.height - 2 * HelpMargin});
}

// --- drawing ---------------------------------------------------------------------------------------

bool Gui::draw(float time, float delta) {
    if (device) {
        // The whole target, whatever viewport the last visual left behind.
        ComRef<IDirect3DSurface9> target;
        D3DSURFACE_DESC desc{};
        if (device->GetRenderTarget(0, &target) >= 0 && target && target->GetDesc(&desc) >= 0) {
            const D3DVIEWPORT9 whole{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
            device->SetViewport(&whole);
        }
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    }
    if (editor.takeCloseRequest()) requestClose();
    if (editor.takeHelpRequest()) toggleHelp();
    if (database->rebuildCount() != seenRebuilds) rootRebuilt();
    const bool drawn = child ? child->draw(time, delta) : true;
    if (asking) question.draw(time, delta);
    help.draw(time, delta);
    if (!drawn && !quit && editorOpened && !editorShown) {
        // An author who has opened the editor may hold edits not yet saved: the end of the
        // production brings the editor back (the music pauses) instead of ending the program.
        toggleEditor();
        return true;
    }
    return drawn && !quit;
}
