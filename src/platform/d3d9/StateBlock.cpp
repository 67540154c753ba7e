#include "platform/d3d9/StateBlock.h"

namespace d3d9 {

HRESULT StateBlock::Apply() {
    IDirect3DDevice9* d = owner ? *owner : nullptr;
    if (!d) return D3DERR_INVALIDCALL;
    for (auto& [state, value] : renderStates) d->SetRenderState(D3DRENDERSTATETYPE(state), value);
    for (auto& [key, value] : stageStates) d->SetTextureStageState(key >> 16, D3DTEXTURESTAGESTATETYPE(key & 0xffff), value);
    for (auto& [key, value] : samplerStates) d->SetSamplerState(key >> 16, D3DSAMPLERSTATETYPE(key & 0xffff), value);
    for (auto& [state, matrix] : transforms) d->SetTransform(D3DTRANSFORMSTATETYPE(state), &matrix);
    for (auto& [index, light] : lights) d->SetLight(index, &light);
    for (auto& [index, enable] : lightEnables) d->LightEnable(index, enable);
    if (recordedMaterial) d->SetMaterial(&*recordedMaterial);
    if (recordedViewport) d->SetViewport(&*recordedViewport);
    if (recordedFvf) d->SetFVF(*recordedFvf);
    if (stream) d->SetStreamSource(0, stream->buffer.get(), stream->offset, stream->stride);
    if (recordedIndices) d->SetIndices(recordedIndices->get());
    for (auto& [stage, texture] : textures) d->SetTexture(stage, texture.get());
    if (recordedShader) d->SetVertexShader(recordedShader->get());
    for (auto& [index, value] : constants) d->SetVertexShaderConstantF(index, value.data(), 1);
    return D3D_OK;
}

void StateBlock::renderState(D3DRENDERSTATETYPE state, DWORD value) { put(renderStates, DWORD(state), value); }

void StateBlock::stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    put(stageStates, stage << 16 | DWORD(type), value);
}

void StateBlock::samplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    put(samplerStates, sampler << 16 | DWORD(type), value);
}

void StateBlock::transform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX& matrix) {
    put(transforms, DWORD(state), matrix);
}

void StateBlock::light(DWORD index, const D3DLIGHT9& l) { put(lights, index, l); }

void StateBlock::lightEnable(DWORD index, BOOL enable) { put(lightEnables, index, enable); }

void StateBlock::streamSource(IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    stream = Stream{ComRef<IDirect3DVertexBuffer9>::share(buffer), offset, stride};
}

void StateBlock::indices(IDirect3DIndexBuffer9* buffer) {
    recordedIndices = ComRef<IDirect3DIndexBuffer9>::share(buffer);
}

void StateBlock::texture(DWORD stage, IDirect3DTexture9* t) {
    put(textures, stage, ComRef<IDirect3DTexture9>::share(t));
}

void StateBlock::vertexShader(IDirect3DVertexShader9* shader) {
    recordedShader = ComRef<IDirect3DVertexShader9>::share(shader);
}

void StateBlock::vertexShaderConstants(UINT start, const float* data, UINT count) {
    for (UINT i = 0; i < count; ++i)
        put(constants, start + i, std::array<float, 4>{data[i * 4], data[i * 4 + 1], data[i * 4 + 2], data[i * 4 + 3]});
}

}  // namespace d3d9
