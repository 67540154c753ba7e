#include "models/ModelCloud.h"

#include "app/Device.h"
#include "resources/LoadResource.h"
#include "database/Database.h"
#include "gui/Widget.h"
#include "models/ManagedBuffers.h"
#include "paths/Matrix4.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <cstdlib>
#include <cstring>

ComRef<IDirect3DIndexBuffer9> ModelCloud::cloudIndexBuffer;
ComRef<IDirect3DVertexBuffer9> ModelCloud::cloudVertexBuffer;
ComRef<IDirect3DVertexShader9> ModelCloud::cloudShader;
ComRef<IDirect3DStateBlock9> ModelCloud::cloudStateBlock;
int ModelCloud::cloudCount = 0;

namespace {

constexpr DWORD cloudFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(cloudFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);  // the shader's fade
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
}

Matrix4 transposed(const Matrix4& m) {
    Matrix4 t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t(r, c) = m(c, r);
    return t;
}

// The shader's tokens, copied out of the resource; the stream must end with its end token
// inside the resource, so the device never reads past it.
bool loadShader(ComRef<IDirect3DVertexShader9>& shader) {
    const ResourceData resource = loadResource("Cloud.vso");
    if (!resource || resource.size % sizeof(DWORD) != 0 || resource.size < 2 * sizeof(DWORD)) return false;
    std::vector<DWORD> tokens(resource.size / sizeof(DWORD));
    std::memcpy(tokens.data(), resource.data, resource.size);
    if (tokens.back() != 0x0000FFFFu) return false;
    return SUCCEEDED(device->CreateVertexShader(tokens.data(), &shader));
}

}  // namespace

ModelCloud::ModelCloud(Database* database) : Model(database) {
    ++cloudCount;
}

ModelCloud::~ModelCloud() {
    if (--cloudCount == 0) {
        cloudIndexBuffer.reset();
        cloudVertexBuffer.reset();
        cloudShader.reset();
        cloudStateBlock.reset();
    }
}

Object* ModelCloud::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelCloud);
}

std::vector<CloudVertex> ModelCloud::buildVertices() {
    std::vector<CloudVertex> vertices;
    vertices.reserve(60);
    for (int s = 0; s < 5; ++s) {
        const float a = -16.0f + 8.0f * static_cast<float>(s);
        const float corners[3][4][3] = {
            {{a, -32, -32}, {a, 32, -32}, {a, 32, 32}, {a, -32, 32}},
            {{-32, a, -32}, {-32, a, 32}, {32, a, 32}, {32, a, -32}},
            {{-32, -32, a}, {32, -32, a}, {32, 32, a}, {-32, 32, a}},
        };
        for (int axis = 0; axis < 3; ++axis) {
            const int q = 3 * s + axis;
            // Texel centres of atlas tile q, so no neighbouring tile bleeds in.
            const float X = static_cast<float>(64 * (q % 4)), Y = static_cast<float>(64 * (q / 4));
            const float uv[4][2] = {{X + 0.5f, Y + 0.5f}, {X + 63.5f, Y + 0.5f}, {X + 63.5f, Y + 63.5f}, {X + 0.5f, Y + 63.5f}};
            for (int k = 0; k < 4; ++k)
                vertices.push_back({corners[axis][k][0], corners[axis][k][1], corners[axis][k][2],
                                    axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f,
                                    uv[k][0] / 256.0f, uv[k][1] / 256.0f});
        }
    }
    return vertices;
}

std::vector<uint16_t> ModelCloud::buildIndices() {
    std::vector<uint16_t> indices;
    indices.reserve(180);
    for (int i = 0; i < 15; ++i) {
        const int j = 14 - i;
        const int forward[6] = {4 * i, 4 * i + 1, 4 * i + 2, 4 * i, 4 * i + 2, 4 * i + 3};
        const int backward[6] = {4 * j + 3, 4 * j + 2, 4 * j, 4 * j + 2, 4 * j + 1, 4 * j};
        for (int n : forward) indices.push_back(static_cast<uint16_t>(n));
        for (int n : backward) indices.push_back(static_cast<uint16_t>(n));
    }
    return indices;
}

bool ModelCloud::load(TiXmlElement* element) {
    if (!cloudIndexBuffer && !fillIndexBuffer(buildIndices(), cloudIndexBuffer)) {
        cloudIndexBuffer.reset();
        return false;
    }
    if (!cloudVertexBuffer) {
        const std::vector<CloudVertex> vertices = buildVertices();
        if (!fillVertexBuffer(vertices.data(), static_cast<UINT>(vertices.size() * sizeof(CloudVertex)), cloudFvf,
                              cloudVertexBuffer)) {
            cloudVertexBuffer.reset();
            return false;
        }
    }
    if (!cloudShader && !loadShader(cloudShader)) return false;

    texture = static_cast<Texture*>(database->find(element->Attribute("texture"), TypeTexture));
    readDriven(database, element, "scale1", scale1);
    readDriven(database, element, "scale2", scale2);
    shaderScale[1] = scale1.at(0.0f);
    shaderScale[2] = scale2.at(0.0f);
    return true;
}

void ModelCloud::render(float time, float delta) {
    Matrix4 world, view, projection;
    device->GetTransform(D3DTS_WORLD, &world);
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    const Matrix4 worldView = multiplyMatrix(world, view);
    const Matrix4 worldViewProjection = multiplyMatrix(worldView, projection);
    // The shader dots a register with each constant row, so both matrices go in transposed: the
    // normal then turns with the world-view matrix itself, whatever its rotation.
    const Matrix4 rowsOfPosition = transposed(worldViewProjection);
    const Matrix4 rowsOfNormal = transposed(worldView);
    device->SetVertexShaderConstantF(0, &rowsOfPosition.m[0][0], 4);
    device->SetVertexShaderConstantF(4, &rowsOfNormal.m[0][0], 4);
    if (scale1.driven()) shaderScale[1] = scale1.at(time);
    if (scale2.driven()) shaderScale[2] = scale2.at(time);
    device->SetVertexShaderConstantF(8, shaderScale, 1);

    if (!cloudStateBlock) {
        recordStateBlock();
        device->EndStateBlock(&cloudStateBlock);
    }
    if (cloudStateBlock) cloudStateBlock->Apply();
    if (texture) texture->select(0, time, delta);
    device->SetIndices(cloudIndexBuffer.get());
    device->SetStreamSource(0, cloudVertexBuffer.get(), 0, sizeof(CloudVertex));
    device->SetVertexShader(cloudShader.get());
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
    device->SetVertexShader(nullptr);
}
