// Any bytes into the X-file reader; what it accepts must hold together.
#include "platform/d3dx/XFileReader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    d3dx::MeshData mesh;
    std::string error;
    if (!d3dx::XFileReader::read(data, size, mesh, error)) {
        if (mesh.vertexCount() != 0 || error.empty()) __builtin_trap();
        return 0;
    }
    std::size_t vertices = mesh.vertexCount();
    if (vertices == 0 || vertices > d3dx::XFileReader::maxVertices || mesh.indices.size() % 3 != 0) __builtin_trap();
    for (std::uint32_t index : mesh.indices)
        if (index >= vertices) __builtin_trap();
    if (mesh.subsets.size() != mesh.materials.size()) __builtin_trap();
    std::size_t faces = 0;
    for (const d3dx::MeshSubset& subset : mesh.subsets) {
        if (subset.faceStart != faces && subset.faceCount != 0) __builtin_trap();  // contiguous runs in order
        faces += subset.faceCount;
        if (subset.faceCount && subset.vertexStart + subset.vertexCount > vertices) __builtin_trap();
    }
    if (faces != mesh.faceCount()) __builtin_trap();
    if ((mesh.hasNormals && mesh.normals.size() != vertices * 3) ||
        (mesh.hasTextureCoordinates && mesh.textureCoordinates.size() != vertices * 2) ||
        (mesh.hasColors && mesh.colors.size() != vertices))
        __builtin_trap();
    return 0;
}
