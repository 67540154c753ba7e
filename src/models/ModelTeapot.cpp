#include "models/ModelTeapot.h"

#include "app/Device.h"
#include "database/Database.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <numbers>

namespace {

constexpr float twoPi = 2.0f * std::numbers::pi_v<float>;

void wrapAngle(float& angle) {
    while (angle > twoPi) angle -= twoPi;
}

void recordStateBlock() {
    D3DMATERIAL9 material{};
    material.Specular = {1.0f, 1.0f, 1.0f, 1.0f};  // diffuse, ambient and emissive stay 0
    material.Power = 40.0f;

    device->BeginStateBlock();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetMaterial(&material);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_SPECULAR);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

}  // namespace

Object* ModelTeapot::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelTeapot);
}

bool ModelTeapot::load(TiXmlElement* element) {
    if (FAILED(D3DXCreateTeapot(device, &mesh))) return false;
    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));
    return texture != nullptr;
}

void ModelTeapot::render(float time, float delta) {
    angleZ += 1.1f * delta;
    angleX += 1.6f * delta;
    wrapAngle(angleZ);
    wrapAngle(angleX);

    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();

    D3DXMATRIX rotation;
    device->MultiplyTransform(D3DTS_WORLD, D3DXMatrixRotationZ(&rotation, angleZ));
    device->MultiplyTransform(D3DTS_WORLD, D3DXMatrixRotationX(&rotation, angleX));  // Rx x Rz x WORLD
    texture->select(0, time, delta);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    mesh->DrawSubset(0);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
}
