#include "models/ModelSea.h"

#include "app/Device.h"
#include "database/Database.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <cmath>
#include <cstring>

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

int ringVertexCount(int rings) {
    return 3 * rings * (rings + 1) + 1;
}

int ringTriangleCount(int rings) {
    return 6 * rings * rings;
}

std::vector<uint16_t> buildRingIndices(int rings) {
    std::vector<uint16_t> indices;
    indices.reserve(size_t(ringTriangleCount(rings)) * 3);
    auto emit = [&](int a, int b, int c) {
        indices.push_back(static_cast<uint16_t>(a));
        indices.push_back(static_cast<uint16_t>(b));
        indices.push_back(static_cast<uint16_t>(c));
    };
    for (int k = 0; k < rings; ++k) {
        const int innerFirst = k == 0 ? 0 : 3 * k * (k - 1) + 1;
        const int innerLast = k == 0 ? 0 : innerFirst + 6 * k - 1;
        const int outerFirst = 3 * (k + 1) * k + 1;
        int i = innerFirst, o = outerFirst;
        for (int side = 0; side < 6; ++side) {
            for (int t = 0; t < k; ++t) {
                const int next = i == innerLast ? innerFirst : i + 1;
                emit(i, o, o + 1);
                emit(i, o + 1, next);
                i = next;
                ++o;
            }
            emit(i, o, side == 5 ? outerFirst : o + 1);  // the last side closes the ring
            ++o;
        }
    }
    return indices;
}

bool fillVertexBuffer(const void* data, UINT bytes, DWORD fvf, ComRef<IDirect3DVertexBuffer9>& buffer) {
    void* target = nullptr;
    if (FAILED(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer)) ||
        FAILED(buffer->Lock(0, 0, &target, 0)))
        return false;
    std::memcpy(target, data, bytes);
    buffer->Unlock();
    return true;
}

bool fillIndexBuffer(const std::vector<uint16_t>& indices, ComRef<IDirect3DIndexBuffer9>& buffer) {
    void* target = nullptr;
    const UINT bytes = static_cast<UINT>(indices.size() * sizeof(uint16_t));
    if (FAILED(device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer)) ||
        FAILED(buffer->Lock(0, 0, &target, 0)))
        return false;
    std::memcpy(target, indices.data(), bytes);
    buffer->Unlock();
    return true;
}

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
    vertexCount = ringVertexCount(rings);
    triangleCount = ringTriangleCount(rings);
    if (!fillIndexBuffer(buildRingIndices(rings), indexBuffer)) return false;
    const std::vector<SeaVertex> vertices = buildVertices(rings);
    if (!fillVertexBuffer(vertices.data(), static_cast<UINT>(vertices.size() * sizeof(SeaVertex)), seaFvf,
                          vertexBuffer))
        return false;
    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));
    return true;
}

void ModelSea::render(float time, float delta) {
    if (!stateBlock) {
        recordStateBlock();
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    device->SetIndices(indexBuffer.get());
    device->SetStreamSource(0, vertexBuffer.get(), 0, sizeof(SeaVertex));
    if (texture) texture->select(0, time, delta);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
}
