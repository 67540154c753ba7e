#include "gui/PathKeyView.h"

#include "app/Device.h"
#include "gui/EditorViewing.h"
#include "gui/ScreenDrawing.h"
#include "gui/WidgetHost.h"
#include "models/Model.h"
#include "paths/EditorProjection.h"
#include "paths/PathSpline.h"
#include "visuals/VisualScene.h"

#include <algorithm>

namespace {

constexpr int VirtualKeyShift = 16, VirtualKeyControl = 17;
constexpr int VirtualKeyPageUp = 33, VirtualKeyPageDown = 34;
constexpr float RadiansPerPixel = 0.017453294f;  // a degree
constexpr D3DCOLOR ThirdsColour = 0x40FFFFFF;

}  // namespace

PathKeyView::PathKeyView(PathSpline* path) : path(path) {}
PathKeyView::~PathKeyView() = default;

bool PathKeyView::init() {
    model = nullptr;
    Object* preview = path ? path->getPreview() : nullptr;
    if (Object* scene = preview ? preview->castTo(TypeVisualScene) : nullptr)
        model = static_cast<VisualScene*>(scene)->getModel();
    else if (Object* found = preview ? preview->castTo(TypeModel) : nullptr)
        model = static_cast<Model*>(found);
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
    viewport = fitViewport43(static_cast<DWORD>(std::max(rect.x, 0)), static_cast<DWORD>(std::max(rect.y, 0)),
                             static_cast<DWORD>(std::max(rect.width, 0)), static_cast<DWORD>(std::max(rect.height, 0)));
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

bool PathKeyView::beginDrag(Point p) {
    if (isDragging() || !host || !host->setCapture(this)) return false;
    dragStart = p;
    if (path) {
        const SplineKey key = path->keyAt(path->getCurrentKey());
        startPose = {key.position, key.orientation};
    }
    return true;
}

void PathKeyView::endDrag() {
    if (host) host->releaseCapture();
}

void PathKeyView::leftButton(Point p, int action) {
    if (action == 0) {
        if (!beginDrag(p)) return;
        if (host->isKeyDown(VirtualKeyControl))
            rolling = true;
        else if (host->isKeyDown(VirtualKeyShift))
            holding = true;
        else
            looking = true;
        return;
    }
    rolling = holding = looking = false;
    endDrag();
}

void PathKeyView::middleButton(Point p, int action) {
    if (action == 0) {
        if (beginDrag(p)) rolling = true;
        return;
    }
    rolling = false;
    endDrag();
}

void PathKeyView::rightButton(Point p, int action) {
    if (action == 0) {
        if (beginDrag(p)) holding = true;
        return;
    }
    holding = false;
    endDrag();
}

void PathKeyView::mouseMove(Point p) {
    if (!path || !(looking || rolling)) return;
    const float dx = static_cast<float>(dragStart.x - p.x) * RadiansPerPixel;
    const float dy = static_cast<float>(dragStart.y - p.y) * RadiansPerPixel;
    PathState pose = startPose;
    if (looking) {
        pose.orientation = multiplyQuaternion(
            multiplyQuaternion(quaternionFromAxisAngle({1.0f, 0.0f, 0.0f}, dy), startPose.orientation),
            quaternionFromAxisAngle({0.0f, 1.0f, 0.0f}, dx));
    } else {
        pose.orientation = multiplyQuaternion(quaternionFromAxisAngle({0.0f, 0.0f, 1.0f}, dx - dy), startPose.orientation);
    }
    path->setKeyPose(pose);
    updateCamera();
}

void PathKeyView::mouseLeave() {
    hovered = false;
    rolling = holding = looking = false;
}

// --- drawing -----------------------------------------------------------------------------------

bool PathKeyView::draw(float time, float delta) {
    if (!device || viewport.Width == 0 || viewport.Height == 0) return true;
    D3DVIEWPORT9 saved{};
    device->GetViewport(&saved);
    device->SetViewport(&viewport);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_VIEW, &view);
    const Matrix4 identity = identityMatrix();
    device->SetTransform(D3DTS_WORLD, &identity);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    setEditorLight();
    if (model) model->render(time, delta);

    if (!overlayState) {
        recordScreenState({}, {
            {D3DTSS_COLOROP, D3DTOP_SELECTARG1},
            {D3DTSS_COLORARG1, D3DTA_DIFFUSE},
            {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
            {D3DTSS_ALPHAARG1, D3DTA_DIFFUSE},
        }, ColourVertexFvf, &overlayState);
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
    return true;
}
