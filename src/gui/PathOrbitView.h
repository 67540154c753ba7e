// PathOrbitView: the path editor's outside view. The camera orbits the current key; dragging
// orbits (left), moves the key in the view plane (right, or left with Shift) or rolls it about
// the line of sight (middle, or left with Control). The path's preview scene or model is drawn
// around it, with the scene's own camera path and its view pyramid.
#pragma once

#include "gui/PathRenderer.h"
#include "gui/PathView.h"
#include "paths/SplineKey.h"

#include <memory>

class PathSpline;
class VisualScene;

class PathOrbitView : public PathView {
public:
    explicit PathOrbitView(PathSpline* path);
    ~PathOrbitView() override;

    bool init();           // takes the preview, frames it and sets up the camera; never fails
    void updateCamera();   // around the current key

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void mouseMove(Point p) override;
    void wheel(Point p, float notches) override;
    void setRect(const Rect& r) override;

    float getDistance() const { return distance; }
    void setCamera(float distance, float azimuth, float elevation);  // the distance within near and far
    float getAzimuth() const { return azimuth; }
    float getElevation() const { return elevation; }
    VisualScene* getScene() const { return scene; }
    bool hasCameraRenderer() const { return cameraRenderer != nullptr; }

private:
    void dragStarts() override;
    void updateProjection();

    PathRenderer renderer;
    std::unique_ptr<PathRenderer> cameraRenderer;  // the preview scene's camera path, if a spline
    VisualScene* scene = nullptr;  // not owned
    float sceneFieldOfView = 0.0f; // of the preview scene's camera

    float distance = 100.0f;
    float azimuth = 0.0f;
    float elevation = 1.6f;

    // Left drags orbit, right drags move the key in the view plane, rolls turn it about the sight.
    float startAzimuth = 0.0f;
    float startElevation = 0.0f;
    SplineKey startKey{};  // the current key as the move or roll began
};
