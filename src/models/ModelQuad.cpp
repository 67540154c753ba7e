#include "models/ModelQuad.h"

#include "app/Device.h"
#include "database/Database.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <cstdlib>
#include <cstring>

namespace {

struct QuadVertex {
    float x, y, z;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 20);
constexpr DWORD quadFvf = D3DFVF_XYZ | D3DFVF_TEX1;

// Only these four names are read; an absent (or misspelt) attribute keeps the default.
void readFloat(TiXmlElement* element, const char* name, float& value) {
    if (const char* text = element->Attribute(name)) value = static_cast<float>(std::atof(text));
}

}  // namespace

Object* ModelQuad::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelQuad);
}

bool ModelQuad::load(TiXmlElement* element) {
    readFloat(element, "u0", u0);
    readFloat(element, "v0", v0);
    readFloat(element, "u1", u1);
    readFloat(element, "v1", v1);
    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));

    if (FAILED(device->CreateVertexBuffer(4 * sizeof(QuadVertex), D3DUSAGE_WRITEONLY, quadFvf, D3DPOOL_MANAGED,
                                          &vertexBuffer)))
        return false;
    const float w = u1 - u0, h = v1 - v0;
    const QuadVertex vertices[4] = {
        {-w / 2, 0, -h / 2, u0, v0},
        {-w / 2, 0, +h / 2, u0, v1},
        {+w / 2, 0, +h / 2, u1, v1},
        {+w / 2, 0, -h / 2, u1, v0},
    };
    void* locked = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &locked, 0))) return false;
    std::memcpy(locked, vertices, sizeof vertices);
    return SUCCEEDED(vertexBuffer->Unlock());
}

void ModelQuad::render(float time, float delta) {
    if (!stateBlock) {
        device->BeginStateBlock();
        device->SetFVF(quadFvf);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    device->SetStreamSource(0, vertexBuffer.get(), 0, sizeof(QuadVertex));
    if (texture) texture->select(0, time, delta);
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}
