// KnobListener: told the value a Knob shows (its value plus the drag in progress) whenever the
// user turns it. Implemented by the panel that owns the knob.
#pragma once

#include <string>

class Knob;

class KnobListener {
public:
    virtual ~KnobListener() = default;
    virtual void valueChanged(Knob* knob, float value) = 0;
    virtual void dragEnded(Knob* knob) {}  // the drag that sent the last values is over
    // A number typed on the knob, already checked by it: applied as if the knob had been turned
    // to it, unless the listener says why not (then nothing changes).
    virtual std::string valueTyped(Knob* knob, float value) {
        valueChanged(knob, value);
        return {};
    }
};
