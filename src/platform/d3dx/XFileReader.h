// Reads a DirectX X file (text, binary or compressed, 32- or 64-bit floats) into one MeshData:
// every Mesh of the file, with the transformations of the frames it sits in baked into positions
// and normals, merged in file order; each mesh's materials become consecutive subsets. Values
// come back exactly as written where no frame moves them. Malformed or truncated input fails
// with a reason; nothing is read beyond the given bytes.
#pragma once

#include "platform/d3dx/MeshData.h"

#include <cstddef>
#include <string>

namespace d3dx {

class XFileReader {
public:
    static constexpr std::size_t maxVertices = 65535;  // the mesh uses 16-bit indices
    static constexpr int maxDepth = 64;                 // nesting of data objects

    [[nodiscard]] static bool read(const void* data, std::size_t size, MeshData& mesh, std::string& error);
};

}  // namespace d3dx
