#include "gui/ModelPreviewView.h"

#include "app/Device.h"
#include "gui/EditorViewing.h"
#include "gui/ScreenDrawing.h"
#include "models/Model.h"
#include "paths/EditorProjection.h"
#include "platform/d3dx/d3dx9.h"

#include <algorithm>
#include <cmath>

int ModelPreviewView::instances = 0;
ComRef<IDirect3DStateBlock9> ModelPreviewView::axesState;

namespace {
constexpr int VirtualKeyLeft = 37, VirtualKeyUp = 38, VirtualKeyRight = 39, VirtualKeyDown = 40;
constexpr float AzimuthStep = 0.31415927f;
constexpr float ElevationStep = 0.15708f;
constexpr float DragRadiansPerPixel = 0.02f;
}  // namespace

ModelPreviewView::ModelPreviewView(Model* model) : model(model) {
    ++instances;
}

ModelPreviewView::~ModelPreviewView() {
    if (--instances == 0) axesState.reset();
}

bool ModelPreviewView::init() {
    const float size = model ? model->getSize() : 100.0f;
    distance = 2.0f * size;
    nearPlane = 0.01f * size;
    farPlane = 100.0f * size;
    updateCamera();
    setRect(rect);
    return true;
}

void ModelPreviewView::updateCamera() {
    orbit = orbitView({}, distance, azimuth + pendingAzimuth, elevation + pendingElevation);
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, -(panX + pendingPanX), -(panY + pendingPanY), 0.0f);
    pan = translation;
}

void ModelPreviewView::setRect(const Rect& r) {
    rect = r;
    updateProjection();
}

void ModelPreviewView::updateProjection() {
    viewport = rectViewport(rect);
    projection = perspective45(viewport, nearPlane, farPlane);
}

bool ModelPreviewView::key(int virtualKey, bool down) {
    if (!down) return false;
    switch (virtualKey) {
        case VirtualKeyLeft: azimuth += AzimuthStep; break;
        case VirtualKeyRight: azimuth -= AzimuthStep; break;
        case VirtualKeyUp: elevation -= ElevationStep; break;
        case VirtualKeyDown: elevation += ElevationStep; break;
        default: return false;
    }
    updateCamera();
    return true;
}

void ModelPreviewView::settle() {
    azimuth += pendingAzimuth;
    elevation += pendingElevation;
    panX += pendingPanX;
    panY += pendingPanY;
    pendingAzimuth = pendingElevation = pendingPanX = pendingPanY = 0.0f;
    updateCamera();
}

void ModelPreviewView::leftButton(Point p, int action) {
    if (action == 0) {
        rotating = true;
        dragStart = p;
        return;
    }
    rotating = false;
    settle();
}

void ModelPreviewView::rightButton(Point p, int action) {
    if (action == 0) {
        panning = true;
        dragStart = p;
        return;
    }
    panning = false;
    settle();
}

void ModelPreviewView::mouseMove(Point p) {
    const float dx = static_cast<float>(dragStart.x - p.x), dy = static_cast<float>(p.y - dragStart.y);
    if (rotating) {
        pendingAzimuth = dx * DragRadiansPerPixel;
        pendingElevation = dy * DragRadiansPerPixel;
    } else if (panning) {
        // A drag across the whole height pans by the camera's distance.
        const float h = static_cast<float>(std::max(rect.height, 1));
        pendingPanX = dx * distance / h;
        pendingPanY = dy * distance / h;
    } else {
        return;
    }
    updateCamera();
}

void ModelPreviewView::wheel(Point, float notches) {
    // max then min: a model claiming a size of 0 or less still gives a distance
    distance = std::min(std::max(distance - distance * notches / 16.0f, 2.0f * nearPlane), farPlane / 2.0f);
    updateCamera();
}

void ModelPreviewView::setCamera(float newDistance, float newAzimuth, float newElevation, float newPanX, float newPanY) {
    pendingAzimuth = pendingElevation = pendingPanX = pendingPanY = 0.0f;
    distance = std::min(std::max(newDistance, 2.0f * nearPlane), farPlane / 2.0f);
    azimuth = newAzimuth;
    elevation = newElevation;
    panX = newPanX;
    panY = newPanY;
    updateCamera();
}

void ModelPreviewView::mouseLeave() {
    hovered = false;
    rotating = panning = false;
    settle();
}

bool ModelPreviewView::draw(float time, float delta) {
    if (!device || viewport.Width == 0 || viewport.Height == 0) return true;
    D3DVIEWPORT9 saved{};
    device->GetViewport(&saved);
    device->SetViewport(&viewport);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_VIEW, &pan);
    device->SetTransform(D3DTS_WORLD, &orbit);
    setEditorLight();
    if (model) model->render(time, delta);

    if (!axesState) {
        recordColourState(
            {
                {D3DRS_ALPHATESTENABLE, TRUE},
                {D3DRS_ALPHAREF, 1},
                {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
                {D3DRS_ZWRITEENABLE, TRUE},
            },
            WorldVertexFvf, &axesState);
    }
    applyScreenState(axesState.get(), WorldVertexFvf);
    device->SetTexture(0, nullptr);
    device->SetTransform(D3DTS_WORLD, &orbit);  // a model may leave another world behind
    const float length = std::sqrt(distance);
    const WorldVertex axes[6] = {
        {0, 0, 0, 0xFFFF0000}, {length, 0, 0, 0xFFFF0000}, {0, 0, 0, 0xFF00FF00},
        {0, length, 0, 0xFF00FF00}, {0, 0, 0, 0xFF0000FF}, {0, 0, length, 0xFF0000FF},
    };
    device->DrawPrimitiveUP(D3DPT_LINELIST, 3, axes, sizeof(WorldVertex));
    device->SetViewport(&saved);
    if (focused) focusMark.draw(rect);
    return true;
}
