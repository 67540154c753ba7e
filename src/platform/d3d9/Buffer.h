// Vertex and index buffers: the bytes stay in memory (Lock hands out a pointer into them) and
// unlocking uploads the locked range to a GL buffer; a DISCARD lock orphans the GL storage first.
#pragma once

#include "platform/d3d9/GlContext.h"
#include "platform/d3d9/LiveObjects.h"
#include "platform/d3d9/d3d9.h"

#include <epoxy/gl.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace d3d9 {

template <class Interface>
class Buffer final : public Interface {
public:
    static HRESULT create(const std::shared_ptr<GlContext>& context, UINT length, DWORD usage, DWORD format,
                          ComRef<Interface>* buffer);

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;

    GLuint name() const { return buffer; }
    const BYTE* data() const { return memory.data(); }
    UINT length() const { return static_cast<UINT>(memory.size()); }
    DWORD format() const { return bufferFormat; }  // FVF of a vertex buffer, index format of an index buffer

    // The smallest and largest of `count` indices from index `start` (of an index buffer; the
    // range must lie inside it). Remembered until the next Unlock, so a mesh drawn every frame is
    // scanned once, not on every draw.
    void indexBounds(size_t start, size_t count, size_t* smallest, size_t* largest);

private:
    Counted counted{std::is_same_v<Interface, IDirect3DVertexBuffer9> ? &LiveObjects::vertexBuffers
                                                                          : &LiveObjects::indexBuffers};
    Buffer() = default;
    ~Buffer() override;

    std::shared_ptr<GlContext> context;
    GLuint buffer = 0;            // owned
    std::vector<BYTE> memory;
    DWORD bufferFormat = 0;
    bool locked = false;
    UINT lockOffset = 0, lockSize = 0;
    DWORD lockFlags = 0;
    struct Bounds {
        size_t start, count, smallest, largest;
    };
    std::vector<Bounds> bounds;   // ranges scanned since the last Unlock; a few, one per subset
};

using VertexBuffer = Buffer<IDirect3DVertexBuffer9>;
using IndexBuffer = Buffer<IDirect3DIndexBuffer9>;

}  // namespace d3d9
