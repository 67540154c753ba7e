// The extension library's mesh: MeshData uploaded into managed vertex and index buffers of the
// device (16-bit indices). Each subset is one contiguous run of faces, so DrawSubset is one
// indexed draw. The mesh keeps a reference to its device.
#pragma once

#include "platform/d3dx/MeshData.h"

namespace d3dx {

class Mesh final : public ID3DXMesh {
public:
    // Fails with D3DERR_INVALIDCALL for data that 16-bit indices cannot address or that has no
    // faces, or with the device's error when a buffer cannot be created or filled.
    static HRESULT create(IDirect3DDevice9* device, const MeshData& data, ComRef<ID3DXMesh>* mesh);

    HRESULT DrawSubset(DWORD attributeId) override;
    DWORD GetNumFaces() override { return faceCount; }
    DWORD GetNumVertices() override { return vertexCount; }
    DWORD GetFVF() override { return fvf; }
    DWORD GetNumBytesPerVertex() override { return stride; }
    DWORD GetAttributeCount() override { return DWORD(subsets.size()); }
    HRESULT LockVertexBuffer(DWORD flags, void** data) override;
    HRESULT UnlockVertexBuffer() override;
    HRESULT LockIndexBuffer(DWORD flags, void** data) override;
    HRESULT UnlockIndexBuffer() override;

private:
    Mesh() = default;
    ~Mesh() override = default;

    ComRef<IDirect3DDevice9> device;
    ComRef<IDirect3DVertexBuffer9> vertexBuffer;  // stride bytes per vertex, in fvf layout
    ComRef<IDirect3DIndexBuffer9> indexBuffer;    // 16-bit, 3 per face, sorted by subset
    std::vector<MeshSubset> subsets;
    DWORD fvf = 0;
    DWORD stride = 0;         // bytes
    DWORD vertexCount = 0;
    DWORD faceCount = 0;
};

}  // namespace d3dx
