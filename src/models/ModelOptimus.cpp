#include "models/ModelOptimus.h"

#include "app/Device.h"
#include "database/Database.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <cmath>
#include <numbers>

namespace {

struct OptimusVertex {
    float x, y, z;
    float u, v;
};
static_assert(sizeof(OptimusVertex) == 20);
constexpr DWORD optimusFvf = D3DFVF_XYZ | D3DFVF_TEX1;
constexpr float blinkOpaque = 0.8f;  // blink phases above this draw the background unblended

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(optimusFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
}

void wrapPhase(float& phase, float period) {
    while (phase > period) phase -= period;
}

}  // namespace

Object* ModelOptimus::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelOptimus);
}

bool ModelOptimus::load(TiXmlElement* element) {
    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));
    return true;
}

void ModelOptimus::render(float time, float delta) {
    scrollPhase += delta;
    slidePhase += 1.5f * delta;
    blinkPhase += 2.5f * delta;
    wrapPhase(scrollPhase, 1.0f);
    wrapPhase(blinkPhase, 1.0f);
    wrapPhase(slidePhase, 2.0f * std::numbers::pi_v<float>);

    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    if (texture != nullptr) texture->select(0, time, delta);

    // The texture repeats 11 times each way and scrolls one repeat per second.
    const float s = scrollPhase, s11 = scrollPhase + 11.0f;
    const OptimusVertex background[4] = {
        {-1, -1, 1.4f, s, s11}, {-1, 1, 1.4f, s, s}, {1, 1, 1.4f, s11, s}, {1, -1, 1.4f, s11, s11}};
    const float wave = std::sin(slidePhase);
    const float k = wave < 0.0f ? 0.9f * (wave + 1.0f) : 0.9f * (wave - 1.0f);
    const OptimusVertex sprite[4] = {{k - 0.15f, -0.15f, 1.1f, 0, 1},
                                     {k - 0.15f, 0.15f, 1.1f, 0, 0},
                                     {k + 0.15f, 0.15f, 1.1f, 1, 0},
                                     {k + 0.15f, -0.15f, 1.1f, 1, 1}};

    const bool opaque = blinkPhase > blinkOpaque;
    if (opaque) device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, background, sizeof(OptimusVertex));
    if (opaque) device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, sprite, sizeof(OptimusVertex));
}
