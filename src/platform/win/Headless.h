// Headless running for the tools: windows and the device go to SDL's "offscreen" video driver (an
// EGL pbuffer, no display needed), sound to the silent output, messages to standard error only.
// Call before anything starts video or audio.
#pragma once

namespace win {

void useHeadlessPlatform();

}  // namespace win
