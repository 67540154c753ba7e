// Writes DirectX X files, binary with 32-bit floats ("xof 0303bin 0032") unless asked for text,
// compression or 64-bit floats, with the definitions of the templates they use: Frame,
// FrameTransformMatrix, Mesh, MeshNormals, MeshTextureCoords, MeshVertexColors, MeshMaterialList,
// Material, TextureFilename. Coordinates are Direct3D's: left-handed, row vectors, clockwise front
// faces, v running down the texture. Depends on the standard library only (compression, which
// needs zlib, is XCompress.h). A scene that does not hold together (an index out of range, a per-vertex array of the wrong
// length) is refused with a reason; nothing is written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xwriter {

struct Material {
    std::array<float, 4> diffuse = {1, 1, 1, 1};  // the face colour, RGBA
    float power = 0;                              // specular exponent
    std::array<float, 3> specular = {0, 0, 0};
    std::array<float, 3> emissive = {0, 0, 0};
    std::string textureFilename;                  // empty: no TextureFilename
};

struct Mesh {
    std::string name;                                     // optional; letters, digits, '_' and '-' only
    std::vector<std::array<float, 3>> positions;
    std::vector<std::vector<std::uint32_t>> faces;        // 3 or more position indices, clockwise in front
    std::vector<std::array<float, 3>> normals;            // empty, or one per position (same indexing)
    std::vector<std::array<float, 2>> textureCoordinates; // empty, or one per position
    std::vector<std::array<float, 4>> colors;             // empty, or one RGBA per position
    std::vector<Material> materials;                      // empty: no MeshMaterialList
    std::vector<std::uint32_t> faceMaterials;             // one per face; may be empty with 0 or 1 material
};

using Matrix = std::array<float, 16>;  // row-major, row vectors: v' = v * M, translation in 12..14
constexpr Matrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct Frame {
    std::string name;                 // optional, as Mesh::name
    Matrix transform = identity;      // relative to the parent frame
    std::vector<Mesh> meshes;
    std::vector<Frame> children;
};

struct Scene {
    std::vector<Frame> frames;  // top-level frames, written first
    std::vector<Mesh> meshes;   // meshes outside any frame
};

// How the file is encoded: "bin " or "txt ", "0032" or "0064".
struct Format {
    bool text = false;     // numbers and names as text, exact to the last bit
    bool doubles = false;  // floats written as 64-bit values
};

// The file's bytes, or an empty vector with `error` set.
std::vector<unsigned char> encode(const Scene& scene, std::string& error);
std::vector<unsigned char> encode(const Scene& scene, const Format& format, std::string& error);
// Writes encode(scene) to path; false with `error` set when the scene or the file fails.
bool writeFile(const std::string& path, const Scene& scene, std::string& error);
bool writeFile(const std::string& path, const Scene& scene, const Format& format, std::string& error);

}  // namespace xwriter
