#include "models/ModelX.h"

#include "app/Device.h"
#include "database/Database.h"
#include "gui/Widget.h"
#include "textures/Texture.h"

#include <tinyxml.h>

ComRef<IDirect3DStateBlock9> ModelX::modelXStateBlock;
int ModelX::modelXCount = 0;

namespace {

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

}  // namespace

ModelX::ModelX(Database* database) : Model(database) {
    ++modelXCount;
}

ModelX::~ModelX() {
    if (--modelXCount == 0) modelXStateBlock.reset();
}

Object* ModelX::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelX);
}

bool ModelX::load(TiXmlElement* element) {
    const char* resource = element->Attribute("resource");
    if (resource == nullptr) return false;
    std::vector<D3DXMATERIAL> fileMaterials;
    DWORD materialCount = 0;
    const ResourceData bytes = database->resource(resource);
    if (!bytes) return false;
    if (FAILED(D3DXLoadMeshFromXInMemory(bytes.data, static_cast<UINT>(bytes.size), D3DXMESH_SYSTEMMEM, device,
                                         &fileMaterials, &materialCount, &mesh)))
        return false;

    materials.clear();
    materials.resize(materialCount);
    for (DWORD i = 0; i < materialCount && i < fileMaterials.size(); ++i) {
        MeshMaterial& m = materials[i];
        m.material = fileMaterials[i].MatD3D;
        m.material.Ambient = m.material.Diffuse;  // lit by the scene's ambient light in the face colour
        const std::string& fileName = fileMaterials[i].textureFilename;
        if (fileName.empty()) continue;
        if (Object* found = database->find(fileName.c_str(), TypeTexture)) {
            m.textureObject = static_cast<Texture*>(found);
        } else {
            // A picture the mesh names beside it; without one the material is drawn untextured.
            std::string ignored;
            const ResourceData picture = loadResource(fileName.c_str(), database->folder(), &ignored);
            if (!picture || FAILED(D3DXCreateTextureFromFileInMemory(device, picture.data, static_cast<UINT>(picture.size),
                                                                     &m.ownTexture)))
                m.ownTexture.reset();
        }
    }
    return true;
}

void ModelX::render(float time, float delta) {
    if (!mesh) return;
    if (!modelXStateBlock) {
        recordStateBlock();
        device->EndStateBlock(&modelXStateBlock);
    }
    if (modelXStateBlock) modelXStateBlock->Apply();
    for (DWORD i = 0; i < materials.size(); ++i) {
        MeshMaterial& m = materials[i];
        device->SetMaterial(&m.material);
        if (m.ownTexture) device->SetTexture(0, m.ownTexture.get());
        else if (m.textureObject) m.textureObject->select(0, time, delta);
        else device->SetTexture(0, nullptr);
        mesh->DrawSubset(i);
    }
}
