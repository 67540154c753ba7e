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
};

}  // namespace win
