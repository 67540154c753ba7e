// The player's check that its window will be seen. Without a display (ssh, DISPLAY unset, an X
// server that refuses the connection) SDL falls back to a driver that shows nothing, and the
// production would play to nobody. Tools that render headless use Headless.h instead.
#pragma once

#include <string>

namespace win {

// Starts SDL video; true when its driver shows windows (X11, Wayland, the console's KMS/DRM), or
// when SDL_VIDEODRIVER chose the driver on purpose. *driver: the driver found, or SDL's complaint.
bool startVisibleDisplay(std::string* driver);

}  // namespace win
