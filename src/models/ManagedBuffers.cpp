#include "models/ManagedBuffers.h"

#include "app/Device.h"

#include <cstring>

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
