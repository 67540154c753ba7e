// FrameCatchUp: brings a render that starts at frame A to the state a whole render has there.
// Objects step with every frame they draw (the swish's trail and the shared random generator, the
// tumbling and bouncing models, render targets that show each other's last picture), so frames 0
// to A-1 are drawn as they would be, but the frame itself goes to a small private target: render
// targets keep their own size and so their exact pictures, while the full-size picture, cleared
// every frame anyway, costs almost nothing.
#pragma once

#include <csignal>
#include <string>

class FrameRenderer;

class FrameCatchUp {
public:
    static constexpr int targetSize = 16;  // edge of the stand-in picture, in pixels

    // Draws frames 0 .. frames-1 at fps; false with a message in *error, or as soon as *stop is set.
    // *ended, when given, becomes the first of those frames that drew nothing (-1: none did).
    static bool run(FrameRenderer& renderer, int frames, int fps, std::string* error,
                    const volatile std::sig_atomic_t* stop = nullptr, int* ended = nullptr);
};
