// FloatCurve: a float's track drawn along the stretch of the editor's time line in view: the
// curve, its keys as points, the loop region and the current time. Draws only; the float's panel
// edits. Without a time line it spans the music.
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

private:
    FloatObject* owner;  // not owned
    ColourVertex strip[maximumSamples];  // kept, so that a frame allocates nothing
    static ComRef<IDirect3DStateBlock9> stateBlock;
    static int instances;
};
