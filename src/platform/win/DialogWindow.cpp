#include "platform/win/DialogWindow.h"

#include "platform/win/Resources.h"
#include "platform/win/WindowSystem.h"

#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

std::vector<DialogWindow*> openDialogs;  // innermost last

constexpr Uint32 faceColour = 0xFFF0F0F0;
constexpr Uint32 frameColour = 0xFF646464;
constexpr Uint32 buttonFace = 0xFFE1E1E1;
constexpr Uint32 buttonPressed = 0xFFCCE4F7;
constexpr Uint32 buttonBorder = 0xFFADADAD;
constexpr Uint32 defaultBorder = 0xFF0078D7;
constexpr Uint32 textColour = 0xFF000000;
constexpr Uint32 highlight = 0xFF0078D7;
constexpr Uint32 highlightText = 0xFFFFFFFF;
constexpr Uint32 white = 0xFFFFFFFF;
constexpr Uint32 boxBorder = 0xFF333333;

bool isMovementKey(SDL_Keycode key) {
    return key == SDLK_TAB || key == SDLK_UP || key == SDLK_DOWN || key == SDLK_LEFT || key == SDLK_RIGHT ||
           key == SDLK_HOME || key == SDLK_END;
}

int mulDiv(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}

void setColour(SDL_Renderer* renderer, Uint32 argb) {
    SDL_SetRenderDrawColor(renderer, (argb >> 16) & 0xff, (argb >> 8) & 0xff, argb & 0xff, argb >> 24);
}

void fill(SDL_Renderer* renderer, int x, int y, int width, int height, Uint32 argb) {
    setColour(renderer, argb);
    SDL_Rect rect{x, y, width, height};
    SDL_RenderFillRect(renderer, &rect);
}

void frame(SDL_Renderer* renderer, int x, int y, int width, int height, Uint32 argb) {
    setColour(renderer, argb);
    SDL_Rect rect{x, y, width, height};
    SDL_RenderDrawRect(renderer, &rect);
}

void dottedFrame(SDL_Renderer* renderer, int x, int y, int width, int height) {
    setColour(renderer, textColour);
    for (int i = 0; i < width; i += 2) {
        SDL_RenderDrawPoint(renderer, x + i, y);
        SDL_RenderDrawPoint(renderer, x + i, y + height - 1);
    }
    for (int i = 0; i < height; i += 2) {
        SDL_RenderDrawPoint(renderer, x, y + i);
        SDL_RenderDrawPoint(renderer, x + width - 1, y + i);
    }
}

// A picture resource: a Windows bitmap file, or a PNG. Null when missing or undecodable.
SDL_Surface* loadPicture(int number) {
    win::ResourceBytes bytes = win::findResource(number);
    if (!bytes) return nullptr;
    if (SDL_Surface* bitmap = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data, static_cast<int>(bytes.size)), 1))
        return bitmap;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data, bytes.size)) return nullptr;
    image.format = PNG_FORMAT_BGRA;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, static_cast<int>(image.width),
                                                          static_cast<int>(image.height), 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, surface->pixels, surface->pitch, nullptr)) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}

}  // namespace

DialogWindow::DialogWindow(const DialogTemplate* dialogTemplate, DLGPROC procedure, LPARAM initParam)
    : dialogTemplate(dialogTemplate), dialogProcedure(procedure), initParam(initParam) {}

DialogWindow::~DialogWindow() {
    openDialogs.erase(std::remove(openDialogs.begin(), openDialogs.end(), this), openDialogs.end());
    for (Control& control : controls) {
        if (control.picture) SDL_DestroyTexture(control.picture);
    }
    if (renderer) SDL_DestroyRenderer(renderer);
    win::settleBeforeDestroying(sdlWindow);
    if (sdlWindow) SDL_DestroyWindow(sdlWindow);
}

DialogWindow* DialogWindow::fromHandle(HWND handle) {
    for (DialogWindow* dialog : openDialogs) {
        if (static_cast<win::NativeWindow*>(dialog) == handle) return dialog;
    }
    return nullptr;
}

bool DialogWindow::mapRect(RECT& rect) const {
    rect.left = mulDiv(static_cast<int>(rect.left), font.baseUnitX(), 4);
    rect.right = mulDiv(static_cast<int>(rect.right), font.baseUnitX(), 4);
    rect.top = mulDiv(static_cast<int>(rect.top), font.baseUnitY(), 8);
    rect.bottom = mulDiv(static_cast<int>(rect.bottom), font.baseUnitY(), 8);
    return true;
}

bool DialogWindow::controlRect(int id, RECT& rect) const {
    const Control* control = byId(id);
    if (control == nullptr) return false;
    rect = {control->x, control->y, control->x + control->width, control->y + control->height};
    return true;
}

DialogWindow::Control* DialogWindow::byId(int id) {
    for (Control& control : controls) {
        if (control.item.id == id && id != -1) return &control;
    }
    return nullptr;
}

const DialogWindow::Control* DialogWindow::byId(int id) const {
    for (const Control& control : controls) {
        if (control.item.id == id && id != -1) return &control;
    }
    return nullptr;
}

bool DialogWindow::isPushButton(const Control& c) const {
    return c.item.controlClass == DialogControlClass::Button &&
           ((c.item.style & 0x0F) == BS_PUSHBUTTON || (c.item.style & 0x0F) == BS_DEFPUSHBUTTON);
}
bool DialogWindow::isCheckBox(const Control& c) const {
    return c.item.controlClass == DialogControlClass::Button && (c.item.style & 0x0F) == BS_AUTOCHECKBOX;
}
bool DialogWindow::isCombo(const Control& c) const {
    return c.item.controlClass == DialogControlClass::ComboBox;
}
bool DialogWindow::isTabStop(const Control& c) const {
    return (c.item.style & WS_TABSTOP) != 0;
}

void DialogWindow::layout() {
    RECT whole{0, 0, dialogTemplate->cx, dialogTemplate->cy};
    mapRect(whole);
    clientWidth = static_cast<int>(whole.right);
    clientHeight = static_cast<int>(whole.bottom);
    itemHeight = font.height() + 2;
    for (int i = 0; i < dialogTemplate->itemCount; ++i) {
        Control control;
        control.item = dialogTemplate->items[i];
        RECT r{control.item.x, control.item.y, control.item.x + control.item.cx, control.item.y + control.item.cy};
        mapRect(r);
        control.x = static_cast<int>(r.left);
        control.y = static_cast<int>(r.top);
        control.width = static_cast<int>(r.right - r.left);
        control.height = static_cast<int>(r.bottom - r.top);
        // A drop-down list's template height includes its open list; closed, it is one line high.
        if (isCombo(control)) control.height = itemHeight + 6;
        std::string text = control.item.text ? control.item.text : "";
        for (std::size_t k = 0; k < text.size(); ++k) {
            if (text[k] == '&' && k + 1 < text.size()) {
                if (text[k + 1] != '&' && control.mnemonicAt < 0) control.mnemonicAt = static_cast<int>(control.label.size());
                ++k;
            }
            control.label += text[k];
        }
        controls.push_back(std::move(control));
    }
}

bool DialogWindow::create() {
    if (!font.open(dialogTemplate->pointSize > 0 ? dialogTemplate->pointSize : 8)) return false;
    layout();
    int x = SDL_WINDOWPOS_CENTERED;
    int y = SDL_WINDOWPOS_CENTERED;
    if ((dialogTemplate->style & DS_CENTER) == 0) {
        RECT at{dialogTemplate->x, dialogTemplate->y, 0, 0};
        mapRect(at);
        x = static_cast<int>(at.left);
        y = static_cast<int>(at.top);
    }
    sdlWindow = SDL_CreateWindow(dialogTemplate->title ? dialogTemplate->title : "", x, y, clientWidth, clientHeight,
                                 SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (sdlWindow == nullptr) return false;
    // Drawn in software: the dialog comes before any OpenGL context and needs none.
    renderer = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
    if (renderer == nullptr) return false;
    for (Control& control : controls) {
        if (control.item.controlClass != DialogControlClass::Static || (control.item.style & 0x1F) != SS_BITMAP)
            continue;
        // A missing picture leaves its area empty; the dialog works without it.
        if (SDL_Surface* picture = loadPicture(control.item.image)) {
            control.width = picture->w;
            control.height = picture->h;
            control.picture = SDL_CreateTextureFromSurface(renderer, picture);
            SDL_FreeSurface(picture);
        }
    }
    return true;
}

INT_PTR DialogWindow::runModal() {
    // Video stays up afterwards, as for every window of this layer: the display follows at once,
    // and unloading the X libraries between the two gains nothing.
    if (!win::startVideo()) return -1;
    // Without a display SDL falls back to drivers nobody can see or answer: no dialog then.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) return -1;
    if (!create()) {
        for (Control& control : controls) {
            if (control.picture) SDL_DestroyTexture(control.picture);
            control.picture = nullptr;
        }
        if (renderer) SDL_DestroyRenderer(renderer);
        if (sdlWindow) SDL_DestroyWindow(sdlWindow);
        renderer = nullptr;
        sdlWindow = nullptr;
        return -1;
    }
    openDialogs.push_back(this);

    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
        if (isTabStop(controls[i])) {
            focus = i;
            break;
        }
    }
    dialogProcedure(this, WM_INITDIALOG, 0, initParam);
    if (!ended) {
        SDL_ShowWindow(sdlWindow);
        SDL_RaiseWindow(sdlWindow);
    }
    while (!ended) {
        if (dirty) render();
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, 100)) {
            handle(event);
            while (!ended && SDL_PollEvent(&event)) handle(event);
        }
    }

    SDL_CaptureMouse(SDL_FALSE);  // a button still held when the dialog ended
    openDialogs.erase(std::remove(openDialogs.begin(), openDialogs.end(), this), openDialogs.end());
    for (Control& control : controls) {
        if (control.picture) SDL_DestroyTexture(control.picture);
        control.picture = nullptr;
    }
    SDL_DestroyRenderer(renderer);
    win::settleBeforeDestroying(sdlWindow);
    SDL_DestroyWindow(sdlWindow);
    renderer = nullptr;
    sdlWindow = nullptr;
    // Input meant for the dialog must not reach the next window.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return result;
}

void DialogWindow::end(INT_PTR value) {
    ended = true;
    result = value;
}

void DialogWindow::command(int id, unsigned notification) {
    dialogProcedure(this, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), notification), 0);
}

void DialogWindow::handle(const SDL_Event& event) {
    Uint32 own = SDL_GetWindowID(sdlWindow);
    switch (event.type) {
    case SDL_QUIT:
        command(IDCANCEL, BN_CLICKED);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != own) break;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) command(IDCANCEL, BN_CLICKED);
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST && openCombo >= 0) openList(false);
        dirty = true;
        break;
    case SDL_KEYDOWN:
        // A modal dialog takes the keyboard even before the system names a focus window.
        if (event.key.windowID != own && event.key.windowID != 0) break;
        // Held keys repeat only where Windows repeats them: moving the focus or the selection.
        if (event.key.repeat && !isMovementKey(event.key.keysym.sym)) break;
        keyDown(event.key.keysym.sym, event.key.keysym.mod);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID == own && event.button.button == SDL_BUTTON_LEFT) mouseDown(event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        // A release that ends a press outside the window can come with no window: SDL drops its
        // mouse focus when the pointer leaves before the capture has taken hold. It still ends the press.
        if ((event.button.windowID == own || event.button.windowID == 0) && event.button.button == SDL_BUTTON_LEFT)
            mouseUp(event.button.x, event.button.y);
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.windowID == own) mouseMove(event.motion.x, event.motion.y);
        break;
    default: break;
    }
}

void DialogWindow::focusControl(int index) {
    if (index == focus) return;
    if (openCombo >= 0) openList(false);
    focus = index;
    dirty = true;
}

void DialogWindow::moveFocus(bool backward) {
    int count = static_cast<int>(controls.size());
    if (count == 0) return;
    int start = focus < 0 ? (backward ? 0 : count - 1) : focus;
    for (int step = 1; step <= count; ++step) {
        int index = ((start + (backward ? -step : step)) % count + count) % count;
        if (isTabStop(controls[index])) {
            focusControl(index);
            return;
        }
    }
}

void DialogWindow::click(Control& control) {
    if (isCheckBox(control)) {
        control.checked = !control.checked;
        dirty = true;
    }
    command(control.item.id, BN_CLICKED);
}

void DialogWindow::selectItem(Control& control, int index, bool notify) {
    if (index < -1 || index >= static_cast<int>(control.strings.size())) return;
    bool changed = control.selected != index;
    control.selected = index;
    dirty = true;
    if (changed && notify) command(control.item.id, CBN_SELCHANGE);
}

void DialogWindow::openList(bool open) {
    if (open) {
        if (focus < 0 || !isCombo(controls[focus]) || controls[focus].strings.empty()) return;
        openCombo = focus;
        hotItem = std::max(0, controls[focus].selected);
    } else {
        openCombo = -1;
        hotItem = -1;
    }
    dirty = true;
}

void DialogWindow::listArea(int& x, int& y, int& width, int& height) const {
    const Control& combo = controls[openCombo];
    x = combo.x;
    width = combo.width;
    height = static_cast<int>(combo.strings.size()) * itemHeight + 2;
    // Below the box when it fits in the dialog, otherwise above it, as a list near the edge opens.
    y = combo.y + combo.height;
    if (y + height > clientHeight) y = combo.y - height;
    if (y < 0) y = 0;
}

int DialogWindow::listItemAt(int x, int y) const {
    if (openCombo < 0) return -1;
    int lx, ly, lw, lh;
    listArea(lx, ly, lw, lh);
    if (x < lx || x >= lx + lw || y < ly + 1 || y >= ly + lh - 1) return -1;
    int item = (y - ly - 1) / itemHeight;
    return item < static_cast<int>(controls[openCombo].strings.size()) ? item : -1;
}

int DialogWindow::hit(int x, int y) const {
    for (int i = static_cast<int>(controls.size()) - 1; i >= 0; --i) {
        const Control& c = controls[i];
        if (c.item.controlClass == DialogControlClass::Static) continue;
        if (x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height) return i;
    }
    return -1;
}

void DialogWindow::mouseDown(int x, int y) {
    if (openCombo >= 0) {
        int item = listItemAt(x, y);
        Control& combo = controls[openCombo];
        openList(false);
        if (item >= 0) selectItem(combo, item, true);
        return;  // a click outside an open list only closes it
    }
    int index = hit(x, y);
    if (index < 0) return;
    Control& control = controls[index];
    if (isTabStop(control)) focusControl(index);
    if (isCombo(control)) {
        openList(true);
    } else {
        control.pressed = true;
        SDL_CaptureMouse(SDL_TRUE);
    }
    dirty = true;
}

void DialogWindow::mouseUp(int x, int y) {
    SDL_CaptureMouse(SDL_FALSE);
    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
        Control& control = controls[i];
        if (!control.pressed) continue;
        control.pressed = false;
        dirty = true;
        if (hit(x, y) == i) click(control);
        return;
    }
}

void DialogWindow::mouseMove(int x, int y) {
    if (openCombo < 0) return;
    int item = listItemAt(x, y);
    if (item >= 0 && item != hotItem) {
        hotItem = item;
        dirty = true;
    }
}

void DialogWindow::keyDown(int key, int modifiers) {
    bool alt = (modifiers & KMOD_ALT) != 0;
    bool shift = (modifiers & KMOD_SHIFT) != 0;
    if (alt && key == SDLK_F4) {  // the system menu's Close, where no window manager offers it
        command(IDCANCEL, BN_CLICKED);
        return;
    }
    if (openCombo >= 0) {
        Control& combo = controls[openCombo];
        int count = static_cast<int>(combo.strings.size());
        switch (key) {
        case SDLK_UP:
            if (alt) {
                openList(false);
                selectItem(combo, hotItem, true);
            } else if (hotItem > 0) {
                --hotItem;
            }
            break;
        case SDLK_DOWN:
            if (alt) {
                int chosen = hotItem;
                openList(false);
                selectItem(combo, chosen, true);
            } else if (hotItem + 1 < count) {
                ++hotItem;
            }
            break;
        case SDLK_HOME: hotItem = 0; break;
        case SDLK_END: hotItem = count - 1; break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_F4:
        case SDLK_TAB: {
            int chosen = hotItem;
            openList(false);
            selectItem(combo, chosen, true);
            if (key == SDLK_TAB) moveFocus(shift);
            break;
        }
        case SDLK_ESCAPE: openList(false); break;
        default: break;
        }
        dirty = true;
        return;
    }

    Control* focused = focus >= 0 ? &controls[focus] : nullptr;
    switch (key) {
    case SDLK_TAB: moveFocus(shift); return;
    case SDLK_ESCAPE: command(IDCANCEL, BN_CLICKED); return;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        // The focused push button, otherwise the default one.
        if (focused && isPushButton(*focused)) {
            command(focused->item.id, BN_CLICKED);
            return;
        }
        for (Control& control : controls) {
            if (isPushButton(control) && (control.item.style & 0x0F) == BS_DEFPUSHBUTTON) {
                command(control.item.id, BN_CLICKED);
                return;
            }
        }
        command(IDOK, BN_CLICKED);
        return;
    case SDLK_SPACE:
        if (focused && (isPushButton(*focused) || isCheckBox(*focused))) click(*focused);
        return;
    case SDLK_F4:
        if (focused && isCombo(*focused)) openList(true);
        return;
    case SDLK_UP:
    case SDLK_DOWN:
    case SDLK_LEFT:
    case SDLK_RIGHT:
        if (focused && isCombo(*focused)) {
            if (alt && (key == SDLK_DOWN || key == SDLK_UP)) {
                openList(true);
            } else {
                int step = (key == SDLK_UP || key == SDLK_LEFT) ? -1 : 1;
                int next = std::clamp(focused->selected + step, 0, static_cast<int>(focused->strings.size()) - 1);
                if (next >= 0) selectItem(*focused, next, true);
            }
        } else if (!alt) {
            moveFocus(key == SDLK_UP || key == SDLK_LEFT);
        }
        return;
    default: break;
    }

    // Accelerators: the letter after "&", with Alt, or alone while no list takes letters.
    if (key < 0 || key > 0x7f || !std::isalnum(key)) return;
    if (!alt && focused && isCombo(*focused)) return;
    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
        Control& control = controls[i];
        if (control.mnemonicAt < 0) continue;
        if (std::tolower(static_cast<unsigned char>(control.label[control.mnemonicAt])) != std::tolower(key)) continue;
        if (isTabStop(control)) focusControl(i);
        if (isCombo(control)) return;
        click(control);
        return;
    }
}

LRESULT DialogWindow::controlMessage(int id, unsigned message, WPARAM wParam, LPARAM lParam) {
    Control* control = byId(id);
    if (control == nullptr) return 0;
    switch (message) {
    case BM_GETCHECK: return control->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        control->checked = wParam == BST_CHECKED;
        dirty = true;
        return 0;
    case CB_ADDSTRING:
        if (!isCombo(*control)) return CB_ERR;
        control->strings.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
        dirty = true;
        return static_cast<LRESULT>(control->strings.size()) - 1;
    case CB_GETCOUNT: return isCombo(*control) ? static_cast<LRESULT>(control->strings.size()) : CB_ERR;
    case CB_GETCURSEL: return isCombo(*control) && control->selected >= 0 ? control->selected : CB_ERR;
    case CB_SETCURSEL: {
        if (!isCombo(*control)) return CB_ERR;
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < 0 || index >= static_cast<int>(control->strings.size())) {
            control->selected = -1;
            dirty = true;
            return CB_ERR;
        }
        control->selected = index;
        dirty = true;
        return index;
    }
    case CB_RESETCONTENT:
        control->strings.clear();
        control->selected = -1;
        dirty = true;
        return 0;
    case CB_SHOWDROPDOWN:
        if (isCombo(*control)) {
            if (wParam) focusControl(static_cast<int>(control - controls.data()));
            openList(wParam != 0);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return openCombo >= 0 && &controls[openCombo] == control;
    default: return 0;
    }
}

void DialogWindow::render() {
    dirty = false;
    fill(renderer, 0, 0, clientWidth, clientHeight, faceColour);
    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
        Control& c = controls[i];
        bool focused = i == focus;
        int textY = c.y + (c.height - font.height()) / 2;
        if (c.picture) {
            SDL_Rect target{c.x, c.y, c.width, c.height};
            SDL_RenderCopy(renderer, c.picture, nullptr, &target);
        } else if (isPushButton(c)) {
            // A focused push button is the one Return presses, so it shows as the default.
            bool pushFocused = focus >= 0 && isPushButton(controls[focus]);
            bool isDefault = pushFocused ? focused : (c.item.style & 0x0F) == BS_DEFPUSHBUTTON;
            fill(renderer, c.x, c.y, c.width, c.height, c.pressed ? buttonPressed : buttonFace);
            frame(renderer, c.x, c.y, c.width, c.height, isDefault ? defaultBorder : buttonBorder);
            if (isDefault) frame(renderer, c.x + 1, c.y + 1, c.width - 2, c.height - 2, defaultBorder);
            int textX = c.x + (c.width - font.textWidth(c.label)) / 2;
            font.draw(renderer, c.label, textX, textY, textColour);
            if (c.mnemonicAt >= 0) {
                int ux = textX + font.prefixWidth(c.label, c.mnemonicAt);
                int uw = font.prefixWidth(c.label, c.mnemonicAt + 1) - font.prefixWidth(c.label, c.mnemonicAt);
                fill(renderer, ux, textY + font.ascent() + 1, uw, 1, textColour);
            }
            if (focused) dottedFrame(renderer, c.x + 3, c.y + 3, c.width - 6, c.height - 6);
        } else if (isCheckBox(c)) {
            int box = 13;
            int boxY = c.y + (c.height - box) / 2;
            fill(renderer, c.x, boxY, box, box, c.pressed ? buttonPressed : white);
            frame(renderer, c.x, boxY, box, box, boxBorder);
            if (c.checked) {
                setColour(renderer, textColour);
                for (int t = 0; t < 2; ++t) {
                    SDL_RenderDrawLine(renderer, c.x + 3, boxY + 6 + t, c.x + 5, boxY + 8 + t);
                    SDL_RenderDrawLine(renderer, c.x + 5, boxY + 8 + t, c.x + 9, boxY + 4 + t);
                }
            }
            int textX = c.x + box + 4;
            font.draw(renderer, c.label, textX, textY, textColour);
            if (c.mnemonicAt >= 0) {
                int ux = textX + font.prefixWidth(c.label, c.mnemonicAt);
                int uw = font.prefixWidth(c.label, c.mnemonicAt + 1) - font.prefixWidth(c.label, c.mnemonicAt);
                fill(renderer, ux, textY + font.ascent() + 1, uw, 1, textColour);
            }
            if (focused) dottedFrame(renderer, textX - 1, textY - 1, font.textWidth(c.label) + 3, font.height() + 2);
        } else if (isCombo(c)) {
            fill(renderer, c.x, c.y, c.width, c.height, buttonFace);
            frame(renderer, c.x, c.y, c.width, c.height, focused ? defaultBorder : buttonBorder);
            int arrowX = c.x + c.width - 12;
            int arrowY = c.y + c.height / 2 - 2;
            setColour(renderer, textColour);
            for (int row = 0; row < 4; ++row) SDL_RenderDrawLine(renderer, arrowX + row, arrowY + row, arrowX + 6 - row, arrowY + row);
            if (c.selected >= 0) {
                const std::string& text = c.strings[c.selected];
                if (focused && openCombo != i) fill(renderer, c.x + 3, c.y + 3, c.width - 20, c.height - 6, highlight);
                font.draw(renderer, text, c.x + 5, textY, focused && openCombo != i ? highlightText : textColour);
            }
        }
    }
    if (openCombo >= 0) {
        const Control& combo = controls[openCombo];
        int lx, ly, lw, lh;
        listArea(lx, ly, lw, lh);
        fill(renderer, lx, ly, lw, lh, white);
        frame(renderer, lx, ly, lw, lh, frameColour);
        for (int k = 0; k < static_cast<int>(combo.strings.size()); ++k) {
            int iy = ly + 1 + k * itemHeight;
            bool hot = k == hotItem;
            if (hot) fill(renderer, lx + 1, iy, lw - 2, itemHeight, highlight);
            font.draw(renderer, combo.strings[k], lx + 4, iy + 1, hot ? highlightText : textColour);
        }
    }
    frame(renderer, 0, 0, clientWidth, clientHeight, frameColour);
    SDL_RenderPresent(renderer);
}
