// Knob: a 16 x 16 sphere that changes a number by dragging (right or up raises it), the arrow and
// page keys, and the wheel, in multiples of `step`. The listener always hears value + offset,
// offset being the drag in progress. The knob image and the render state are shared by all
// knobs; setListener creates the image and fails without it.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

class KnobListener;

class Knob : public Widget {
public:
    Knob();
    ~Knob() override;

    bool setListener(int id, KnobListener* listener);  // listener not owned
    int getId() const { return id; }
    float getOffset() const { return offset; }  // the drag in progress
    bool isDragging() const { return dragging; }

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void mouseMove(Point p) override;
    void wheel(Point p, float notches) override;
    void mouseLeave() override;

    float step = 1.0f;   // change per key press or wheel notch
    float value = 0.0f;  // the value without the drag in progress

private:
    FocusMark focusMark;
    void endDrag();      // the drag becomes part of the value
    void notify();

    Point dragStart{};               // where the drag began
    bool dragging = false;
    float offset = 0.0f;             // what the drag in progress adds
    int id = 0;
    KnobListener* listener = nullptr;  // not owned

    static int instances;
    static ComRef<IDirect3DTexture9> image;  // icon 126, shared
    static ComRef<IDirect3DStateBlock9> stateBlock;
};
