#include "platform/d3dx/d3dx9.h"

#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ourData(const char* name) { return testing_paths::sourceDir() + "/tests/data/d3dx/" + name; }

DWORD texel(IDirect3DTexture9* texture, UINT level, int x, int y) {
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) return 0xdeadbeef;
    DWORD value = reinterpret_cast<const DWORD*>(static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch)[x];
    texture->UnlockRect(level);
    return value;
}

}  // namespace

TEST(TextureFromPicture, OddSizedPictureGetsTheFullMipChain) {
    TestDevice device;
    std::vector<unsigned char> png = readFile(ourData("odd13x7.png"));
    ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device.get(), png.data(), UINT(png.size()), &texture), D3D_OK);
    ASSERT_TRUE(texture);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    const UINT sizes[4][2] = {{13, 7}, {6, 3}, {3, 1}, {1, 1}};
    for (UINT level = 0; level < 4; ++level) {
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, sizes[level][0]);
        EXPECT_EQ(desc.Height, sizes[level][1]);
        EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        // A single-coloured picture stays that colour on every level.
        EXPECT_EQ(texel(texture.get(), level, int(sizes[level][0]) - 1, int(sizes[level][1]) - 1) & 0xffffff, 0x204080u);
    }
}

TEST(TextureFromPicture, PicturesWithAlphaKeepIt) {
    TestDevice device;
    std::vector<unsigned char> png = readFile(ourData("alpha8x4.png"));
    ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device.get(), png.data(), UINT(png.size()), &texture), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 4u);  // 8x4, 4x2, 2x1, 1x1
    DWORD value = texel(texture.get(), 0, 3, 2);
    EXPECT_NEAR(int(value >> 24), 0x80, 1);
    EXPECT_EQ(value & 0xffffff, 0xff0000u);
    EXPECT_NEAR(int(texel(texture.get(), 3, 0, 0) >> 24), 0x80, 1);
}

TEST(TextureFromPicture, ResourcesByNameAndNumber) {
    TestDevice device;
    ComRef<IDirect3DTexture9> knob;
    ASSERT_EQ(D3DXCreateTextureFromResourceA(device.get(), nullptr, 126, &knob), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(knob->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);  // the shaded sphere has alpha
    EXPECT_EQ(knob->GetLevelCount(), 5u);
    ComRef<IDirect3DTexture9> black;
    ASSERT_EQ(D3DXCreateTextureFromResourceA(device.get(), nullptr, "BLACK.JPG", &black), D3D_OK);
    ASSERT_EQ(black->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(texel(black.get(), 0, 0, 0) & 0xffffff, 0u);
}

TEST(TextureFromPicture, MissingAndBrokenPicturesFailAndLeaveNoTexture) {
    TestDevice device;
    ComRef<IDirect3DTexture9> texture;
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromResourceA(device.get(), nullptr, "no such picture.png", &texture)));
    EXPECT_FALSE(texture);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromResourceA(device.get(), nullptr, 999, &texture)));
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromResourceA(device.get(), nullptr, "Demo.xml", &texture)));
    EXPECT_FALSE(texture);
    std::vector<unsigned char> cut = readFile(ourData("baseline.jpg"));
    cut.resize(cut.size() / 2);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileInMemory(device.get(), cut.data(), UINT(cut.size()), &texture)));
    EXPECT_FALSE(texture);
}
