#include "platform/win/XServerSync.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <dlfcn.h>

namespace win {

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
ErrorHandler xlibHandler = nullptr;

constexpr unsigned char sendEventRequest = 25;  // X_SendEvent

// A wake-up that arrived after its window had gone is harmless; every other error keeps Xlib's
// own handling, which ends the program.
int ignoreLateWakeUps(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == sendEventRequest) return 0;
    return xlibHandler ? xlibHandler(display, error) : 0;
}

}  // namespace

// SDL wakes its own event wait by sending a message to one of its windows (a hidden one too, such
// as the GL context's) over a second connection to the X server. A window destroyed before the
// server has read such a message makes the server refuse it (BadWindow), and Xlib reports that on
// the second connection only when SDL closes it at the end: the program then dies with an X error
// after a normal run (seen under load). So that error alone is ignored, by a handler in force
// before SDL opens its connections: SDL keeps the handler it finds and puts it back just before it
// closes them, so one installed later would be gone by then.
bool startSdlVideo() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
        if (void* x11 = dlopen("libX11.so.6", RTLD_LAZY)) {  // the library SDL loads, for the whole run
            if (auto setHandler = reinterpret_cast<SetErrorHandler>(dlsym(x11, "XSetErrorHandler")))
                xlibHandler = setHandler(ignoreLateWakeUps);
        }
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// A round trip on the window's own connection first: the server reads both connections, ready to
// it together, before it answers, so the message mostly reaches the window while it still exists.
void settleBeforeDestroying(SDL_Window* window) {
    using Sync = int (*)(Display*, int);
    static Sync sync = nullptr;
    static bool looked = false;
    if (!looked) {
        looked = true;
        if (void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD))  // SDL has loaded it
            sync = reinterpret_cast<Sync>(dlsym(x11, "XSync"));
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sync && window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        sync(info.info.x11.display, 0);
}

}  // namespace win
