// PathKeyView: the path editor's view through the current key, as the camera on the path sees
// it, with lines dividing it into thirds. Dragging turns the key: left looks around (pitch about
// the key's own x axis, yaw about the world's y axis), middle or left with Control rolls it; the
// right button (or left with Shift) holds the mouse without changing anything.
#pragma once

#include "gui/PathView.h"
#include "paths/PathState.h"
#include "platform/d3d9/d3d9.h"

class PathSpline;

class PathKeyView : public PathView {
public:
    explicit PathKeyView(PathSpline* path);
    ~PathKeyView() override;

    bool init();          // takes the preview model and sets up the camera; never fails
    void updateCamera();  // through the current key

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void mouseMove(Point p) override;
    void setRect(const Rect& r) override;

private:
    void dragStarts() override;
    void updateProjection();

    PathState startPose{};  // of the current key as the drag began; a right drag changes nothing
    ComRef<IDirect3DStateBlock9> overlayState;  // owned; recorded on the first draw
};
