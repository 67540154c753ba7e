// Direct3D surface formats as GL sees them: the internal format, how locked bytes upload (Direct3D
// keeps A8R8G8B8 as B, G, R, A bytes in memory) and the swizzle that gives L8, A8 and X8 formats
// their Direct3D reading.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <epoxy/gl.h>

namespace d3d9 {

struct FormatInfo {
    GLenum internalFormat = 0;  // 0: not a format a texture or target can have
    GLenum format = 0;          // upload format
    GLenum type = 0;            // upload type
    UINT bytesPerPixel = 0;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    bool depth = false;
    bool hasAlpha = true;       // false: alpha reads as 1 and is never written
};

inline FormatInfo formatInfo(D3DFORMAT f) {
    FormatInfo i;
    switch (f) {
    case D3DFMT_A8R8G8B8:
        i = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4};
        break;
    case D3DFMT_X8R8G8B8:
        i = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        i.hasAlpha = false;
        break;
    case D3DFMT_R5G6B5:
        i = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2};
        i.hasAlpha = false;
        break;
    case D3DFMT_X1R5G5B5:
        i = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        i.hasAlpha = false;
        break;
    case D3DFMT_A1R5G5B5:
        i = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2};
        break;
    case D3DFMT_A4R4G4B4:
        i = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2};
        break;
    case D3DFMT_L8:
        i = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_RED, GL_RED, GL_RED, GL_ONE}};
        break;
    case D3DFMT_A8:
        i = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}};
        break;
    case D3DFMT_A8L8:
        i = {GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, {GL_RED, GL_RED, GL_RED, GL_GREEN}};
        break;
    case D3DFMT_D24S8:
        i = {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, 4};
        i.depth = true;
        break;
    case D3DFMT_D24X8:
        i = {GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, 4};
        i.depth = true;
        break;
    case D3DFMT_D16:
        i = {GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, 2};
        i.depth = true;
        break;
    default:
        break;
    }
    return i;
}

inline bool isColorTargetFormat(D3DFORMAT f) {
    return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5;
}

inline bool hasStencil(D3DFORMAT f) { return f == D3DFMT_D24S8; }

}  // namespace d3d9
