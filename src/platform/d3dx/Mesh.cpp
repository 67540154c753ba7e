#include "platform/d3dx/Mesh.h"

#include <cstring>
#include <limits>

namespace d3dx {

HRESULT Mesh::create(IDirect3DDevice9* device, const MeshData& data, ComRef<ID3DXMesh>* out) {
    if (!device || !out) return D3DERR_INVALIDCALL;
    out->reset();
    std::size_t vertices = data.vertexCount();
    std::size_t faces = data.faceCount();
    if (vertices == 0 || faces == 0 || vertices > std::numeric_limits<WORD>::max() + std::size_t(1))
        return D3DERR_INVALIDCALL;

    ComRef<Mesh> mesh = ComRef<Mesh>::adopt(new Mesh());
    mesh->device = ComRef<IDirect3DDevice9>::share(device);
    mesh->fvf = data.fvf();
    mesh->stride = data.stride();
    mesh->vertexCount = DWORD(vertices);
    mesh->faceCount = DWORD(faces);
    mesh->subsets = data.subsets;

    HRESULT hr = device->CreateVertexBuffer(UINT(vertices * mesh->stride), D3DUSAGE_WRITEONLY, mesh->fvf,
                                            D3DPOOL_MANAGED, &mesh->vertexBuffer);
    if (FAILED(hr)) return hr;
    void* locked = nullptr;
    hr = mesh->vertexBuffer->Lock(0, 0, &locked, 0);
    if (FAILED(hr)) return hr;
    auto* bytes = static_cast<unsigned char*>(locked);
    for (std::size_t v = 0; v < vertices; ++v) {  // XYZ, NORMAL, DIFFUSE, TEX1: the FVF order
        std::memcpy(bytes, &data.positions[v * 3], 12);
        bytes += 12;
        if (data.hasNormals) {
            std::memcpy(bytes, &data.normals[v * 3], 12);
            bytes += 12;
        }
        if (data.hasColors) {
            std::memcpy(bytes, &data.colors[v], 4);
            bytes += 4;
        }
        if (data.hasTextureCoordinates) {
            std::memcpy(bytes, &data.textureCoordinates[v * 2], 8);
            bytes += 8;
        }
    }
    hr = mesh->vertexBuffer->Unlock();
    if (FAILED(hr)) return hr;

    hr = device->CreateIndexBuffer(UINT(faces * 3 * sizeof(WORD)), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                   D3DPOOL_MANAGED, &mesh->indexBuffer);
    if (FAILED(hr)) return hr;
    hr = mesh->indexBuffer->Lock(0, 0, &locked, 0);
    if (FAILED(hr)) return hr;
    auto* indices = static_cast<WORD*>(locked);
    for (std::size_t i = 0; i < data.indices.size(); ++i) indices[i] = WORD(data.indices[i]);
    hr = mesh->indexBuffer->Unlock();
    if (FAILED(hr)) return hr;

    *out = ComRef<ID3DXMesh>::share(mesh.get());
    return D3D_OK;
}

HRESULT Mesh::DrawSubset(DWORD attributeId) {
    if (attributeId >= subsets.size()) return D3DERR_INVALIDCALL;
    const MeshSubset& subset = subsets[attributeId];
    if (subset.faceCount == 0) return D3D_OK;
    device->SetFVF(fvf);
    device->SetStreamSource(0, vertexBuffer.get(), 0, stride);
    device->SetIndices(indexBuffer.get());
    return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, subset.vertexStart, subset.vertexCount,
                                        subset.faceStart * 3, subset.faceCount);
}

HRESULT Mesh::LockVertexBuffer(DWORD flags, void** data) { return vertexBuffer->Lock(0, 0, data, flags); }
HRESULT Mesh::UnlockVertexBuffer() { return vertexBuffer->Unlock(); }
HRESULT Mesh::LockIndexBuffer(DWORD flags, void** data) { return indexBuffer->Lock(0, 0, data, flags); }
HRESULT Mesh::UnlockIndexBuffer() { return indexBuffer->Unlock(); }

}  // namespace d3dx
