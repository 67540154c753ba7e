// FloatCurve: a float's track drawn along the stretch of the editor's time line in view: the
// curve, its keys as points, the loop region and the current time. Without a time line it spans
// the music. Its keys are edited here: a left drag moves a key in time (to beats unless Shift is
// held; never past its neighbours) and in value; a right click or Delete over a key removes it; E
// gives the key under the pointer (else the one nearest the current time) the next ease, step,
// linear, smooth, ramp. Each change is one step of the editor's undo.
#pragma once

#include "gui/ScreenDrawing.h"
#include "gui/Widget.h"

class FloatObject;

class FloatCurve : public Widget {
public:
    static constexpr int height = 120;
    static constexpr int maximumSamples = 1024;  // columns of the curve; wider panels sample every other

    explicit FloatCurve(FloatObject* owner);
    ~FloatCurve() override;

    bool draw(float time, float delta) override;

    // The times at the left and right edges.
    void span(float& start, float& end) const;
    // The values at the bottom and top edges (the keys' range, widened a little).
    void valueRange(float& low, float& high) const;
    int xAt(float time) const;
    int yAt(float value) const;
    float timeAtX(int x) const;
    float valueAtY(int y) const;
    int keyAt(Point p) const;  // the index of the key drawn under p, -1 when none

    bool focusIn(int direction) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void mouseMove(Point p) override;
    void mouseLeave() override;

private:
    void endDrag();
    bool removeKey(int index);  // one undo step
    bool cycleEase(int index);  // one undo step

    FloatObject* owner;  // not owned
    int dragged = -1;          // the key a left drag moves
    float dragLow = 0.0f, dragHigh = 1.0f;  // the value range as the drag began, kept while it runs
    Point pointer{-1, -1};     // the mouse, while over the curve
    ColourVertex strip[maximumSamples];  // kept, so that a frame allocates nothing
    static ComRef<IDirect3DStateBlock9> stateBlock;
    static int instances;
};
