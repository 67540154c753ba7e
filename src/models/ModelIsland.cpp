#include "models/ModelIsland.h"

#include "app/Device.h"
#include "resources/LoadResource.h"
#include "database/Database.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <cmath>
#include <cstring>

namespace {

constexpr DWORD islandFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

void recordStateBlock() {
    D3DMATERIAL9 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Power = 1.0f;
    device->BeginStateBlock();
    device->SetFVF(islandFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetMaterial(&material);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

}  // namespace

Object* ModelIsland::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelIsland);
}

std::vector<uint16_t> ModelIsland::buildIndices() {
    std::vector<uint16_t> indices;
    indices.reserve(size_t(triangleCount) * 3);
    for (int r = 0; r < gridSize - 1; ++r)
        for (int c = 0; c < gridSize - 1; ++c) {
            const uint16_t v = static_cast<uint16_t>(gridSize * r + c);
            const uint16_t next[6] = {v, uint16_t(v + gridSize), uint16_t(v + gridSize + 1),
                                      v, uint16_t(v + gridSize + 1), uint16_t(v + 1)};
            indices.insert(indices.end(), next, next + 6);
        }
    return indices;
}

bool ModelIsland::buildVertices(const unsigned char* map, size_t size, const std::vector<uint16_t>& indices,
                                std::vector<IslandVertex>& vertices) {
    if (map == nullptr || size < size_t(vertexCount)) return false;
    vertices.assign(vertexCount, IslandVertex{});
    const float half = (gridSize - 1) / 2.0f;
    const float step = 1.0f / (gridSize - 1);
    float v = 0.0f;
    for (int r = 0; r < gridSize; ++r) {
        float u = 0.0f;
        for (int c = 0; c < gridSize; ++c) {
            IslandVertex& vertex = vertices[size_t(gridSize) * r + c];
            const int h = map[gridSize * r + c] == 0 ? -32 : map[gridSize * r + c];
            vertex.x = static_cast<float>(c) - half;
            vertex.y = static_cast<float>(h) * 0.02f;
            vertex.z = static_cast<float>(r) - half;
            vertex.u = u;
            vertex.v = v;
            u += step;
        }
        v += step;
    }
    // Every triangle adds its unnormalised face normal to its corners: large faces weigh more.
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        IslandVertex& A = vertices[indices[t]];
        IslandVertex& B = vertices[indices[t + 1]];
        IslandVertex& C = vertices[indices[t + 2]];
        const float nx = (B.y - A.y) * (C.z - A.z) - (B.z - A.z) * (C.y - A.y);
        const float ny = (B.z - A.z) * (C.x - A.x) - (B.x - A.x) * (C.z - A.z);
        const float nz = (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x);
        for (IslandVertex* p : {&A, &B, &C}) {
            p->nx += nx;
            p->ny += ny;
            p->nz += nz;
        }
    }
    for (IslandVertex& p : vertices) {
        const float length = std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz);
        if (length > 0.0f) {
            p.nx /= length;
            p.ny /= length;
            p.nz /= length;
        }
    }
    return true;
}

bool ModelIsland::load(TiXmlElement* element) {
    const std::vector<uint16_t> indices = buildIndices();
    const ResourceData map = loadResource("IslandMap.raw");
    std::vector<IslandVertex> vertices;
    if (!buildVertices(map.data, map.size, indices, vertices)) return false;

    void* data = nullptr;
    const UINT indexBytes = static_cast<UINT>(indices.size() * sizeof(uint16_t));
    if (FAILED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                         &indexBuffer)) ||
        FAILED(indexBuffer->Lock(0, 0, &data, 0)))
        return false;
    std::memcpy(data, indices.data(), indexBytes);
    indexBuffer->Unlock();

    const UINT vertexBytes = static_cast<UINT>(vertices.size() * sizeof(IslandVertex));
    if (FAILED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, islandFvf, D3DPOOL_MANAGED,
                                          &vertexBuffer)) ||
        FAILED(vertexBuffer->Lock(0, 0, &data, 0)))
        return false;
    std::memcpy(data, vertices.data(), vertexBytes);
    vertexBuffer->Unlock();

    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));
    return true;
}

void ModelIsland::render(float time, float delta) {
    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    device->SetIndices(indexBuffer.get());
    device->SetStreamSource(0, vertexBuffer.get(), 0, sizeof(IslandVertex));
    if (texture) texture->select(0, time, delta);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
}
