// Vertex and index buffers that a model fills once at load: write-only, in the managed pool, so
// that they survive a device reset without the model's help.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <vector>

// Creates a write-only managed buffer and copies `bytes` into it; false when it cannot be made
// or locked.
bool fillVertexBuffer(const void* data, UINT bytes, DWORD fvf, ComRef<IDirect3DVertexBuffer9>& buffer);
bool fillIndexBuffer(const std::vector<uint16_t>& indices, ComRef<IDirect3DIndexBuffer9>& buffer);
