// MessageBoxA over SDL's message box. The text always goes to standard error first, so a box
// nobody can see (no display, or ZOD_NO_MESSAGE_BOXES set for tests) still leaves its message.
// Nothing reads the stop flag while a box waits: Ctrl+C or kill then ends the program, box and
// all, and after one of them (at start-up, say) no box waits for an answer.
#include "platform/win/MessageText.h"
#include "platform/win/NativeWindow.h"
#include "platform/win/StopSignals.h"
#include "platform/win/WindowSystem.h"
#include "platform/win/win32.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool boxesWanted() {
    const char* off = std::getenv("ZOD_NO_MESSAGE_BOXES");
    if (off != nullptr && *off != '\0') return false;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type) {
    if (text == nullptr) text = "";
    if (caption == nullptr) caption = "Error";
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (!boxesWanted() || win::stopSignalled()) return 1;  // IDOK

    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    if ((type & 0xF0) == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
    SDL_Window* parent = win::isUsable(owner) ? owner->sdlWindow : nullptr;  // never a destroyed window
    const std::string shown = layOutColumns(text);
    const win::StopSignalsEndTheProgram whileShown;
    if (SDL_ShowSimpleMessageBox(flags, caption, shown.c_str(), parent) != 0 && parent != nullptr) {
        SDL_ShowSimpleMessageBox(flags, caption, shown.c_str(), nullptr);  // a full-screen owner may refuse
    }
    return 1;  // IDOK
}
