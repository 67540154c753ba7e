// Keyboard focus, mouse capture, leave tracking, key state and the cursor over SDL2. Capture is
// SDL's mouse capture (events keep coming from outside the window); the cursor keeps Windows'
// display counter, shown while it is not negative.
#include "platform/win/WindowSystem.h"

#include <SDL.h>

namespace win {
namespace {

HWND captureWindow = nullptr;  // holds the mouse capture; not owned
int cursorCounter = 0;         // ShowCursor's display counter

}  // namespace

bool cursorOverClient(HWND window) {
    if (!isLive(window)) return false;
    int x = 0, y = 0, wx = 0, wy = 0, w = 0, h = 0;
    SDL_GetGlobalMouseState(&x, &y);
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

HWND GetFocus() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    return win::windowFromSdl(SDL_GetKeyboardFocus());
}

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
    SDL_GetGlobalMouseState(&x, &y);
    *point = {x, y};
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    if (!win::isLive(window) || !point) return FALSE;
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
