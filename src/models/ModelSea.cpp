#include "models/ModelSea.h"

#include "app/Device.h"
#include "database/Database.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <cmath>

namespace {

constexpr DWORD seaFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(seaFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);  // the vertex alpha
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
}

}  // namespace

Object* ModelSea::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelSea);
}

std::vector<SeaVertex> ModelSea::buildVertices(int rings) {
    std::vector<SeaVertex> vertices;
    vertices.reserve(size_t(ringVertexCount(rings)));
    forEachRingVertex(rings, [&](float d, float a) {
        const DWORD alpha = static_cast<DWORD>(static_cast<int>(224.0f - 192.0f * d * d));
        const float repeat = 4.0f * d * (1.0f + d);  // denser towards the rim
        if (d == 0.0f)
            vertices.push_back({0.0f, 0.0f, 0.0f, 0xE0000000u, 8.0f, 8.0f});
        else
            vertices.push_back({d * std::cos(a), 0.0f, -d * std::sin(a), alpha << 24, 8.0f + repeat * std::cos(a),
                                8.0f + repeat * std::sin(a)});
    });
    return vertices;
}

bool ModelSea::load(TiXmlElement* element) {
    const std::vector<SeaVertex> vertices = buildVertices(rings);
    if (!mesh.create(rings, vertices.data(), sizeof(SeaVertex), seaFvf)) return false;
    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));
    return true;
}

void ModelSea::render(float time, float delta) {
    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    if (texture) texture->select(0, time, delta);
    mesh.draw();
}
