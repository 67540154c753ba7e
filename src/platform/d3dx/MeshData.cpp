#include "platform/d3dx/MeshData.h"

#include <algorithm>

namespace d3dx {

DWORD MeshData::fvf() const {
    DWORD format = D3DFVF_XYZ;
    if (hasNormals) format |= D3DFVF_NORMAL;
    if (hasColors) format |= D3DFVF_DIFFUSE;
    if (hasTextureCoordinates) format |= D3DFVF_TEX1;
    return format;
}

DWORD MeshData::stride() const {
    DWORD bytes = 12;
    if (hasNormals) bytes += 12;
    if (hasColors) bytes += 4;
    if (hasTextureCoordinates) bytes += 8;
    return bytes;
}

void MeshData::computeSubsetRanges() {
    for (MeshSubset& subset : subsets) {
        subset.vertexStart = 0;
        subset.vertexCount = 0;
        if (subset.faceCount == 0) continue;
        auto first = indices.begin() + std::size_t(subset.faceStart) * 3;
        auto last = first + std::size_t(subset.faceCount) * 3;
        auto [low, high] = std::minmax_element(first, last);
        subset.vertexStart = *low;
        subset.vertexCount = *high - *low + 1;
    }
}

}  // namespace d3dx
