#include "platform/d3dx/XFileReader.h"

#include "support/TestPaths.h"
#include "xwriter/XCompress.h"
#include "xwriter/XWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using d3dx::MeshData;
using d3dx::XFileReader;

namespace {

std::vector<unsigned char> encode(const xwriter::Scene& scene) {
    std::string error;
    std::vector<unsigned char> bytes = xwriter::encode(scene, error);
    EXPECT_FALSE(bytes.empty()) << error;
    return bytes;
}

bool read(const std::vector<unsigned char>& bytes, MeshData& mesh, std::string& error) {
    return XFileReader::read(bytes.data(), bytes.size(), mesh, error);
}

bool readText(const std::string& text, MeshData& mesh, std::string& error) {
    return XFileReader::read(text.data(), text.size(), mesh, error);
}

// A quad and a triangle with every per-vertex stream; values chosen so that any rounding shows.
xwriter::Mesh sampleMesh() {
    xwriter::Mesh mesh;
    mesh.name = "Sample";
    mesh.positions = {{-1.1f, 0.3f, 0.7f}, {1.3f, 0.1f, -0.7f}, {1.7f, -2.9f, 0.1f}, {-1.9f, -2.3f, 0.01f}, {5, 6, 7}};
    mesh.faces = {{0, 1, 2, 3}, {4, 0, 2}};
    mesh.normals = {{0, 0, -1}, {0.6f, 0, -0.8f}, {0.1f, 0.2f, 0.3f}, {-1, 0, 0}, {0.57735f, 0.57735f, 0.57735f}};
    mesh.textureCoordinates = {{0.1f, 0.2f}, {0.9f, 0.03f}, {0.3333f, 0.777f}, {0.0001f, 1.0f}, {0.45f, 0.05f}};
    mesh.colors = {{1, 0, 0, 1}, {0, 1, 0, 0.5f}, {0, 0, 1, 1}, {1, 1, 1, 0}, {0.2f, 0.4f, 0.6f, 0.8f}};
    xwriter::Material red;
    red.diffuse = {0.8f, 0.1f, 0.1f, 1.0f};
    red.power = 12.5f;
    red.specular = {0.3f, 0.3f, 0.3f};
    red.emissive = {0.05f, 0, 0};
    red.textureFilename = "mainscreen.jpg";
    xwriter::Material plain;
    plain.diffuse = {0.2f, 0.4f, 0.6f, 0.5f};
    mesh.materials = {plain, red};
    mesh.faceMaterials = {1, 0};
    return mesh;
}

std::array<float, 3> at3(const std::vector<float>& v, std::size_t i) { return {v[i * 3], v[i * 3 + 1], v[i * 3 + 2]}; }

std::vector<std::uint32_t> subsetIndices(const MeshData& mesh, std::size_t subset) {
    auto begin = mesh.indices.begin() + mesh.subsets[subset].faceStart * 3;
    return {begin, begin + mesh.subsets[subset].faceCount * 3};
}

// p * M for row vectors, with the same single-precision sums as any loader would do.
std::array<float, 3> transform(const std::array<float, 3>& p, const xwriter::Matrix& m) {
    std::array<float, 3> r;
    for (int j = 0; j < 3; ++j) r[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
    return r;
}

const std::string textHeader = "xof 0303txt 0032\n";

}  // namespace

TEST(XFileReader, WrittenMeshComesBackExactly) {
    xwriter::Scene scene;
    scene.meshes.push_back(sampleMesh());
    MeshData mesh;
    std::string error;
    ASSERT_TRUE(read(encode(scene), mesh, error)) << error;
    const xwriter::Mesh source = sampleMesh();

    ASSERT_EQ(mesh.vertexCount(), 5u);
    EXPECT_TRUE(mesh.hasNormals);
    EXPECT_TRUE(mesh.hasTextureCoordinates);
    EXPECT_TRUE(mesh.hasColors);
    EXPECT_EQ(mesh.fvf(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    EXPECT_EQ(mesh.stride(), 36u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(at3(mesh.positions, i), source.positions[i]) << "vertex " << i;  // bit for bit
        EXPECT_EQ(at3(mesh.normals, i), source.normals[i]) << "vertex " << i;
        EXPECT_EQ(mesh.textureCoordinates[i * 2], source.textureCoordinates[i][0]);
        EXPECT_EQ(mesh.textureCoordinates[i * 2 + 1], source.textureCoordinates[i][1]);
    }
    EXPECT_EQ(mesh.colors[0], 0xffff0000u);
    EXPECT_EQ(mesh.colors[1], 0x8000ff00u);
    EXPECT_EQ(mesh.colors[3], 0x00ffffffu);
    EXPECT_EQ(mesh.colors[4], 0xcc336699u);

    // Subsets in material order; the quad is a fan from its first corner, winding kept.
    ASSERT_EQ(mesh.subsets.size(), 2u);
    ASSERT_EQ(mesh.materials.size(), 2u);
    EXPECT_EQ(subsetIndices(mesh, 0), (std::vector<std::uint32_t>{4, 0, 2}));
    EXPECT_EQ(subsetIndices(mesh, 1), (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(mesh.subsets[0].vertexStart, 0u);
    EXPECT_EQ(mesh.subsets[0].vertexCount, 5u);
    EXPECT_EQ(mesh.subsets[1].vertexCount, 4u);

    const D3DMATERIAL9& plain = mesh.materials[0].MatD3D;
    EXPECT_EQ(plain.Diffuse.g, 0.4f);
    EXPECT_EQ(plain.Diffuse.a, 0.5f);
    EXPECT_EQ(mesh.materials[0].textureFilename, "");
    const D3DMATERIAL9& red = mesh.materials[1].MatD3D;
    EXPECT_EQ(red.Diffuse.r, 0.8f);
    EXPECT_EQ(red.Diffuse.g, 0.1f);
    EXPECT_EQ(red.Power, 12.5f);
    EXPECT_EQ(red.Specular.b, 0.3f);
    EXPECT_EQ(red.Emissive.r, 0.05f);
    EXPECT_EQ(mesh.materials[1].textureFilename, "mainscreen.jpg");
}

TEST(XFileReader, FramesAreBakedIntoVerticesAndNormals) {
    xwriter::Mesh a;
    a.positions = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9.5f}};
    a.faces = {{0, 1, 2}};
    a.normals = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    xwriter::Mesh b = a;
    b.positions = {{0.5f, 0, 0}, {0, 0.25f, 0}, {0, 0, 2}};

    xwriter::Frame outer;
    outer.name = "Outer";
    outer.transform = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};  // translate (10, 20, 30)
    outer.meshes.push_back(a);
    xwriter::Frame inner;
    inner.name = "Inner";
    inner.transform = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};  // 90 degrees about y: x goes to -z
    inner.meshes.push_back(b);
    outer.children.push_back(inner);
    xwriter::Scene scene;
    scene.frames.push_back(outer);

    MeshData mesh;
    std::string error;
    ASSERT_TRUE(read(encode(scene), mesh, error)) << error;
    ASSERT_EQ(mesh.vertexCount(), 6u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(at3(mesh.positions, i), transform(a.positions[i], outer.transform));
    // The child's own rotation applies first, then the parent's translation.
    EXPECT_EQ(at3(mesh.positions, 3), (std::array<float, 3>{10, 20, 29.5f}));
    EXPECT_EQ(at3(mesh.positions, 4), (std::array<float, 3>{10, 20.25f, 30}));
    EXPECT_EQ(at3(mesh.positions, 5), (std::array<float, 3>{12, 20, 30}));
    // Translation leaves normals alone; the rotation turns them.
    EXPECT_EQ(at3(mesh.normals, 0), (std::array<float, 3>{1, 0, 0}));
    std::array<float, 3> turned = at3(mesh.normals, 3);
    EXPECT_NEAR(turned[0], 0, 1e-6);
    EXPECT_NEAR(turned[2], -1, 1e-6);
    turned = at3(mesh.normals, 5);
    EXPECT_NEAR(turned[0], 1, 1e-6);
    EXPECT_NEAR(turned[2], 0, 1e-6);
    // The second mesh's faces refer to its own vertices.
    EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(XFileReader, SeveralMeshesMergeIntoSubsetsInMaterialOrder) {
    xwriter::Mesh first = sampleMesh();  // materials 0, 1
    xwriter::Mesh second;
    second.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    second.faces = {{0, 2, 1}};
    xwriter::Material blue;
    blue.diffuse = {0, 0, 1, 1};
    blue.textureFilename = "screen1.jpg";
    second.materials = {blue};
    xwriter::Frame frame;
    frame.meshes.push_back(first);
    xwriter::Scene scene;
    scene.frames.push_back(frame);
    scene.meshes.push_back(second);

    MeshData mesh;
    std::string error;
    ASSERT_TRUE(read(encode(scene), mesh, error)) << error;
    ASSERT_EQ(mesh.subsets.size(), 3u);
    ASSERT_EQ(mesh.materials.size(), 3u);
    EXPECT_EQ(mesh.materials[1].textureFilename, "mainscreen.jpg");
    EXPECT_EQ(mesh.materials[2].textureFilename, "screen1.jpg");
    EXPECT_EQ(subsetIndices(mesh, 2), (std::vector<std::uint32_t>{5, 7, 6}));
    EXPECT_EQ(mesh.subsets[2].vertexStart, 5u);
    EXPECT_EQ(mesh.subsets[2].vertexCount, 3u);
    // The second mesh has no normals, coordinates or colours: zeros and white stand in.
    EXPECT_EQ(at3(mesh.normals, 6), (std::array<float, 3>{0, 0, 0}));
    EXPECT_EQ(mesh.colors[6], 0xffffffffu);
    EXPECT_EQ(mesh.faceCount(), 4u);
}

TEST(XFileReader, MeshWithoutMaterialsGetsOneWhiteMaterial) {
    xwriter::Mesh plain;
    plain.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    plain.faces = {{0, 1, 2}};
    xwriter::Scene scene;
    scene.meshes.push_back(plain);
    MeshData mesh;
    std::string error;
    ASSERT_TRUE(read(encode(scene), mesh, error)) << error;
    ASSERT_EQ(mesh.materials.size(), 1u);
    EXPECT_EQ(mesh.materials[0].MatD3D.Diffuse.r, 1.0f);
    EXPECT_EQ(mesh.fvf(), DWORD(D3DFVF_XYZ));
    EXPECT_EQ(mesh.stride(), 12u);
}

TEST(XFileReader, TextFilesWithReferencesAndSplitNormalsAreRead) {
    const std::string text = textHeader + R"(
template Vector { <3D82AB5E-62DA-11cf-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }
// a shared material, referred to by name
Material Shiny { 0.5; 0.25; 1.0; 1.0;; 20.0; 1.0; 1.0; 1.0;; 0.0; 0.0; 0.0;; TextureFilename { "wood.png"; } }
Mesh Corner {
  4; 0.0; 0.0; 0.0;, 1.0; 0.0; 0.0;, 0.0; 1.0; 0.0;, 0.0; 0.0; 1.0;;
  2; 3; 0, 2, 1;, 3; 0, 1, 3;;
  MeshNormals { 2; 0.0; 0.0; -1.0;, 0.0; -1.0; 0.0;; 2; 3; 0, 0, 0;, 3; 1, 1, 1;; }
  MeshMaterialList { 1; 2; 0, 0;; { Shiny } }
}
)";
    MeshData mesh;
    std::string error;
    ASSERT_TRUE(readText(text, mesh, error)) << error;
    // Vertices 0 and 1 are used with two normals each: the second use gets a copy.
    ASSERT_EQ(mesh.vertexCount(), 6u);
    EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{0, 2, 1, 4, 5, 3}));
    EXPECT_EQ(at3(mesh.positions, 4), at3(mesh.positions, 0));
    EXPECT_EQ(at3(mesh.positions, 5), at3(mesh.positions, 1));
    EXPECT_EQ(at3(mesh.normals, 0), (std::array<float, 3>{0, 0, -1}));
    EXPECT_EQ(at3(mesh.normals, 4), (std::array<float, 3>{0, -1, 0}));
    ASSERT_EQ(mesh.materials.size(), 1u);
    EXPECT_EQ(mesh.materials[0].textureFilename, "wood.png");
    EXPECT_EQ(mesh.materials[0].MatD3D.Power, 20.0f);
    EXPECT_EQ(mesh.materials[0].MatD3D.Diffuse.g, 0.25f);
}

TEST(XFileReader, MalformedFilesFailWithAReason) {
    const char* cases[] = {
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 3;; }",                 // index beyond vertices
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2; 0, 1;; }",                    // a two-corner face
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 2;; ",                   // no closing brace
        "Mesh { 9; 0;0;0;; 1; 3; 0, 1, 2;; }",                                  // counts more than it holds
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 2;; MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 2;; MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 2;; MeshMaterialList { 1; 1; 0;; { Missing } } }",
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 2;; MeshNormals { 1; 0;0;1;; 1; 3; 0, 0, 5;; } }",
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 2;; MeshTextureCoords { 2; 0;0;, 1;1;; } }",
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1.5, 2;; }",              // a fraction as an index
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, \"two\";; }",         // a string as an index
        "Frame { FrameTransformMatrix { 1; 0; 0; } }",                           // a short matrix, no mesh
        "Header { 1; 0; 1; }",                                                   // no mesh at all
        "Mesh { 1;0;0;0;; 0;; }",                                                // a mesh without faces
        "Mesh { 1e; }",
        "Mesh { 3; 1e300;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0, 1, 2;; }",             // beyond single precision
        "template Vector { <3D82AB5E-62DA-11cf-AB39-0020AF71E433> FLOAT x;",
        "} Mesh { }",
    };
    for (const char* body : cases) {
        SCOPED_TRACE(body);
        MeshData mesh;
        std::string error;
        EXPECT_FALSE(readText(textHeader + body, mesh, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(mesh.vertexCount(), 0u);
    }
    MeshData mesh;
    std::string error;
    EXPECT_FALSE(readText("xof 0303bzip0032 compressed", mesh, error));  // declares 1.8 GB
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(readText("xof 0303bin 0016", mesh, error));
    EXPECT_FALSE(readText("<demo/>", mesh, error));
    EXPECT_FALSE(XFileReader::read(nullptr, 0, mesh, error));
}

TEST(XFileReader, DeepNestingAndHugeCountsAreRefused) {
    std::string deep = textHeader;
    for (int i = 0; i < 10000; ++i) deep += "Frame {";
    MeshData mesh;
    std::string error;
    EXPECT_FALSE(readText(deep, mesh, error));
    EXPECT_EQ(error, "data objects nested too deeply");

    // A binary float list that claims far more numbers than the file holds.
    std::vector<unsigned char> bytes(reinterpret_cast<const unsigned char*>("xof 0303bin 0032"),
                                     reinterpret_cast<const unsigned char*>("xof 0303bin 0032") + 16);
    const unsigned char tokens[] = {1, 0, 4, 0, 0, 0, 'M', 'e', 's', 'h', 10, 0, 7, 0, 0xff, 0xff, 0xff, 0x7f, 0, 0};
    bytes.insert(bytes.end(), std::begin(tokens), std::end(tokens));
    EXPECT_FALSE(read(bytes, mesh, error));
    EXPECT_EQ(error, "a number list runs past the end of the file");
}

TEST(XFileReader, MoreVerticesThanSixteenBitIndicesReachAreRefused) {
    xwriter::Mesh big;
    for (std::uint32_t i = 0; i < 65536; ++i) big.positions.push_back({float(i), 0, 0});
    big.faces = {{0, 1, 65535}};
    xwriter::Scene scene;
    scene.meshes.push_back(big);
    MeshData mesh;
    std::string error;
    EXPECT_FALSE(read(encode(scene), mesh, error));
    EXPECT_EQ(error, "the meshes hold more than 65535 vertices");
    scene.meshes[0].positions.pop_back();
    scene.meshes[0].faces = {{0, 1, 65534}};
    EXPECT_TRUE(read(encode(scene), mesh, error)) << error;
}

TEST(XFileReader, EveryTruncationOfAWrittenFileFailsCleanly) {
    xwriter::Scene scene;
    xwriter::Frame frame;
    frame.meshes.push_back(sampleMesh());
    scene.frames.push_back(frame);
    std::vector<unsigned char> bytes = encode(scene);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        MeshData mesh;
        std::string error;
        std::vector<unsigned char> part(bytes.begin(), bytes.begin() + cut);
        EXPECT_FALSE(read(part, mesh, error)) << "cut at " << cut;
    }
}

TEST(XFileReader, SameMeshReadsAlikeInTextBinaryAndCompressedWithEitherFloatSize) {
    // Enough vertices that the compressed forms take several chained blocks.
    xwriter::Mesh strip;
    for (int i = 0; i < 3000; ++i) {
        strip.positions.push_back({0.001f * float(i * i % 977), std::sin(float(i)), 1.0f / float(i + 3)});
        strip.normals.push_back({0, 1, 0});
    }
    for (std::uint32_t i = 0; i + 2 < 3000; ++i) strip.faces.push_back({i, i + 1, i + 2});
    xwriter::Scene scene;
    xwriter::Frame frame;
    frame.transform[12] = 2.5f;
    frame.meshes.push_back(sampleMesh());
    scene.frames.push_back(frame);
    scene.meshes.push_back(strip);

    MeshData reference;
    std::string error;
    ASSERT_TRUE(read(encode(scene), reference, error)) << error;
    for (bool text : {false, true}) {
        for (bool doubles : {false, true}) {
            for (bool compressed : {false, true}) {
                SCOPED_TRACE(std::string(text ? "text" : "binary") + (doubles ? " 64" : " 32") + (compressed ? " compressed" : ""));
                std::vector<unsigned char> bytes = xwriter::encode(scene, xwriter::Format{text, doubles}, error);
                if (compressed) bytes = xwriter::compress(bytes, error);
                ASSERT_FALSE(bytes.empty()) << error;
                MeshData mesh;
                ASSERT_TRUE(read(bytes, mesh, error)) << error;
                EXPECT_EQ(mesh.positions, reference.positions);
                EXPECT_EQ(mesh.normals, reference.normals);
                EXPECT_EQ(mesh.textureCoordinates, reference.textureCoordinates);
                EXPECT_EQ(mesh.colors, reference.colors);
                EXPECT_EQ(mesh.indices, reference.indices);
                ASSERT_EQ(mesh.subsets.size(), reference.subsets.size());
                for (std::size_t i = 0; i < mesh.subsets.size(); ++i) {
                    EXPECT_EQ(mesh.subsets[i].faceStart, reference.subsets[i].faceStart);
                    EXPECT_EQ(mesh.subsets[i].faceCount, reference.subsets[i].faceCount);
                    EXPECT_EQ(mesh.materials[i].textureFilename, reference.materials[i].textureFilename);
                    EXPECT_EQ(mesh.materials[i].MatD3D.Diffuse.b, reference.materials[i].MatD3D.Diffuse.b);
                }
            }
        }
    }
}

TEST(XFileReader, ExportedTextWithOpenTemplatesIsRead) {
    const std::string text = "xof 0302txt 0064\r\n" R"(
template Header { <3D82AB43-62DA-11cf-AB39-0020AF71E433> WORD major; WORD minor; DWORD flags; }
template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433> DWORD nVertices; array Vector vertices[nVertices];
 DWORD nFaces; array MeshFace faces[nFaces]; [...] }
template MeshMaterialList { <F6F23F42-7686-11cf-8F52-0040333594A3> DWORD nMaterials; DWORD nFaceIndexes;
 array DWORD faceIndexes[nFaceIndexes]; [Material <3D82AB4D-62DA-11cf-AB39-0020AF71E433>] }
Header { 1; 0; 1; }
Frame Box01.001 {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, -.5,0.0,+2,1.0;; }
  Mesh Box01.001_mesh {
    3; -.25;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;
    1; 3; 0,1,2;;
    MeshMaterialList { 1; 1; 0;; Material { 1.0;0.5;0.25;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; } }
  }
}
)";
    MeshData mesh;
    std::string error;
    ASSERT_TRUE(readText(text, mesh, error)) << error;
    ASSERT_EQ(mesh.vertexCount(), 3u);
    EXPECT_EQ(at3(mesh.positions, 0), (std::array<float, 3>{-0.75f, 0, 2}));
    ASSERT_EQ(mesh.materials.size(), 1u);
    EXPECT_EQ(mesh.materials[0].MatD3D.Diffuse.b, 0.25f);
}

TEST(XFileReader, DamagedCompressedFilesFailCleanly) {
    xwriter::Scene scene;
    scene.meshes.push_back(sampleMesh());
    std::string error;
    std::vector<unsigned char> bytes = xwriter::compress(encode(scene), error);
    ASSERT_FALSE(bytes.empty()) << error;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        MeshData mesh;
        std::vector<unsigned char> part(bytes.begin(), bytes.begin() + cut);
        EXPECT_FALSE(read(part, mesh, error)) << "cut at " << cut;
    }
    MeshData mesh;
    for (std::size_t at : {20, 22}) {  // a block's output size, then its packed size, far too large
        std::vector<unsigned char> damaged = bytes;
        damaged[at] = damaged[at + 1] = 0xff;
        EXPECT_FALSE(read(damaged, mesh, error)) << at;
    }
    std::vector<unsigned char> damaged = bytes;
    damaged = bytes;
    damaged[24] = 'X';  // no CK signature
    EXPECT_FALSE(read(damaged, mesh, error));
    EXPECT_EQ(error, "a compressed block lacks its CK signature");
}

TEST(XFileReader, EveryKeptBadMeshIsRefusedWithoutCrashing) {
    namespace fs = std::filesystem;
    int count = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(testing_paths::sourceDir()) / "tests/data/bad/mesh")) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        MeshData mesh;
        std::string error;
        EXPECT_FALSE(read(bytes, mesh, error));
        ++count;
    }
    EXPECT_GE(count, 1);
}

TEST(XWriter, InconsistentScenesAreRefused) {
    std::string error;
    xwriter::Scene scene;
    scene.meshes.push_back(sampleMesh());
    scene.meshes[0].faces[1][2] = 5;
    EXPECT_TRUE(xwriter::encode(scene, error).empty());
    EXPECT_EQ(error, "mesh Sample has a face corner beyond its positions");
    scene.meshes[0] = sampleMesh();
    scene.meshes[0].normals.pop_back();
    EXPECT_TRUE(xwriter::encode(scene, error).empty());
    scene.meshes[0] = sampleMesh();
    scene.meshes[0].faceMaterials = {0, 2};
    EXPECT_TRUE(xwriter::encode(scene, error).empty());
    scene.meshes[0] = sampleMesh();
    scene.meshes[0].name = "two words";
    EXPECT_TRUE(xwriter::encode(scene, error).empty());
    scene.meshes[0] = sampleMesh();
    scene.meshes[0].positions[0][0] = NAN;
    EXPECT_TRUE(xwriter::encode(scene, error).empty());
    scene.meshes[0] = sampleMesh();
    std::vector<unsigned char> bytes = xwriter::encode(scene, error);
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(std::memcmp(bytes.data(), "xof 0303bin 0032", 16), 0);
}
