#include "models/ModelSky.h"

#include "app/Device.h"

#include <cmath>

namespace {

constexpr DWORD skyFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(skyFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

DWORD byte(float v) {
    return static_cast<DWORD>(static_cast<int>(v)) & 0xffu;
}

}  // namespace

Object* ModelSky::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelSky);
}

std::vector<SkyVertex> ModelSky::buildVertices(int rings) {
    std::vector<SkyVertex> vertices;
    vertices.reserve(size_t(ringVertexCount(rings)));
    forEachRingVertex(rings, [&](float d, float a) {
        const D3DCOLOR color =
            0xFF000000u | byte(128.0f * d) << 16 | byte(96.0f * (1.0f + d)) << 8 | byte(63.0f * d + 192.0f);
        vertices.push_back({d * std::cos(a), std::sqrt(2.0f - d * d) - 1.0f, d * std::sin(a), color});
    });
    return vertices;
}

bool ModelSky::load(TiXmlElement*) {
    const std::vector<SkyVertex> vertices = buildVertices(rings);
    return mesh.create(rings, vertices.data(), sizeof(SkyVertex), skyFvf);
}

void ModelSky::render(float, float) {
    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    mesh.draw();
}
