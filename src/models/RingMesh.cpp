#include "models/RingMesh.h"

#include "app/Device.h"
#include "models/ManagedBuffers.h"

int ringVertexCount(int rings) {
    return 3 * rings * (rings + 1) + 1;
}

int ringTriangleCount(int rings) {
    return 6 * rings * rings;
}

std::vector<uint16_t> buildRingIndices(int rings) {
    std::vector<uint16_t> indices;
    indices.reserve(size_t(ringTriangleCount(rings)) * 3);
    auto emit = [&](int a, int b, int c) {
        indices.push_back(static_cast<uint16_t>(a));
        indices.push_back(static_cast<uint16_t>(b));
        indices.push_back(static_cast<uint16_t>(c));
    };
    for (int k = 0; k < rings; ++k) {
        const int innerFirst = k == 0 ? 0 : 3 * k * (k - 1) + 1;
        const int innerLast = k == 0 ? 0 : innerFirst + 6 * k - 1;
        const int outerFirst = 3 * (k + 1) * k + 1;
        int i = innerFirst, o = outerFirst;
        for (int side = 0; side < 6; ++side) {
            for (int t = 0; t < k; ++t) {
                const int next = i == innerLast ? innerFirst : i + 1;
                emit(i, o, o + 1);
                emit(i, o + 1, next);
                i = next;
                ++o;
            }
            emit(i, o, side == 5 ? outerFirst : o + 1);  // the last side closes the ring
            ++o;
        }
    }
    return indices;
}

bool RingMesh::create(int rings, const void* vertices, UINT stride, DWORD fvf) {
    this->stride = stride;
    vertexCount = ringVertexCount(rings);
    triangleCount = ringTriangleCount(rings);
    return fillIndexBuffer(buildRingIndices(rings), indexBuffer) &&
           fillVertexBuffer(vertices, static_cast<UINT>(vertexCount) * stride, fvf, vertexBuffer);
}

void RingMesh::draw() const {
    device->SetIndices(indexBuffer.get());
    device->SetStreamSource(0, vertexBuffer.get(), 0, stride);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(vertexCount), 0,
                                 static_cast<UINT>(triangleCount));
}
