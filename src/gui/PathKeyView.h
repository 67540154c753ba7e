// PathKeyView: the path editor's view through the current key, as the camera on the path sees
// it, with lines dividing it into thirds. Dragging turns the key: left looks around (pitch about
// the key's own x axis, yaw about the world's y axis), middle or left with Control rolls it; the
// right button (or left with Shift) holds the mouse without changing anything.
#pragma once

#include "gui/Widget.h"
#include "paths/Matrix4.h"
#include "paths/PathState.h"
#include "platform/d3d9/d3d9.h"

class Model;
class PathSpline;

class PathKeyView : public Widget {
public:
    explicit PathKeyView(PathSpline* path);
    ~PathKeyView() override;

    bool init();          // takes the preview model and sets up the camera; never fails
    void updateCamera();  // through the current key

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void middleButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void mouseMove(Point p) override;
    void mouseLeave() override;
    void setRect(const Rect& r) override;

    Model* getModel() const { return model; }
    float getNear() const { return nearPlane; }
    float getFar() const { return farPlane; }
    bool isDragging() const { return rolling || holding || looking; }
    const D3DVIEWPORT9& getViewport() const { return viewport; }
    const Matrix4& getView() const { return view; }

private:
    bool beginDrag(Point p);
    void endDrag();
    void updateProjection();

    PathSpline* path;       // not owned
    Model* model = nullptr;  // not owned
    float nearPlane = 1.0f;
    float farPlane = 1000.0f;

    bool rolling = false;
    bool holding = false;  // the third mode: the mouse is held, nothing changes
    bool looking = false;
    Point dragStart{};
    PathState startPose{};

    Matrix4 view;
    Matrix4 projection;
    D3DVIEWPORT9 viewport{0, 0, 4, 4, 0.0f, 1.0f};
    ComRef<IDirect3DStateBlock9> overlayState;  // owned; recorded on the first draw
};
