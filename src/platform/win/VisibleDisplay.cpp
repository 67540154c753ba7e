#include "platform/win/VisibleDisplay.h"

#include "platform/win/WindowSystem.h"

#include <SDL.h>

#include <cstdlib>
#include <strings.h>

namespace win {

bool startVisibleDisplay(std::string* driver) {
    if (!startVideo()) {
        *driver = SDL_GetError();
        return false;
    }
    const char* current = SDL_GetCurrentVideoDriver();
    *driver = current ? current : "";
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen != nullptr && *chosen != '\0') return true;  // whatever the user asked for
    for (const char* shown : {"x11", "wayland", "kmsdrm"})
        if (current != nullptr && strcasecmp(current, shown) == 0) return true;
    return false;
}

}  // namespace win
