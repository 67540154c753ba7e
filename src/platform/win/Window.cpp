// Window classes and windows over SDL2. A window is an SDL window with an OpenGL surface (the
// device draws into it); windowed styles give a borderless window whose client area is the size
// asked for, a bare WS_POPUP gives a full-screen window in the display mode of that size.
#include "platform/win/WindowSystem.h"

#include "platform/d3dx/PictureDecoder.h"
#include "platform/win/Resources.h"
#include "platform/win/XServerSync.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_set>
#include <vector>

namespace win {
namespace {

const char* const nativeKey = "zod.native";  // SDL window data: the NativeWindow behind it

struct WindowClass {
    std::string name;
    WNDCLASSEXA record;
};

std::vector<WindowClass>& classes() {
    static std::vector<WindowClass> registered;
    return registered;
}

std::unordered_set<HWND>& liveWindows() {
    static std::unordered_set<HWND> live;
    return live;
}

// Handles destroyed here: compared, never followed, so a stale handle is refused safely.
std::unordered_set<HWND>& destroyedWindows() {
    static std::unordered_set<HWND> destroyed;
    return destroyed;
}

bool sameName(const std::string& a, const char* b) {
    std::string other = b;
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

const WindowClass* findClass(const char* name) {
    if (!name) return nullptr;
    for (const auto& c : classes())
        if (sameName(c.name, name)) return &c;
    return nullptr;
}

// The class's icon, a picture resource of the executable; a window without one keeps SDL's.
void setIcon(SDL_Window* sdlWindow, HICON icon) {
    if (!icon) return;
    ResourceBytes bytes = findResource(icon);
    d3dx::Picture picture;
    std::string error;
    if (!bytes || !d3dx::PictureDecoder::decode(bytes.data, bytes.size, picture, error, 1024L * 1024L)) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(picture.pixels.data(), picture.width, picture.height,
                                                              32, picture.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(sdlWindow, surface);
    SDL_FreeSurface(surface);
}

// A full-screen window is a bare popup: no border, no system menu, nothing else of a frame.
constexpr DWORD frameBits = WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
bool isFullscreenStyle(DWORD style) { return (style & WS_POPUP) && !(style & frameBits); }

}  // namespace

bool startVideo() {
    static bool hinted = false;
    if (hinted && SDL_WasInit(SDL_INIT_VIDEO)) return true;
    hinted = true;
    // Set even when another part started SDL video first. Only SetCapture captures the mouse,
    // as on Windows: holding a button does not.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // A click that focuses the window is a click, as on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_WasInit(SDL_INIT_VIDEO) || win::startSdlVideo();
}

bool isLive(HWND window) { return window && liveWindows().count(window) != 0; }

bool isUsable(HWND window) {
    if (!window) return false;
    if (isLive(window)) return true;
    return destroyedWindows().count(window) == 0 && window->sdlWindow != nullptr;
}

HWND anyWindow() { return liveWindows().empty() ? nullptr : *liveWindows().begin(); }

HWND windowFromSdl(SDL_Window* sdlWindow) {
    if (!sdlWindow) return nullptr;
    auto* window = static_cast<NativeWindow*>(SDL_GetWindowData(sdlWindow, nativeKey));
    return isLive(window) ? window : nullptr;
}

}  // namespace win

using win::NativeWindow;

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !*windowClass->lpszClassName || !windowClass->lpfnWndProc)
        return 0;
    auto& all = win::classes();
    if (const auto* existing = win::findClass(windowClass->lpszClassName)) {
        // Registering the same class again (a second display in one process) is accepted; a
        // different class under a taken name is refused, as Windows refuses it.
        bool same = existing->record.lpfnWndProc == windowClass->lpfnWndProc &&
                    existing->record.style == windowClass->style;
        return same ? static_cast<ATOM>(0xC000 + (existing - all.data())) : 0;
    }
    all.push_back({windowClass->lpszClassName, *windowClass});
    all.back().record.lpszClassName = nullptr;  // the caller's string may not outlive the class
    all.back().record.lpszMenuName = nullptr;
    return static_cast<ATOM>(0xC000 + all.size() - 1);
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param) {
    const auto* windowClass = win::findClass(className);
    if (!windowClass || width <= 0 || height <= 0 || !win::startVideo()) return nullptr;

    bool fullscreen = win::isFullscreenStyle(style);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
    // Depth and stencil of the usual automatic depth surface, so the device can draw the back
    // buffer straight into the window.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* sdlWindow = SDL_CreateWindow(title ? title : "", x, y, width, height, flags);
    if (!sdlWindow) return nullptr;
    if (fullscreen) {
        // The display mode of the window's size; the device decides whether that mode exists.
        SDL_DisplayMode wanted{0, width, height, 0, nullptr}, closest;
        if (SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(sdlWindow), &wanted, &closest))
            SDL_SetWindowDisplayMode(sdlWindow, &closest);
    }

    win::setIcon(sdlWindow, windowClass->record.hIcon);

    auto* window = new NativeWindow;
    window->sdlWindow = sdlWindow;
    window->procedure = reinterpret_cast<void*>(windowClass->record.lpfnWndProc);
    window->fullscreen = fullscreen;
    window->classStyle = windowClass->record.style;
    window->style = style;
    SDL_SetWindowData(sdlWindow, win::nativeKey, window);
    win::liveWindows().insert(window);
    win::destroyedWindows().erase(window);
    return window;
}

BOOL DestroyWindow(HWND window) {
    if (!win::isLive(window)) return FALSE;
    SendMessageA(window, WM_DESTROY, 0, 0);
    if (!win::isLive(window)) return TRUE;  // the procedure destroyed it already
    win::windowDestroyed(window);
    win::forgetMessages(window);
    win::liveWindows().erase(window);
    win::destroyedWindows().insert(window);
    SDL_SetWindowData(window->sdlWindow, win::nativeKey, nullptr);
    win::settleBeforeDestroying(window->sdlWindow);
    SDL_DestroyWindow(window->sdlWindow);
    delete window;
    return TRUE;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    if (!win::isUsable(window) || index != GWLP_USERDATA) return 0;
    LONG_PTR previous = static_cast<LONG_PTR>(window->userData);
    window->userData = value;
    return previous;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    if (!win::isUsable(window) || index != GWLP_USERDATA) return 0;
    return static_cast<LONG_PTR>(window->userData);
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    if (!win::isUsable(window) || !rect) return FALSE;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window->sdlWindow, &x, &y);
    SDL_GetWindowSize(window->sdlWindow, &w, &h);
    *rect = {x, y, x + w, y + h};  // borderless: the outer frame is the client area
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    if (!win::isUsable(window) || !rect) return FALSE;
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdlWindow, &w, &h);
    *rect = {0, 0, w, h};
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    if (!win::isUsable(window) || width <= 0 || height <= 0) return FALSE;
    if (window->fullscreen) return TRUE;  // the display mode decides where a full-screen window is
    SDL_SetWindowSize(window->sdlWindow, width, height);
    SDL_SetWindowPosition(window->sdlWindow, x, y);
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    if (!win::isUsable(window)) return FALSE;
    bool wasVisible = (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_SHOWN) != 0;
    if (command == 0) {  // SW_HIDE
        SDL_HideWindow(window->sdlWindow);
        return wasVisible;
    }
    SDL_ShowWindow(window->sdlWindow);
    // Showing activates, as on Windows: the window gets the keyboard focus (there may be no
    // window manager to give it).
    SDL_RaiseWindow(window->sdlWindow);
    SDL_SetWindowInputFocus(window->sdlWindow);
    return wasVisible;
}

int GetSystemMetrics(int index) {
    if (!win::startVideo()) return 0;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    switch (index) {
    case SM_CXSCREEN: return mode.w;
    case SM_CYSCREEN: return mode.h;
    default: return 0;
    }
}

BOOL SetWindowTextA(HWND window, const char* text) {
    if (!win::isUsable(window)) return FALSE;
    SDL_SetWindowTitle(window->sdlWindow, text ? text : "");
    return TRUE;
}
