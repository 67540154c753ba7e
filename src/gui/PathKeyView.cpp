#include "gui/PathKeyView.h"

#include "app/Device.h"
#include "gui/EditorViewing.h"
#include "gui/ScreenDrawing.h"
#include "models/Model.h"
#include "paths/EditorProjection.h"
#include "paths/PathSpline.h"


namespace {

constexpr int VirtualKeyPageUp = 33, VirtualKeyPageDown = 34;
constexpr float RadiansPerPixel = 0.017453294f;  // a degree
constexpr D3DCOLOR ThirdsColour = 0x40FFFFFF;

}  // namespace

PathKeyView::PathKeyView(PathSpline* path) : PathView(path) {}
PathKeyView::~PathKeyView() = default;

bool PathKeyView::init() {
    takePreview();
    // The scene's own planes are not used: the key view frames the model like the orbit view.
    const float size = model ? model->getSize() : 100.0f;
    nearPlane = 0.01f * size;
    farPlane = 100.0f * size;
    updateCamera();
    setRect(rect);
    return true;
}

void PathKeyView::updateCamera() {
    if (!path) return;
    const SplineKey key = path->keyAt(path->getCurrentKey());
    view = poseToView(PathState{key.position, key.orientation});
}

void PathKeyView::setRect(const Rect& r) {
    rect = r;
    updateProjection();
}

void PathKeyView::updateProjection() {
    const D3DVIEWPORT9 whole = rectViewport(rect);
    viewport = fitViewport43(whole.X, whole.Y, whole.Width, whole.Height);
    projection = perspective45(viewport, nearPlane, farPlane);
}

bool PathKeyView::key(int virtualKey, bool down) {
    if (!down || !path) return false;
    if (virtualKey == VirtualKeyPageUp)
        path->selectKey(path->getCurrentKey() + 1);
    else if (virtualKey == VirtualKeyPageDown)
        path->selectKey(path->getCurrentKey() - 1);
    else
        return false;
    updateCamera();
    return true;
}

// --- drags -------------------------------------------------------------------------------------

void PathKeyView::dragStarts() {
    if (!path) return;
    const SplineKey key = path->keyAt(path->getCurrentKey());
    startPose = {key.position, key.orientation};
}

void PathKeyView::mouseMove(Point p) {
    if (!path || (drag != Drag::Left && drag != Drag::Roll)) return;
    const float dx = static_cast<float>(dragStart.x - p.x) * RadiansPerPixel;
    const float dy = static_cast<float>(dragStart.y - p.y) * RadiansPerPixel;
    PathState pose = startPose;
    if (drag == Drag::Left) {  // looks around
        pose.orientation = multiplyQuaternion(
            multiplyQuaternion(quaternionFromAxisAngle({1.0f, 0.0f, 0.0f}, dy), startPose.orientation),
            quaternionFromAxisAngle({0.0f, 1.0f, 0.0f}, dx));
    } else {
        pose.orientation = multiplyQuaternion(quaternionFromAxisAngle({0.0f, 0.0f, 1.0f}, dx - dy), startPose.orientation);
    }
    path->setKeyPose(pose);
    updateCamera();
}

// --- drawing -----------------------------------------------------------------------------------

bool PathKeyView::draw(float time, float delta) {
    D3DVIEWPORT9 saved{};
    if (!drawModel(time, delta, saved)) return true;

    if (!overlayState) {
        recordColourState({}, ColourVertexFvf, &overlayState);
    }
    applyScreenState(overlayState.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);
    const float x = static_cast<float>(rect.x), y = static_cast<float>(rect.y);
    const float w = static_cast<float>(rect.width), h = static_cast<float>(rect.height);
    const ColourVertex thirds[8] = {
        {x, y + h / 3.0f, 0, 1, ThirdsColour},         {x + w, y + h / 3.0f, 0, 1, ThirdsColour},
        {x, y + 2.0f * h / 3.0f, 0, 1, ThirdsColour},  {x + w, y + 2.0f * h / 3.0f, 0, 1, ThirdsColour},
        {x + w / 3.0f, y, 0, 1, ThirdsColour},         {x + w / 3.0f, y + h, 0, 1, ThirdsColour},
        {x + 2.0f * w / 3.0f, y, 0, 1, ThirdsColour},  {x + 2.0f * w / 3.0f, y + h, 0, 1, ThirdsColour},
    };
    device->DrawPrimitiveUP(D3DPT_LINELIST, 4, thirds, sizeof(ColourVertex));
    device->SetViewport(&saved);
    if (focused) focusMark.draw(rect);
    return true;
}
