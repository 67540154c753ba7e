// SDL's video and the X server: late wake-ups (see the .cpp).
#pragma once

struct SDL_Window;

namespace win {

// SDL_InitSubSystem(SDL_INIT_VIDEO), with a late wake-up to a window that has gone never an error
// that ends the program. Every part of the platform starts SDL's video through it.
bool startSdlVideo();
void settleBeforeDestroying(SDL_Window* window);  // the X server has read what was sent to it

}  // namespace win
