#include "xwriter/ObjImport.h"

#include "platform/d3dx/XFileReader.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class ObjImport : public testing::Test {
protected:
    void SetUp() override { folder = testing_paths::makeTempDir(); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void write(const char* name, const char* text) { std::ofstream(folder + "/" + name) << text; }

    std::string folder;
};

const char boxObj[] = R"(# a quad in the z = 2 plane, a triangle, two materials
mtllib box.mtl
v 0 0 2
v 1 0 2
v 1 1 2
v 0 1 2
vt 0 0
vt 1 0
vt 1 1
vt 0 0.25
vn 0 0 1
usemtl wood
f 1/1/1 2/2/1 3/3/1 4/4/1
usemtl glass
f 1/1/1 3/3/1 -1/4/1
)";

const char boxMtl[] = R"(newmtl glass
Kd 0 0 1
d 0.5
Ns 30
newmtl wood
Kd 0.5 0.25 0.125
map_Kd textures/wood.jpg
)";

}  // namespace

TEST_F(ObjImport, TurnsObjIntoDirect3DLayoutAndReadsBack) {
    write("box.obj", boxObj);
    write("box.mtl", boxMtl);
    xwriter::Scene scene;
    std::string error;
    ASSERT_TRUE(xwriter::importObj(folder + "/box.obj", 2.0f, scene, error)) << error;
    ASSERT_EQ(scene.meshes.size(), 1u);
    const xwriter::Mesh& mesh = scene.meshes[0];
    EXPECT_EQ(mesh.name, "box");
    ASSERT_EQ(mesh.positions.size(), 4u);  // corner 4 of the triangle reuses position 4 with coordinate 4
    EXPECT_EQ(mesh.positions[2], (std::array<float, 3>{2, 2, -4}));  // scaled, z negated
    EXPECT_EQ(mesh.normals[0], (std::array<float, 3>{0, 0, -1}));
    EXPECT_EQ(mesh.textureCoordinates[3], (std::array<float, 2>{0, 0.75f}));  // v flipped
    EXPECT_EQ(mesh.faces[0], (std::vector<std::uint32_t>{3, 2, 1, 0}));      // winding reversed
    EXPECT_EQ(mesh.faceMaterials, (std::vector<std::uint32_t>{0, 1}));
    ASSERT_EQ(mesh.materials.size(), 2u);  // in order of first use, not of the library
    EXPECT_EQ(mesh.materials[0].textureFilename, "wood.jpg");
    EXPECT_EQ(mesh.materials[0].diffuse[2], 0.125f);
    EXPECT_EQ(mesh.materials[1].diffuse[3], 0.5f);
    EXPECT_EQ(mesh.materials[1].power, 30.0f);

    std::vector<unsigned char> bytes = xwriter::encode(scene, error);
    d3dx::MeshData read;
    ASSERT_TRUE(d3dx::XFileReader::read(bytes.data(), bytes.size(), read, error)) << error;
    EXPECT_EQ(read.faceCount(), 3u);
    EXPECT_EQ(read.materials[0].textureFilename, "wood.jpg");
    EXPECT_EQ(read.indices, (std::vector<std::uint32_t>{3, 2, 1, 3, 1, 0, 3, 2, 0}));
}

TEST_F(ObjImport, BrokenReferencesAndMissingFilesFail) {
    xwriter::Scene scene;
    std::string error;
    EXPECT_FALSE(xwriter::importObj(folder + "/absent.obj", 1.0f, scene, error));
    write("bad.obj", "v 0 0 0\nv 1 0 0\nf 1 2 7\n");
    EXPECT_FALSE(xwriter::importObj(folder + "/bad.obj", 1.0f, scene, error));
    EXPECT_NE(error.find("bad.obj:3"), std::string::npos) << error;
    write("nolib.obj", "mtllib missing.mtl\nv 0 0 0\n");
    EXPECT_FALSE(xwriter::importObj(folder + "/nolib.obj", 1.0f, scene, error));
    // Faces without any usemtl get one white material.
    write("plain.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    ASSERT_TRUE(xwriter::importObj(folder + "/plain.obj", 1.0f, scene, error)) << error;
    ASSERT_EQ(scene.meshes.back().materials.size(), 1u);
    EXPECT_EQ(scene.meshes.back().materials[0].diffuse[0], 1.0f);
    EXPECT_TRUE(scene.meshes.back().normals.empty());
    EXPECT_TRUE(scene.meshes.back().textureCoordinates.empty());
}
