// FrameCatchUp: brings a render that starts at frame A to the state a whole render has there.
// Objects step with every frame they draw (the swish's trail and the shared random generators, the
// tumbling and bouncing models, render targets that show each other's last picture), so frames 0
// to A-1 go through every object as they would be drawn, but the device skips their pixels: the
// motion, the generators and the states left set come out exactly as drawing leaves them. Only a
// render target whose last picture a later frame shows (one that a target drawn before it in the
// frame shows, and what such a target shows in turn) is drawn for real.
#pragma once

#include <csignal>
#include <string>

class FrameRenderer;

class FrameCatchUp {
public:
    // Goes through frames 0 .. frames-1 at fps; false with a message in *error, or as soon as *stop
    // is set. *ended, when given, becomes the first of those frames that drew nothing (-1: none did).
    static bool run(FrameRenderer& renderer, int frames, int fps, std::string* error,
                    const volatile std::sig_atomic_t* stop = nullptr, int* ended = nullptr);
};
