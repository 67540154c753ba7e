#include "platform/audio/StreamClock.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double correctionHorizon = 0.25;  // seconds over which a report's error is worked off
constexpr double resetError = 0.05;         // seconds; larger errors jump (a stall, a glitch)
constexpr double slopeLimit = 0.1;          // the slope stays within 10% of the rate
}  // namespace

void StreamClock::start(double position, double end) {
    startPosition = position;
    endPosition = end;
    freeRunning = false;
    handedEnd = position;
    running = false;
    anchorTime = 0;
    anchorPosition = position;
    slope = 0;
}

void StreamClock::startFreeRunning(double position, double end, double heardFrom, double rate) {
    start(position, end);
    freeRunning = true;
    running = true;
    handedEnd = end;
    anchorTime = heardFrom;
    slope = rate;
}

void StreamClock::handed(double first, double end, double now, double heardAt, double rate) {
    if (freeRunning || end <= first) {
        return;  // no report to follow, or the stream has ended: the line runs on into the end
    }
    handedEnd = std::max(handedEnd, end);
    double predicted = anchorPosition + (heardAt - anchorTime) * slope;
    if (!running || std::fabs(predicted - first) > resetError * rate) {
        running = true;
        anchorTime = heardAt;
        anchorPosition = first;
        slope = rate;
        return;
    }
    // Keep the line continuous at now and aim it at where the report says the stream will be a
    // horizon later.
    double current = anchorPosition + (now - anchorTime) * slope;
    double target = first + correctionHorizon * rate;
    double span = heardAt + correctionHorizon - now;
    double bent = span > 0 ? (target - current) / span : rate;
    anchorTime = now;
    anchorPosition = current;
    slope = std::clamp(bent, rate * (1 - slopeLimit), rate * (1 + slopeLimit));
}

double StreamClock::heard(double now) const {
    if (!running) {
        return startPosition;
    }
    double position = anchorPosition + (now - anchorTime) * slope;
    return std::clamp(position, startPosition, std::min(handedEnd, endPosition));
}

void StreamClock::extend(double end) {
    endPosition = end;
    if (freeRunning) {
        handedEnd = end;
    }
}
