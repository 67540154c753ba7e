// What stands behind a window handle: the SDL window and the state the Win32-shaped functions
// keep for it. The device draws into sdlWindow with OpenGL.
#pragma once

struct SDL_Window;

namespace win {

struct NativeWindow {
    SDL_Window* sdlWindow = nullptr;  // owned; destroyed by DestroyWindow
    void* procedure = nullptr;        // the class's window procedure (WNDPROC)
    long long userData = 0;           // GWLP_USERDATA
    bool fullscreen = false;
    unsigned classStyle = 0;          // CS_DBLCLKS: second clicks arrive as double clicks
    unsigned long style = 0;          // WS_ bits given to CreateWindowExA
    bool trackingLeave = false;       // TrackMouseEvent(TME_LEAVE) armed; one WM_MOUSELEAVE, then off
    bool cursorInside = false;        // the cursor is in the client area, as of the events translated
};

}  // namespace win
