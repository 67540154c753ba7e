// VisualScene: a model tree seen through a camera flying along a path, drawn into the visual's
// rectangle with its own depth clear. Active exactly while the camera path yields a pose; outside
// that range it answers false and leaves the device alone. The viewport in force before a render
// is in force again after it; transforms and light 0 stay as the scene set them.
#pragma once

#include "database/DrivenAttributes.h"
#include "paths/Matrix4.h"
#include "platform/d3d9/d3d9.h"
#include "visuals/Visual.h"

class Model;
class Path;

class VisualScene : public Visual {
public:
    using Visual::Visual;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // fails unless model and camera are found
    bool render(float time, float delta) override;
    void setRect(const Rect& r) override;       // rebuilds projection and viewport

    Model* getModel() const { return model; }
    Path* getCamera() const { return camera; }
    const Matrix4& getProjection() const { return projection; }
    float getNear() const { return nearPlane; }  // the path editor frames the scene with these
    float getFar() const { return farPlane; }
    float getFov() const { return fov; }

    static const D3DLIGHT9 directionalLight;  // without the "light" attribute
    static const D3DLIGHT9 pointLight;        // with it, whatever its value

private:
    Model* model = nullptr;   // not owned
    Path* camera = nullptr;   // not owned
    float nearPlane = 10.0f;  // "near": depth 0
    float farPlane = 10000.0f;  // "far": depth 1
    float aspect = 1.0f;      // horizontal scale of the projection; below 1 widens the view
    Driven drivenNear, drivenFar, drivenAspect;  // "@Name": the projection follows the floats
    bool driven = false;      // any of the three: render rebuilds the projection for its time
    bool light = false;       // the point light instead of the directional one
    float fov = 0.7853982f;   // vertical field of view, radians
    Matrix4 projection;
    D3DVIEWPORT9 viewport{0, 0, 0, 0, 0.0f, 1.0f};
};
