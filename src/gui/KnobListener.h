// KnobListener: told the value a Knob shows (its value plus the drag in progress) whenever the
// user turns it. Implemented by the panel that owns the knob.
#pragma once

class Knob;

class KnobListener {
public:
    virtual ~KnobListener() = default;
    virtual void valueChanged(Knob* knob, float value) = 0;
    virtual void dragEnded(Knob* knob) {}  // the drag that sent the last values is over
};
