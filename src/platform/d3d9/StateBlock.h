// A recorded set of device states: exactly what was set between BeginStateBlock and
// EndStateBlock, each state once with its last value. Apply sets them again through the device.
// The block refers to the device without owning it, so it must not be applied after the device
// is gone (Apply then fails).
#pragma once

#include "platform/d3d9/LiveObjects.h"
#include "platform/d3d9/d3d9.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace d3d9 {

class StateBlock final : public IDirect3DStateBlock9 {
public:
    explicit StateBlock(std::shared_ptr<IDirect3DDevice9*> device) : owner(std::move(device)) {}
    HRESULT Apply() override;

    void renderState(D3DRENDERSTATETYPE state, DWORD value);
    void stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    void samplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    void transform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX& matrix);
    void light(DWORD index, const D3DLIGHT9& light);
    void lightEnable(DWORD index, BOOL enable);
    void material(const D3DMATERIAL9& m) { recordedMaterial = m; }
    void viewport(const D3DVIEWPORT9& v) { recordedViewport = v; }
    void fvf(DWORD f) { recordedFvf = f; }
    void streamSource(IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
    void indices(IDirect3DIndexBuffer9* buffer);
    void texture(DWORD stage, IDirect3DTexture9* texture);
    void vertexShader(IDirect3DVertexShader9* shader);
    void vertexShaderConstants(UINT start, const float* data, UINT count);

private:
    Counted counted{&LiveObjects::stateBlocks};
    ~StateBlock() override = default;

    template <class K, class V>
    static void put(std::vector<std::pair<K, V>>& list, const K& key, const V& value) {
        for (auto& entry : list)
            if (entry.first == key) {
                entry.second = value;
                return;
            }
        list.emplace_back(key, value);
    }

    struct Stream {
        ComRef<IDirect3DVertexBuffer9> buffer;
        UINT offset = 0, stride = 0;
    };

    std::shared_ptr<IDirect3DDevice9*> owner;  // nulled by the device when it goes away
    std::vector<std::pair<DWORD, DWORD>> renderStates;
    std::vector<std::pair<DWORD, DWORD>> stageStates;    // key: stage << 16 | type
    std::vector<std::pair<DWORD, DWORD>> samplerStates;  // key: sampler << 16 | type
    std::vector<std::pair<DWORD, D3DMATRIX>> transforms;
    std::vector<std::pair<DWORD, D3DLIGHT9>> lights;
    std::vector<std::pair<DWORD, BOOL>> lightEnables;
    std::optional<D3DMATERIAL9> recordedMaterial;
    std::optional<D3DVIEWPORT9> recordedViewport;
    std::optional<DWORD> recordedFvf;
    std::optional<Stream> stream;
    std::optional<ComRef<IDirect3DIndexBuffer9>> recordedIndices;
    std::vector<std::pair<DWORD, ComRef<IDirect3DTexture9>>> textures;
    std::optional<ComRef<IDirect3DVertexShader9>> recordedShader;
    std::vector<std::pair<UINT, std::array<float, 4>>> constants;
};

}  // namespace d3d9
