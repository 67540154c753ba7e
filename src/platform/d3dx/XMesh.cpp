// Meshes from X files: the reader builds the mesh data, Mesh puts it on the device.
#include "platform/d3dx/Mesh.h"
#include "platform/d3dx/XFileReader.h"
#include "platform/win/Resources.h"

HRESULT D3DXLoadMeshFromXInMemory(const void* data, UINT size, DWORD options, IDirect3DDevice9* device,
                                  std::vector<D3DXMATERIAL>* materials, DWORD* materialCount,
                                  ComRef<ID3DXMesh>* mesh) {
    if (!data || !device || !mesh) return D3DERR_INVALIDCALL;
    mesh->reset();
    d3dx::MeshData meshData;
    std::string error;
    if (!d3dx::XFileReader::read(data, size, meshData, error)) return E_FAIL;
    // Buffers are always managed: the device keeps its own copy, whatever pool was asked for.
    HRESULT hr = d3dx::Mesh::create(device, meshData, mesh);
    if (FAILED(hr)) return hr;
    if (materialCount) *materialCount = DWORD(meshData.materials.size());
    if (materials) *materials = std::move(meshData.materials);
    return D3D_OK;
}

bool D3DXCheckMeshInMemory(const void* data, UINT size, std::vector<D3DXMATERIAL>* materials, std::string* why) {
    d3dx::MeshData meshData;
    if (!data || !d3dx::XFileReader::read(data, size, meshData, *why)) return false;
    if (materials) *materials = std::move(meshData.materials);
    return true;
}

HRESULT D3DXLoadMeshFromXResource(HMODULE module, const char* name, const char* type, DWORD options,
                                  IDirect3DDevice9* device, std::vector<D3DXMATERIAL>* materials,
                                  DWORD* materialCount, ComRef<ID3DXMesh>* mesh) {
    win::ResourceBytes bytes = win::findResource(name);
    if (!bytes) return D3DERR_NOTAVAILABLE;
    return D3DXLoadMeshFromXInMemory(bytes.data, UINT(bytes.size), options, device, materials, materialCount, mesh);
}
