// StreamClock: the position a playing stream is heard at, as a continuous, never-decreasing
// function of the high-resolution clock. A sound card reports each buffer it takes (its first frame
// and when that frame will be heard); between reports the clock runs at the stream's rate, and
// report jitter bends the slope a little instead of stepping the position. The silent output hears
// nothing, so its clock runs on time alone. Not locked: the owner holds the output's lock.
#pragma once

class StreamClock {
public:
    // Playback begins at position (frames), heard from the output's reports; end is the stream's end.
    void start(double position, double end);
    // Playback begins at position and is heard from heardFrom (seconds) on, at rate frames/s.
    void startFreeRunning(double position, double end, double heardFrom, double rate);
    // The output took frames [first, end) at time now; first is heard at heardAt. Times in
    // seconds of the high-resolution clock, positions in the stream's frames, rate in frames/s.
    void handed(double first, double end, double now, double heardAt, double rate);
    double heard(double now) const;  // the position heard at now
    void extend(double end);         // the stream's end moved on (a loop jumped back)

private:
    double startPosition = 0;  // frames; nothing before it is reported
    double endPosition = 0;    // frames; the stream's end
    bool freeRunning = false;  // runs on time alone; reports are ignored
    double handedEnd = 0;      // frames; nothing beyond what the output took is reported
    bool running = false;      // the output has taken a buffer since start
    double anchorTime = 0;     // seconds
    double anchorPosition = 0; // frames heard at anchorTime
    double slope = 0;          // frames per second; the stream's rate, bent by corrections
};
