#include "platform/win/Headless.h"

#include <SDL.h>

#include <cstdlib>

namespace win {

void useHeadlessPlatform() {
    // Hints outrank a DISPLAY or SDL_VIDEODRIVER the user has set: a render must never need a screen.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    setenv("ZOD_NO_MESSAGE_BOXES", "1", 1);  // nobody could answer a box
}

}  // namespace win
