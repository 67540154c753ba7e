#include "platform/d3dx/d3dx9.h"

#include "support/TestDevice.h"
#include "xwriter/XWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Two subsets side by side in clip space: a red square on the left, a green one on the right,
// both clockwise (front-facing) as seen by the identity camera.
xwriter::Scene twoSquares() {
    xwriter::Mesh mesh;
    mesh.positions = {{-0.9f, 0.5f, 0.5f}, {-0.1f, 0.5f, 0.5f}, {-0.1f, -0.5f, 0.5f}, {-0.9f, -0.5f, 0.5f},
                      {0.1f, 0.5f, 0.5f},  {0.9f, 0.5f, 0.5f},  {0.9f, -0.5f, 0.5f},  {0.1f, -0.5f, 0.5f}};
    mesh.faces = {{4, 5, 6, 7}, {0, 1, 2, 3}};
    mesh.colors = {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1},
                   {0, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 0, 1}};
    mesh.textureCoordinates = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};
    xwriter::Material left, right;
    left.textureFilename = "left.png";
    right.textureFilename = "right.png";
    mesh.materials = {left, right};
    mesh.faceMaterials = {1, 0};
    xwriter::Scene scene;
    scene.meshes.push_back(mesh);
    return scene;
}

void identityCamera(IDirect3DDevice9* device) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &identity);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
}

ComRef<ID3DXMesh> load(TestDevice& device, std::vector<D3DXMATERIAL>& materials, DWORD& count) {
    std::string error;
    std::vector<unsigned char> bytes = xwriter::encode(twoSquares(), error);
    ComRef<ID3DXMesh> mesh;
    EXPECT_EQ(D3DXLoadMeshFromXInMemory(bytes.data(), UINT(bytes.size()), D3DXMESH_SYSTEMMEM, device.get(),
                                        &materials, &count, &mesh),
              D3D_OK);
    return mesh;
}

}  // namespace

TEST(Mesh, LoadedFromMemoryWithMaterialsAndBuffers) {
    TestDevice device;
    std::vector<D3DXMATERIAL> materials;
    DWORD count = 0;
    ComRef<ID3DXMesh> mesh = load(device, materials, count);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(materials[0].textureFilename, "left.png");
    EXPECT_EQ(materials[1].textureFilename, "right.png");
    EXPECT_EQ(mesh->GetNumVertices(), 8u);
    EXPECT_EQ(mesh->GetNumFaces(), 4u);
    EXPECT_EQ(mesh->GetAttributeCount(), 2u);
    EXPECT_EQ(mesh->GetFVF(), D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 24u);

    void* data = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    const float* first = static_cast<const float*>(data);
    EXPECT_EQ(first[0], -0.9f);
    EXPECT_EQ(first[1], 0.5f);
    DWORD color;
    std::memcpy(&color, static_cast<const unsigned char*>(data) + 12, 4);
    EXPECT_EQ(color, 0xffff0000u);
    const float* uv = reinterpret_cast<const float*>(static_cast<const unsigned char*>(data) + 24 + 16);
    EXPECT_EQ(uv[0], 1.0f);  // vertex 1's coordinates
    mesh->UnlockVertexBuffer();
    ASSERT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    const WORD* indices = static_cast<const WORD*>(data);
    const WORD expected[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};  // subset 0 first
    EXPECT_EQ(std::memcmp(indices, expected, sizeof expected), 0);
    mesh->UnlockIndexBuffer();
}

TEST(Mesh, DrawSubsetDrawsOnlyThatSubsetAndFrontFacesShow) {
    TestDevice device(64, 64);
    std::vector<D3DXMATERIAL> materials;
    DWORD count = 0;
    ComRef<ID3DXMesh> mesh = load(device, materials, count);
    ASSERT_TRUE(mesh);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    device->BeginScene();
    identityCamera(device.get());
    EXPECT_EQ(mesh->DrawSubset(1), D3D_OK);
    device->EndScene();
    EXPECT_EQ(device.pixel(48, 32) & 0xffffff, 0x00ff00u);  // the right square, subset 1
    EXPECT_EQ(device.pixel(16, 32) & 0xffffff, 0u);         // subset 0 not drawn
    device->BeginScene();
    EXPECT_EQ(mesh->DrawSubset(0), D3D_OK);
    device->EndScene();
    EXPECT_EQ(device.pixel(16, 32) & 0xffffff, 0xff0000u);
    EXPECT_EQ(device.pixel(32, 32) & 0xffffff, 0u);  // the gap between them
    EXPECT_EQ(mesh->DrawSubset(2), D3DERR_INVALIDCALL);
}

TEST(Mesh, BadInputFailsWithoutAMesh) {
    TestDevice device;
    std::vector<D3DXMATERIAL> materials;
    DWORD count = 7;
    ComRef<ID3DXMesh> mesh;
    EXPECT_TRUE(FAILED(D3DXLoadMeshFromXResource(nullptr, "no such mesh.x", "RCDATA", D3DXMESH_SYSTEMMEM, device.get(),
                                                 &materials, &count, &mesh)));
    EXPECT_TRUE(FAILED(D3DXLoadMeshFromXResource(nullptr, "Demo.xml", "RCDATA", D3DXMESH_SYSTEMMEM, device.get(),
                                                 &materials, &count, &mesh)));
    EXPECT_FALSE(mesh);
    EXPECT_EQ(count, 7u);
    std::string error;
    std::vector<unsigned char> bytes = xwriter::encode(twoSquares(), error);
    EXPECT_TRUE(FAILED(D3DXLoadMeshFromXInMemory(bytes.data(), UINT(bytes.size() - 3), 0, device.get(), &materials,
                                                 &count, &mesh)));
    EXPECT_FALSE(mesh);
}

TEST(Mesh, TeapotOnTheDevice) {
    TestDevice device(64, 64);
    ComRef<ID3DXMesh> teapot;
    ASSERT_EQ(D3DXCreateTeapot(device.get(), &teapot), D3D_OK);
    EXPECT_EQ(teapot->GetNumVertices(), 1178u);
    EXPECT_EQ(teapot->GetNumFaces(), 2256u);
    EXPECT_EQ(teapot->GetFVF(), D3DFVF_XYZ | D3DFVF_NORMAL);
    EXPECT_EQ(teapot->GetAttributeCount(), 1u);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    device->BeginScene();
    identityCamera(device.get());
    D3DXMATRIX scale;
    D3DXMatrixIdentity(&scale);
    scale(0, 0) = scale(1, 1) = scale(2, 2) = 0.25f;
    scale(3, 2) = 0.5f;  // inside the depth range
    device->SetTransform(D3DTS_WORLD, &scale);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xffffffff);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    EXPECT_EQ(teapot->DrawSubset(0), D3D_OK);
    device->EndScene();
    EXPECT_EQ(device.pixel(32, 32) & 0xffffff, 0xffffffu);  // the body, seen from the front
    EXPECT_EQ(device.pixel(2, 2) & 0xffffff, 0u);
    EXPECT_EQ(device.pixel(32, 8) & 0xffffff, 0u);          // above the lid (0.39 of the half-height)
}
