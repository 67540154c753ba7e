// PathRenderer: draws a spline path into the current 3-D view: the trail ten seconds long around
// a moment, fading out at both ends in alternating tenth-of-a-second stripes, and for the path
// being edited the keys near the current one and the current key's axes; for a camera path the
// pyramid of its view. All renderers share one state block, released with the last of them.
#pragma once

#include "gui/EditorViewing.h"
#include "platform/d3d9/d3d9.h"

class PathSpline;

class PathRenderer {
public:
    explicit PathRenderer(PathSpline* path);  // path not owned; may be null (draws nothing)
    ~PathRenderer();
    PathRenderer(const PathRenderer&) = delete;
    PathRenderer& operator=(const PathRenderer&) = delete;

    // With the device's WORLD, VIEW and projection already set. An axis size of 0 draws a path
    // that is not being edited (grey trail, no keys); a field of view of 0 draws no pyramid.
    void draw(float time, float delta, float axisSize, float fieldOfView);

    static constexpr int TrailCapacity = 205;   // vertices; sampling stops when they run out
    static constexpr int KeyReach = 10;         // keys shown either side of the current one
    static constexpr int KeyPointCapacity = 2 * KeyReach + 1;

    // The trail around `time` as a line list in `out` (TrailCapacity vertices): lines leaving
    // even tenths of a second in colour `even`, odd ones in `odd`. Returns the vertex count.
    int buildTrail(float time, D3DCOLOR odd, D3DCOLOR even, WorldVertex* out) const;
    // The keys within reach of the current one, each with its fading alpha, the current key
    // orange and the others white (KeyPointCapacity vertices). Returns the count.
    int buildKeyPoints(WorldVertex* out) const;
    // The current key's three axes (6 vertices), each sqrt(axisSize) long. False without keys.
    bool buildAxes(float axisSize, WorldVertex* out) const;
    // The camera's pyramid at `time` (8 vertices); false where the path yields no pose.
    bool buildPyramid(float time, float fieldOfView, WorldVertex* out) const;

    PathSpline* getPath() const { return path; }
    static int liveCount() { return instances; }
    static bool hasStateBlock() { return stateBlock != nullptr; }

private:
    PathSpline* path;  // not owned

    static int instances;
    static ComRef<IDirect3DStateBlock9> stateBlock;
};
