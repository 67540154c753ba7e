// Keyboard focus, mouse capture, leave tracking, key state and the cursor over SDL2. Capture is
// SDL's mouse capture (events keep coming from outside the window); the cursor keeps Windows'
// display counter, shown while it is not negative.
#include "platform/win/WindowSystem.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <dlfcn.h>

namespace win {
namespace {

HWND captureWindow = nullptr;  // holds the mouse capture; not owned
int cursorCounter = 0;         // ShowCursor's display counter

// The X server's own answer. SDL's global mouse state comes from a cache that only some of its
// events refresh, so it can lag far behind a pointer that moved outside our windows.
bool queryX11Pointer(int* x, int* y, Uint32* buttons) {
    using QueryPointer = int (*)(Display*, Window, Window*, Window*, int*, int*, int*, int*, unsigned*);
    using RootWindow = Window (*)(Display*);
    static QueryPointer queryPointer = nullptr;
    static RootWindow rootWindow = nullptr;
    static bool looked = false;
    if (!looked) {
        looked = true;
        if (void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD)) {  // SDL has loaded it
            queryPointer = reinterpret_cast<QueryPointer>(dlsym(x11, "XQueryPointer"));
            rootWindow = reinterpret_cast<RootWindow>(dlsym(x11, "XDefaultRootWindow"));
        }
    }
    HWND any = anyWindow();
    if (!queryPointer || !rootWindow || !any) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(any->sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    if (!queryPointer(display, rootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask))
        return false;
    *x = rootX;
    *y = rootY;
    *buttons = ((mask & Button1Mask) ? SDL_BUTTON_LMASK : 0) | ((mask & Button2Mask) ? SDL_BUTTON_MMASK : 0) |
               ((mask & Button3Mask) ? SDL_BUTTON_RMASK : 0);
    return true;
}

}  // namespace

Uint32 pointerOnScreen(int* x, int* y) {
    Uint32 buttons = 0;
    if (queryX11Pointer(x, y, &buttons)) return buttons;
    return SDL_GetGlobalMouseState(x, y);
}

bool cursorOverClient(HWND window) {
    if (!isLive(window)) return false;
    int x = 0, y = 0, wx = 0, wy = 0, w = 0, h = 0;
    pointerOnScreen(&x, &y);
    SDL_GetWindowPosition(window->sdlWindow, &wx, &wy);
    SDL_GetWindowSize(window->sdlWindow, &w, &h);
    return x >= wx && y >= wy && x < wx + w && y < wy + h;
}

void endCapture(HWND window) {
    if (captureWindow != window || !window) return;
    captureWindow = nullptr;
    SDL_CaptureMouse(SDL_FALSE);
    // A leave that happened while the mouse was held is reported now, as Windows does.
    window->cursorInside = cursorOverClient(window);
    if (window->trackingLeave && !window->cursorInside) {
        window->trackingLeave = false;
        postInput(window, WM_MOUSELEAVE, 0, 0);
    }
    SendMessageA(window, WM_CAPTURECHANGED, 0, 0);
}

void windowDestroyed(HWND window) {
    if (captureWindow == window) {
        captureWindow = nullptr;
        SDL_CaptureMouse(SDL_FALSE);
    }
}

}  // namespace win

HWND GetFocus() { return win::focusedWindow(); }

HWND SetCapture(HWND window) {
    HWND previous = win::captureWindow;
    if (!win::isLive(window) || previous == window) return previous;
    if (previous) win::endCapture(previous);
    // SDL captures for the window with the keyboard focus; Windows lets the active window capture.
    if (win::windowFromSdl(SDL_GetKeyboardFocus()) == window && SDL_CaptureMouse(SDL_TRUE) == 0)
        win::captureWindow = window;
    return previous;
}

BOOL ReleaseCapture() {
    if (win::captureWindow) win::endCapture(win::captureWindow);
    return TRUE;
}

HWND GetCapture() { return win::isLive(win::captureWindow) ? win::captureWindow : nullptr; }

short GetKeyState(int virtualKey) { return win::keyStateOf(virtualKey); }

int ShowCursor(BOOL show) {
    int before = win::cursorCounter;
    win::cursorCounter += show ? 1 : -1;
    bool wasShown = before >= 0, isShown = win::cursorCounter >= 0;
    if (wasShown != isShown && win::startVideo()) SDL_ShowCursor(isShown ? SDL_ENABLE : SDL_DISABLE);
    return win::cursorCounter;
}

BOOL GetCursorPos(POINT* point) {
    if (!point || !win::startVideo()) return FALSE;
    int x = 0, y = 0;
    win::pointerOnScreen(&x, &y);
    *point = {x, y};
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    if (!win::isUsable(window) || !point) return FALSE;
    int x = 0, y = 0;
    SDL_GetWindowPosition(window->sdlWindow, &x, &y);
    point->x -= x;
    point->y -= y;
    return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (!track || !win::isLive(track->hwndTrack)) return FALSE;
    HWND window = track->hwndTrack;
    if (!(track->dwFlags & TME_LEAVE)) return TRUE;
    // Asked while the cursor is already outside (and the mouse not held): the leave comes at once.
    if (!window->cursorInside && GetCapture() != window) {
        window->trackingLeave = false;
        win::postInput(window, WM_MOUSELEAVE, 0, 0);
    } else {
        window->trackingLeave = true;
    }
    return TRUE;
}
