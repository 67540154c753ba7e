// StreamClock: the position a playing stream is heard at, as a continuous, never-decreasing
// function of the high-resolution clock. The output reports each buffer it takes (its first frame
// and when that frame will be heard); between reports the clock runs at the stream's rate, and
// report jitter bends the slope a little instead of stepping the position. Not locked: its owner
// holds the output's lock around every call.
#pragma once

class StreamClock {
public:
    void start(double position);  // playback begins at position; nothing of it is heard yet
    // The output took frames [first, end) at time now; first is heard at heardAt. Times in
    // seconds of the high-resolution clock, positions in the stream's frames, rate in frames/s.
    void handed(double first, double end, double now, double heardAt, double rate);
    double heard(double now) const;  // the position heard at now

private:
    double startPosition = 0;  // frames; nothing before it is reported
    double handedEnd = 0;      // frames; nothing beyond what the output took is reported
    bool running = false;      // the output has taken a buffer since start
    double anchorTime = 0;     // seconds
    double anchorPosition = 0; // frames heard at anchorTime
    double slope = 0;          // frames per second; the stream's rate, bent by corrections
};
