#include "models/ModelStars.h"

#include "app/Device.h"
#include "database/Database.h"
#include "paths/Matrix4.h"
#include "textures/Random.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <cstdlib>

namespace {

constexpr DWORD starFvf = D3DFVF_XYZ | D3DFVF_TEX1;

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(starFvf);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);  // additive
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

}  // namespace

Object* ModelStars::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelStars);
}

bool ModelStars::load(TiXmlElement* element) {
    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));
    if (const char* text = element->Attribute("scale1")) scale1 = static_cast<float>(std::atof(text));
    if (const char* text = element->Attribute("scale2")) scale2 = static_cast<float>(std::atof(text));
    randomSeed = 12345;
    for (auto& star : stars) {
        star[0] = nextRandom() * scale1;
        star[1] = nextRandom() * scale2;
        star[2] = nextRandom() * scale1;
    }
    vertices.resize(size_t(starCount) * 6);
    return true;
}

void ModelStars::render(float time, float delta) {
    Matrix4 world, view;
    device->GetTransform(D3DTS_WORLD, &world);
    device->GetTransform(D3DTS_VIEW, &view);
    const Matrix4 m = multiplyMatrix(world, view);
    // Columns 0 and 1: the camera's right and up in model space, scaled as the model is.
    const float R[3] = {m(0, 0), m(1, 0), m(2, 0)};
    const float U[3] = {m(0, 1), m(1, 1), m(2, 1)};
    StarVertex* out = vertices.data();
    for (const auto& p : stars) {
        auto corner = [&](float r, float u, float tu, float tv) {
            *out++ = {p[0] + r * R[0] + u * U[0], p[1] + r * R[1] + u * U[1], p[2] + r * R[2] + u * U[2], tu, tv};
        };
        corner(-1, -1, 0, 1);
        corner(-1, 1, 0, 0);
        corner(1, 1, 1, 0);
        corner(-1, -1, 0, 1);
        corner(1, 1, 1, 0);
        corner(1, -1, 1, 1);
    }

    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    if (texture) texture->select(0, time, delta);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2 * starCount, vertices.data(), sizeof(StarVertex));
}
