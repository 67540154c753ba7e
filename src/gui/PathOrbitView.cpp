#include "gui/PathOrbitView.h"

#include "app/Device.h"
#include "gui/EditorViewing.h"
#include "models/Model.h"
#include "paths/EditorProjection.h"
#include "paths/PathSpline.h"
#include "visuals/VisualScene.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int VirtualKeyPageUp = 33, VirtualKeyPageDown = 34;
constexpr int VirtualKeyLeft = 37, VirtualKeyUp = 38, VirtualKeyRight = 39, VirtualKeyDown = 40;
constexpr int VirtualKeyNumpad1 = 0x61, VirtualKeyNumpad3 = 0x63, VirtualKeyNumpad7 = 0x67;

constexpr float AzimuthStep = 0.31415927f;  // a tenth of a half turn per arrow key
constexpr float ElevationStep = 0.15708f;   // about a twentieth
constexpr float HalfPi = 1.5707964f;
constexpr float DragRadiansPerPixel = 0.02f;

}  // namespace

PathOrbitView::PathOrbitView(PathSpline* path) : PathView(path), renderer(path) {}
PathOrbitView::~PathOrbitView() = default;

bool PathOrbitView::init() {
    cameraRenderer.reset();
    sceneFieldOfView = 0.0f;
    scene = takePreview();
    if (scene) {
        sceneFieldOfView = scene->getFov();
        // The scene's camera path is drawn with its view pyramid; only a spline has keys to draw.
        if (Object* camera = scene->getCamera() ? scene->getCamera()->castTo(TypePathSpline) : nullptr)
            cameraRenderer = std::make_unique<PathRenderer>(static_cast<PathSpline*>(camera));
    }
    const float size = model ? model->getSize() : 100.0f;
    distance = 2.0f * size;
    nearPlane = scene ? scene->getNear() : 0.01f * size;
    farPlane = scene ? scene->getFar() : 100.0f * size;
    updateCamera();
    setRect(rect);
    return true;
}

void PathOrbitView::updateCamera() {
    const Vector3 target = path ? path->keyAt(path->getCurrentKey()).position : Vector3{};
    view = orbitView(target, distance, azimuth, elevation);
}

void PathOrbitView::setCamera(float newDistance, float newAzimuth, float newElevation) {
    distance = std::min(std::max(newDistance, nearPlane), farPlane);
    azimuth = newAzimuth;
    elevation = newElevation;
    updateCamera();
}

void PathOrbitView::setRect(const Rect& r) {
    rect = r;
    updateProjection();
}

void PathOrbitView::updateProjection() {
    viewport = rectViewport(rect);
    projection = perspective45(viewport, nearPlane, farPlane);
}

// --- keys --------------------------------------------------------------------------------------

bool PathOrbitView::key(int virtualKey, bool down) {
    if (!down) return false;
    switch (virtualKey) {
        case VirtualKeyPageUp:
            if (path) path->selectKey(path->getCurrentKey() + 1);
            break;
        case VirtualKeyPageDown:
            if (path) path->selectKey(path->getCurrentKey() - 1);
            break;
        case VirtualKeyLeft: azimuth += AzimuthStep; break;
        case VirtualKeyRight: azimuth -= AzimuthStep; break;
        case VirtualKeyUp: elevation += ElevationStep; break;
        case VirtualKeyDown: elevation -= ElevationStep; break;
        case VirtualKeyNumpad1: azimuth = elevation = 0.0f; break;
        case VirtualKeyNumpad3:
            elevation = 0.0f;
            azimuth = HalfPi;
            break;
        case VirtualKeyNumpad7: elevation = HalfPi; break;
        default: return false;
    }
    updateCamera();
    return true;
}

// --- drags -------------------------------------------------------------------------------------

void PathOrbitView::dragStarts() {
    startAzimuth = azimuth;
    startElevation = elevation;
    if (path) startKey = path->keyAt(path->getCurrentKey());
}

void PathOrbitView::mouseMove(Point p) {
    const float x0 = static_cast<float>(dragStart.x), y0 = static_cast<float>(dragStart.y);
    const float x = static_cast<float>(p.x), y = static_cast<float>(p.y);
    if (drag == Drag::Left) {  // orbits
        azimuth = startAzimuth + (x0 - x) * DragRadiansPerPixel;
        elevation = startElevation + (y - y0) * DragRadiansPerPixel;
        updateCamera();
    } else if (drag == Drag::Right && path) {
        // In the view plane: a drag across the whole height moves the key by the distance.
        const float h = static_cast<float>(std::max(rect.height, 1));
        const float f = (x0 - x) * distance / h, g = (y0 - y) * distance / h;
        const float ca = std::cos(azimuth), sa = std::sin(azimuth);
        const float ce = std::cos(elevation), se = std::sin(elevation);
        PathState pose{startKey.position, startKey.orientation};
        pose.position.x = startKey.position.x + f * sa - g * se * ca;
        pose.position.y = startKey.position.y + g * ce;
        pose.position.z = startKey.position.z - f * ca - g * se * sa;
        path->setKeyPose(pose);
    } else if (drag == Drag::Roll && path) {
        // About the line of sight, by twice the angle the drag runs along the diagonal.
        const float phi = ((y0 + x0) - (y + x)) * DragRadiansPerPixel;
        const float ca = std::cos(azimuth), sa = std::sin(azimuth);
        const float ce = std::cos(elevation), se = std::sin(elevation);
        const float sp = std::sin(phi);
        const Quaternion r{std::cos(phi), -ce * sp * ca, -sp * se, -ce * sp * sa};
        PathState pose{startKey.position, multiplyQuaternion(startKey.orientation, r)};
        path->setKeyPose(pose);
    }
}

void PathOrbitView::wheel(Point, float notches) {
    // max then min: a document whose near lies beyond its far still gives a distance
    distance = std::min(std::max(distance - distance * notches / 16.0f, nearPlane), farPlane);
    updateCamera();
}

// --- drawing -----------------------------------------------------------------------------------

bool PathOrbitView::draw(float time, float delta) {
    D3DVIEWPORT9 saved{};
    if (!drawModel(time, delta, saved)) return true;
    const Matrix4 identity = identityMatrix();
    device->SetTransform(D3DTS_WORLD, &identity);  // a model may leave another world behind
    if (cameraRenderer) cameraRenderer->draw(time, delta, 0.0f, sceneFieldOfView);
    if (path) renderer.draw(path->keyAt(path->getCurrentKey()).time, delta, distance, 0.0f);
    device->SetViewport(&saved);
    if (focused) focusMark.draw(rect);
    return true;
}
