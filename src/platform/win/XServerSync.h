// A window's X connection brought level with the server before the window goes (see the .cpp).
// For every part of the platform that destroys an SDL window.
#pragma once

struct SDL_Window;

namespace win {

void settleBeforeDestroying(SDL_Window* window);  // the X server has read what was sent to it

}  // namespace win
