// A mesh as plain arrays, before it becomes device buffers: what the X-file reader and the
// teapot builder produce and what Mesh uploads. Faces are triangles, clockwise in front as
// Direct3D draws them, sorted by subset so that each subset is one contiguous run.
#pragma once

#include "platform/d3dx/d3dx9.h"

#include <cstdint>
#include <vector>

namespace d3dx {

struct MeshSubset {
    std::uint32_t faceStart = 0;    // first face of the run
    std::uint32_t faceCount = 0;
    std::uint32_t vertexStart = 0;  // lowest vertex index the run uses
    std::uint32_t vertexCount = 0;  // highest - lowest + 1 (0 for an empty run)
};

struct MeshData {
    bool hasNormals = false;
    bool hasTextureCoordinates = false;
    bool hasColors = false;
    std::vector<float> positions;            // 3 per vertex
    std::vector<float> normals;              // 3 per vertex when hasNormals
    std::vector<float> textureCoordinates;   // 2 per vertex when hasTextureCoordinates
    std::vector<std::uint32_t> colors;       // one A8R8G8B8 per vertex when hasColors
    std::vector<std::uint32_t> indices;      // 3 per face
    std::vector<MeshSubset> subsets;         // subset i is drawn with materials[i]
    std::vector<D3DXMATERIAL> materials;     // as many as subsets

    std::size_t vertexCount() const { return positions.size() / 3; }
    std::size_t faceCount() const { return indices.size() / 3; }
    DWORD fvf() const;                       // XYZ, then NORMAL, DIFFUSE, TEX1 as present
    DWORD stride() const;                    // bytes per vertex for fvf()
    // Fills each subset's vertex range from the indices of its faces.
    void computeSubsetRanges();
};

}  // namespace d3dx
