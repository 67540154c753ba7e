#include "gui/Gui.h"

#include "app/Device.h"
#include "database/Database.h"
#include "gui/WidgetHost.h"
#include "visuals/Visual.h"

#include <string>

namespace {
constexpr int VirtualKeyTab = 9;
constexpr int VirtualKeyShift = 16;
constexpr int VirtualKeyEscape = 27;
constexpr int VirtualKeySpace = 32;
constexpr D3DCOLOR Background = 0xff204080;
constexpr int EditorMargin = 2;
}  // namespace

Gui::Gui() { margins = {0, 0}; }
Gui::~Gui() = default;

bool Gui::init(Database* newDatabase, Display* display) {
    database = newDatabase;
    if (!database) return false;
    Object* root = database->root(TypeVisual);
    rootVisual = root ? dynamic_cast<Visual*>(root) : nullptr;
    if (!rootVisual) return false;
    if (!editor.init(database)) return false;
    rootPreview = std::make_unique<VisualPreview>(rootVisual);
    showChild(rootPreview.get());
    return true;
}

void Gui::continueFrom(Gui& previous) {
    editorOpened = previous.editorOpened;
    if (previous.editorShown && !editorShown) toggleEditor();
    if (const char* name = previous.editor.getBrowser()->selectedName()) {
        const std::string selected = name;
        editor.getBrowser()->selectName(selected.c_str());
    }
}

// --- behaviour -------------------------------------------------------------------------------------

void Gui::showChild(Widget* widget) {
    setChild(widget);
    if (focusReceived && !focusedChild) focusChild(0);
}

void Gui::toggleEditor() {
    editorOpened = true;
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

bool Gui::key(int virtualKey, bool down) {
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
            if (editorOpened && database) database->saveAs("Backup.xml");
            quit = true;
            handled = true;
        } else if (virtualKey == VirtualKeySpace) {
            toggleEditor();
            handled = true;
        }
    }
    return handled;
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
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Background, 1.0f, 0);
    }
    const bool drawn = child ? child->draw(time, delta) : true;
    if (!drawn && !quit && editorOpened && !editorShown) {
        // An author who has opened the editor may hold edits not yet saved: the end of the
        // production brings the editor back (the music pauses) instead of ending the program.
        toggleEditor();
        return true;
    }
    return drawn && !quit;
}
