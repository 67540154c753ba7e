#include "models/ModelArrow.h"

#include "app/Device.h"
#include "database/Database.h"
#include "database/XmlNumbers.h"
#include "paths/Matrix4.h"
#include "paths/Path.h"
#include "paths/PathState.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdio>

static_assert(sizeof(ModelArrow::Vertex) == 28);
static_assert(ModelArrow::vertexCount == 123 && ModelArrow::triangleCount == 119 && ModelArrow::lineCount == 122);

namespace {

constexpr DWORD arrowFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

void recordStateBlock(D3DCOLOR color) {
    const float r = static_cast<float>((color >> 16) & 0xff);
    const float g = static_cast<float>((color >> 8) & 0xff);
    const float b = static_cast<float>(color & 0xff);
    D3DMATERIAL9 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = {r / 128.0f, g / 128.0f, b / 128.0f, 1.0f};
    material.Specular = {1.0f - r / 256.0f, 1.0f - g / 256.0f, 1.0f - b / 256.0f, 1.0f};
    material.Power = 20.0f;

    device->BeginStateBlock();
    device->SetFVF(arrowFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetMaterial(&material);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

}  // namespace

Object* ModelArrow::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelArrow);
}

bool ModelArrow::load(TiXmlElement* element) {
    path = static_cast<Path*>(database->find(element->Attribute("path"), TypePath));
    if (path == nullptr) return false;
    unsigned int parsed = 0;
    if (const char* text = element->Attribute("color")) std::sscanf(text, "%x", &parsed);
    color = parsed;
    readDriven(database, element, "scale1", scale1);
    readDriven(database, element, "scale2", scale2);

    // The head triangle, then two triangles per pair of pairs from the newest to the oldest.
    size_t t = 0;
    for (WORD index : {120, 121, 122}) triangleIndices[t++] = index;
    for (int a = 121; a >= 5; a -= 2) {
        for (int offset : {5, 4, 2, 5, 2, 3}) triangleIndices[t++] = static_cast<WORD>(a - offset);
    }
    // The outline: down the even side from the tip, across the head, up the odd side.
    size_t l = 0;
    for (int v = 122; v >= 2; v -= 2) {
        lineIndices[l++] = static_cast<WORD>(v);
        lineIndices[l++] = static_cast<WORD>(v - 2);
    }
    lineIndices[l++] = 122;
    lineIndices[l++] = 121;
    for (int v = 121; v >= 3; v -= 2) {
        lineIndices[l++] = static_cast<WORD>(v);
        lineIndices[l++] = static_cast<WORD>(v - 2);
    }
    return true;
}

bool ModelArrow::buildTrail(float time) {
    const float scale1 = this->scale1.at(time), scale2 = this->scale2.at(time);
    // L runs from -1 by a float step; the head is sampled at the time itself, where the summed
    // steps would overshoot it slightly and miss the last key of the path.
    const float step = 1.0f / (sampleCount - 1);
    float sum = -1.0f;
    PathState state;
    Vector3 side, normal;
    D3DCOLOR shade = 0;
    for (int k = 0; k < sampleCount; ++k, sum += step) {
        const float L = k == sampleCount - 1 ? 0.0f : sum;
        if (!path->evaluate(state, time + L * scale1)) return false;
        const Matrix4 r = quaternionToMatrix(state.orientation);
        const float half = scale2 / 2.0f;
        side = {half * r(0, 0), half * r(0, 1), half * r(0, 2)};
        normal = {-r(1, 0), -r(1, 1), -r(1, 2)};
        const DWORD alpha = static_cast<DWORD>(static_cast<int>((L * L * L + 1.0f) * 255.0f));
        shade = color | (alpha << 24);
        const Vector3& p = state.position;
        vertices[2 * k] = {p.x + side.x, p.y + side.y, p.z + side.z, normal.x, normal.y, normal.z, shade};
        vertices[2 * k + 1] = {p.x - side.x, p.y - side.y, p.z - side.z, normal.x, normal.y, normal.z, shade};
    }

    const Vector3& p = state.position;
    vertices[120] = {p.x + 2 * side.x, p.y + 2 * side.y, p.z + 2 * side.z, normal.x, normal.y, normal.z, shade};
    vertices[121] = {p.x - 2 * side.x, p.y - 2 * side.y, p.z - 2 * side.z, normal.x, normal.y, normal.z, shade};
    const float dx = vertices[119].x - vertices[117].x;
    const float dy = vertices[119].y - vertices[117].y;
    const float dz = vertices[119].z - vertices[117].z;
    const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    // A path standing still has no direction: the tip stays at the head instead of becoming NaN.
    const float toTip = length > 0.0f ? scale2 / length : 0.0f;
    vertices[122] = {p.x + toTip * dx, p.y + toTip * dy, p.z + toTip * dz, normal.x, normal.y, normal.z, shade};
    return true;
}

void ModelArrow::render(float time, float delta) {
    if (!stateBlock) {
        recordStateBlock(color);
        device->EndStateBlock(&stateBlock);
    }
    if (stateBlock) stateBlock->Apply();
    if (!buildTrail(time)) return;

    device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, vertexCount, triangleCount, triangleIndices.data(),
                                   D3DFMT_INDEX16, vertices.data(), sizeof(Vertex));
    // The back side, lit from its own side.
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    for (Vertex& v : vertices) {
        v.nx = -v.nx;
        v.ny = -v.ny;
        v.nz = -v.nz;
    }
    device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, vertexCount, triangleCount, triangleIndices.data(),
                                   D3DFMT_INDEX16, vertices.data(), sizeof(Vertex));
    // The outline: black, fading like the ribbon.
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    for (Vertex& v : vertices) v.color &= 0xFF000000u;
    device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, vertexCount, lineCount, lineIndices.data(), D3DFMT_INDEX16,
                                   vertices.data(), sizeof(Vertex));
}
