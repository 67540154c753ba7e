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
    readDriven(database, element, "scale1", scale1);
    readDriven(database, element, "scale2", scale2);
    const float box1 = scale1.driven() ? 1.0f : scale1.value, box2 = scale2.driven() ? 1.0f : scale2.value;
    randomSeed = 12345;
    for (auto& star : stars) {
        star[0] = nextRandom() * box1;
        star[1] = nextRandom() * box2;
        star[2] = nextRandom() * box1;
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
    // Times 1 when fixed: the same numbers as without the stretch.
    const float k1 = scale1.driven() ? scale1.at(time) : 1.0f, k2 = scale2.driven() ? scale2.at(time) : 1.0f;
    StarVertex* out = vertices.data();
    for (const auto& star : stars) {
        const float p[3] = {star[0] * k1, star[1] * k2, star[2] * k1};
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
