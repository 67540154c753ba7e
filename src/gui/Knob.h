// Knob: a 16 x 16 sphere that changes a number by dragging (right or up raises it), the arrow and
// page keys, and the wheel, in multiples of `step`. The listener always hears value + offset,
// offset being the drag in progress. The knob image and the render state are shared by all
// knobs; setListener creates the image and fails without it.
// A focused knob also takes a typed number: a digit, sign or point starts the entry, drawn over
// the label to the knob's left; Return applies it when the document's number checks and the
// knob's own limits accept it (else it stays, in red, with the reason), Escape or leaving the knob
// cancels it.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Label.h"
#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

#include <cfloat>
#include <string>

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
    void character(int code) override;
    void focusOut() override;  // an entry in progress is cancelled
    void leftButton(Point p, int action) override;
    void mouseMove(Point p) override;
    void wheel(Point p, float notches) override;
    void mouseLeave() override;

    float step = 1.0f;   // change per key press or wheel notch
    float value = 0.0f;  // the value without the drag in progress
    // What a typed number must be: within lowest..highest, above 0 (positive), whole.
    float lowest = -FLT_MAX;
    float highest = FLT_MAX;
    bool positive = false;
    bool whole = false;

    bool isEntering() const { return entering; }
    const std::string& getEntry() const { return entry; }
    const std::string& getEntryProblem() const { return entryProblem; }  // why Return refused it
    // Why a typed text is no number this knob takes, or empty with the number in *number.
    std::string checkTyped(const std::string& text, float* number) const;

private:
    FocusMark focusMark;
    void endDrag();      // the drag becomes part of the value
    void notify();
    void applyEntry();   // Return: the entry, checked, goes to the listener
    void endEntry();
    void drawEntry();

    Point dragStart{};               // where the drag began
    bool dragging = false;
    float offset = 0.0f;             // what the drag in progress adds
    int id = 0;
    KnobListener* listener = nullptr;  // not owned
    bool entering = false;           // a typed number is in progress
    std::string entry;               // its text
    std::string entryProblem;        // why Return refused it; empty otherwise
    Label entryText;                 // measures the entry's text

    static int instances;
    static ComRef<IDirect3DTexture9> image;  // icon 126, shared
    static ComRef<IDirect3DStateBlock9> stateBlock;
    static ComRef<IDirect3DStateBlock9> entryState;  // the entry's box
};
