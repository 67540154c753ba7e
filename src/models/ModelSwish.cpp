#include "models/ModelSwish.h"

#include "app/Device.h"
#include "platform/d3dx/d3dx9.h"
#include "textures/Random.h"

#include <bit>
#include <numbers>

namespace {

struct SwishVertex {
    float x, y, z;
    D3DCOLOR color;
};
static_assert(sizeof(SwishVertex) == 16);
constexpr DWORD swishFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr D3DCOLOR lineColor = 0x0080C0FF;  // light blue; alpha added per vertex

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(swishFvf);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(3.0f));
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

SwishVertex between(const ModelSwish::Point& a, const ModelSwish::Point& b, float f, D3DCOLOR color) {
    return {(1 - f) * a[0] + f * b[0], (1 - f) * a[1] + f * b[1], (1 - f) * a[2] + f * b[2], color};
}

}  // namespace

Object* ModelSwish::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelSwish);
}

void ModelSwish::step() {
    for (int i = 1; i < pointCount; ++i) trail[i - 1] = trail[i];
    const float a = nextRandom();
    const float b = nextRandom();
    const float c = nextRandom();
    const Point noise = {10.0f * c, 10.0f * b, 10.0f * a};
    const Point& p38 = trail[pointCount - 2];
    const Point& p37 = trail[pointCount - 3];
    for (int axis = 0; axis < 3; ++axis) {
        trail[pointCount - 1][axis] = 1.2f * p38[axis] - 0.6f * p37[axis] + noise[axis];
    }
}

bool ModelSwish::load(TiXmlElement*) {
    for (float& coordinate : trail[pointCount - 1]) coordinate = nextRandom();
    for (float& coordinate : trail[pointCount - 2]) coordinate = nextRandom();
    for (int i = 0; i < pointCount; ++i) step();
    return true;
}

void ModelSwish::render(float time, float delta) {
    constexpr float twoPi = 2.0f * std::numbers::pi_v<float>;
    angle += delta;
    stepPhase += 10.0f * delta;
    while (stepPhase > 1.0f) {
        step();
        stepPhase -= 1.0f;
    }
    while (angle > twoPi) angle -= twoPi;

    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    D3DXMATRIX rotation;
    device->MultiplyTransform(D3DTS_WORLD, D3DXMatrixRotationZ(&rotation, angle));
    device->MultiplyTransform(D3DTS_WORLD, D3DXMatrixRotationX(&rotation, angle));  // Rx x Rz x WORLD

    // The ends slide along their segments with the step phase, so the line moves smoothly.
    const float f = stepPhase;
    SwishVertex vertices[pointCount];
    vertices[0] = between(trail[0], trail[1], f, lineColor);
    vertices[pointCount - 1] = between(trail[pointCount - 2], trail[pointCount - 1], f, lineColor);
    for (int i = 1; i < pointCount - 1; ++i) {
        const float s = (static_cast<float>(i) - f) / 38.0f;
        const DWORD alpha = static_cast<DWORD>(static_cast<int>(1020.0f * s * (1.0f - s)));
        vertices[i] = {trail[i][0], trail[i][1], trail[i][2], lineColor | (alpha << 24)};
    }
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, pointCount - 1, vertices, sizeof(SwishVertex));
    for (SwishVertex& v : vertices) v.color |= 0x00FFFFFFu;
    device->DrawPrimitiveUP(D3DPT_POINTLIST, pointCount - 2, &vertices[1], sizeof(SwishVertex));
}
