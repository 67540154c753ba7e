#include "platform/d3d9/Buffer.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace d3d9 {

template <class Interface>
HRESULT Buffer<Interface>::create(const std::shared_ptr<GlContext>& context, UINT length, DWORD usage,
                                  DWORD format, ComRef<Interface>* result) {
    if (!result) return D3DERR_INVALIDCALL;
    *result = nullptr;
    if (length == 0 || length > (1u << 30)) return D3DERR_INVALIDCALL;
    auto* b = new Buffer;
    ComRef<Interface> ref = ComRef<Interface>::adopt(b);
    b->context = context;
    b->bufferFormat = format;
    try {
        b->memory.assign(length, 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    context->makeCurrent();
    glGenBuffers(1, &b->buffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, b->buffer);
    glBufferData(GL_COPY_WRITE_BUFFER, length, b->memory.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    *result = ref;
    return D3D_OK;
}

template <class Interface>
Buffer<Interface>::~Buffer() {
    if (buffer) {
        context->makeCurrent();
        context->bufferDeleted(buffer);
        glDeleteBuffers(1, &buffer);
    }
}

template <class Interface>
HRESULT Buffer<Interface>::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data || locked) return D3DERR_INVALIDCALL;
    const UINT total = length();
    if (size == 0) {
        if (offset > total) return D3DERR_INVALIDCALL;
        size = total - offset;
    }
    if (offset > total || size > total - offset) return D3DERR_INVALIDCALL;
    locked = true;
    lockOffset = offset;
    lockSize = size;
    lockFlags = flags;
    *data = memory.data() + offset;
    return D3D_OK;
}

template <class Interface>
HRESULT Buffer<Interface>::Unlock() {
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    if (lockFlags & D3DLOCK_READONLY) return D3D_OK;
    bounds.clear();
    context->makeCurrent();
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    if (lockFlags & D3DLOCK_DISCARD)
        glBufferData(GL_COPY_WRITE_BUFFER, memory.size(), memory.data(), GL_DYNAMIC_DRAW);
    else if (lockSize > 0)
        glBufferSubData(GL_COPY_WRITE_BUFFER, lockOffset, lockSize, memory.data() + lockOffset);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    return D3D_OK;
}

template <class Interface>
void Buffer<Interface>::indexBounds(size_t start, size_t count, size_t* smallest, size_t* largest) {
    if (!locked)
        for (const Bounds& b : bounds)
            if (b.start == start && b.count == count) {
                *smallest = b.smallest, *largest = b.largest;
                return;
            }
    size_t low = SIZE_MAX, high = 0;
    auto scan = [&](const auto* i) {
        for (size_t k = 0; k < count; ++k) low = std::min<size_t>(low, i[k]), high = std::max<size_t>(high, i[k]);
    };
    if (bufferFormat == D3DFMT_INDEX32) scan(reinterpret_cast<const std::uint32_t*>(memory.data()) + start);
    else scan(reinterpret_cast<const std::uint16_t*>(memory.data()) + start);
    *smallest = low, *largest = high;
    if (locked) return;  // the bytes may still change
    if (bounds.size() >= 16) bounds.erase(bounds.begin());
    bounds.push_back({start, count, low, high});
}

template class Buffer<IDirect3DVertexBuffer9>;
template class Buffer<IDirect3DIndexBuffer9>;

}  // namespace d3d9
