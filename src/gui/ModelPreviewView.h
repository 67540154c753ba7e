// ModelPreviewView: the editor panel of every model: the model turning under an orbit camera
// around its origin, with its x, y and z axes. Left drags turn it, right drags pan, the wheel
// comes closer or goes away, the arrow keys turn by steps. Owned by its model.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Widget.h"
#include "paths/Matrix4.h"
#include "platform/d3d9/d3d9.h"

class Model;

class ModelPreviewView : public Widget {
public:
    explicit ModelPreviewView(Model* model);
    ~ModelPreviewView() override;

    bool init();  // frames the model; never fails
    void updateCamera();

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void mouseMove(Point p) override;
    void wheel(Point p, float notches) override;
    void mouseLeave() override;
    void setRect(const Rect& r) override;

    float getDistance() const { return distance; }
    // A camera as the getters give it, the distance within the wheel's range.
    void setCamera(float distance, float azimuth, float elevation, float panX, float panY);
    float getAzimuth() const { return azimuth + pendingAzimuth; }      // with the drag in progress
    float getElevation() const { return elevation + pendingElevation; }
    float getPanX() const { return panX + pendingPanX; }
    float getPanY() const { return panY + pendingPanY; }
    float getNear() const { return nearPlane; }
    float getFar() const { return farPlane; }
    bool isDragging() const { return rotating || panning; }

private:
    FocusMark focusMark;
    void settle();  // the drags in progress become part of the angles and the pan
    void updateProjection();

    Model* model;  // not owned
    float distance = 100.0f;
    float azimuth = -0.5f;
    float elevation = 0.5f;
    float pendingAzimuth = 0.0f, pendingElevation = 0.0f;
    float panX = 0.0f, panY = 0.0f;
    float pendingPanX = 0.0f, pendingPanY = 0.0f;
    float nearPlane = 1.0f;
    float farPlane = 1000.0f;
    bool rotating = false;
    bool panning = false;
    Point dragStart{};

    Matrix4 orbit;  // the look-at matrix, used as the model's world
    Matrix4 pan;    // the view: the pan offset
    Matrix4 projection;
    D3DVIEWPORT9 viewport{0, 0, 4, 4, 0.0f, 1.0f};

    static int instances;
    static ComRef<IDirect3DStateBlock9> axesState;  // shared by all previews
};
