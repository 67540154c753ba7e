// PathOrbitView: the path editor's outside view. The camera orbits the current key; dragging
// orbits (left), moves the key in the view plane (right, or left with Shift) or rolls it about
// the line of sight (middle, or left with Control). The path's preview scene or model is drawn
// around it, with the scene's own camera path and its view pyramid.
#pragma once

#include "gui/PathRenderer.h"
#include "gui/Widget.h"
#include "paths/Matrix4.h"
#include "paths/SplineKey.h"

#include <memory>

class Model;
class PathSpline;
class VisualScene;

class PathOrbitView : public Widget {
public:
    explicit PathOrbitView(PathSpline* path);
    ~PathOrbitView() override;

    bool init();           // takes the preview, frames it and sets up the camera; never fails
    void updateCamera();   // around the current key

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void middleButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void mouseMove(Point p) override;
    void wheel(Point p, float notches) override;
    void mouseLeave() override;
    void setRect(const Rect& r) override;

    float getDistance() const { return distance; }
    float getAzimuth() const { return azimuth; }
    float getElevation() const { return elevation; }
    float getNear() const { return nearPlane; }
    float getFar() const { return farPlane; }
    Model* getModel() const { return model; }
    VisualScene* getScene() const { return scene; }
    bool hasCameraRenderer() const { return cameraRenderer != nullptr; }
    bool isDragging() const { return orbiting || moving || rolling; }
    const Matrix4& getView() const { return view; }

private:
    bool beginDrag(Point p);  // captures the mouse; false while a drag runs or without capture
    void endDrag();           // the capture goes back
    void updateProjection();

    PathSpline* path;  // not owned
    PathRenderer renderer;
    std::unique_ptr<PathRenderer> cameraRenderer;  // the preview scene's camera path, if a spline
    VisualScene* scene = nullptr;  // not owned
    Model* model = nullptr;        // not owned
    float sceneFieldOfView = 0.0f; // of the preview scene's camera

    float distance = 100.0f;
    float azimuth = 0.0f;
    float elevation = 1.6f;
    float nearPlane = 1.0f;
    float farPlane = 1000.0f;

    bool orbiting = false;
    bool moving = false;
    bool rolling = false;
    Point dragStart{};
    float startAzimuth = 0.0f;
    float startElevation = 0.0f;
    SplineKey startKey{};  // the current key as the move or roll began

    Matrix4 view;
    Matrix4 projection;
    D3DVIEWPORT9 viewport{0, 0, 4, 4, 0.0f, 1.0f};
};
