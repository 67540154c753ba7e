// OpenGL state shadowed by the device: the wanted state is described as one value (GlRenderState)
// and applied by difference against what GL was last given; bindings are cached the same way.
// kReapplyEverything turns the cache off, to see whether a fault comes from the delta checking.
// Lookup tables translate Direct3D enum values to GL, indexed by the Direct3D value.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <epoxy/gl.h>

#include <array>

namespace d3d9 {

struct GlRenderState {
    bool blend = false;
    GLenum srcRgb = GL_ONE, dstRgb = GL_ZERO, srcAlpha = GL_ONE, dstAlpha = GL_ZERO;
    GLenum equationRgb = GL_FUNC_ADD, equationAlpha = GL_FUNC_ADD;
    D3DCOLOR blendColor = 0xffffffff;
    bool depthTest = false;
    GLenum depthFunc = GL_LEQUAL;
    bool depthWrite = true;
    bool cull = false;
    GLenum cullFace = GL_BACK;
    GLenum frontFace = GL_CCW;               // which winding is front depends on the rows' direction
    GLenum pointOrigin = GL_LOWER_LEFT;      // so does a point sprite's first row
    GLuint colorMask = 0xf;  // bit 0 red .. bit 3 alpha
    bool stencil = false;
    GLenum stencilFunc = GL_ALWAYS;
    GLint stencilRef = 0;
    GLuint stencilMask = 0xffffffff, stencilWriteMask = 0xffffffff;
    GLenum stencilFail = GL_KEEP, stencilDepthFail = GL_KEEP, stencilPass = GL_KEEP;
    GLenum polygonMode = GL_FILL;
    bool scissor = false;
    std::array<GLint, 4> scissorBox{0, 0, 0, 0};
    std::array<GLint, 4> viewport{0, 0, 0, 0};
    float depthNear = 0, depthFar = 1;
    bool depthClamp = false;
    bool multisample = true;
    float polygonOffsetFactor = 0, polygonOffsetUnits = 0;

    bool operator==(const GlRenderState&) const = default;
};

class GlState {
public:
    static constexpr bool kReapplyEverything = false;  // debug switch: no delta checking

    void reset();  // forget what GL holds; the next apply sets everything
    void apply(const GlRenderState& wanted);
    const GlRenderState& current() const { return state; }
    unsigned bufferDeletions() const { return deletedBuffers; }  // changes whenever a buffer name dies

    void useProgram(GLuint program);
    void bindVertexArray(GLuint vao);
    void bindFramebuffer(GLuint framebuffer);   // GL_FRAMEBUFFER (draw and read)
    void bindArrayBuffer(GLuint buffer);
    void bindTexture(GLuint unit, GLuint texture);  // GL_TEXTURE_2D
    void bindSampler(GLuint unit, GLuint sampler);
    void forgetTexture(GLuint texture);         // a deleted texture must not stay cached
    void forgetBuffer(GLuint buffer);
    void forgetFramebuffer(GLuint framebuffer);

private:
    GlRenderState state;
    bool valid = false;                // false: GL state unknown
    unsigned deletedBuffers = 0;
    GLuint program = ~0u, vao = ~0u, framebuffer = ~0u, arrayBuffer = ~0u;
    GLuint activeUnit = ~0u;
    std::array<GLuint, 8> textures{}, samplers{};
    std::array<bool, 8> textureKnown{}, samplerKnown{};
};

// --- Direct3D value -> GL (row 0 unused where Direct3D starts at 1) ---------------------------------
inline constexpr GLenum kBlendFactor[] = {
    GL_ZERO,                      // unused
    GL_ZERO,                      // D3DBLEND_ZERO
    GL_ONE,                       // ONE
    GL_SRC_COLOR,                 // SRCCOLOR
    GL_ONE_MINUS_SRC_COLOR,       // INVSRCCOLOR
    GL_SRC_ALPHA,                 // SRCALPHA
    GL_ONE_MINUS_SRC_ALPHA,       // INVSRCALPHA
    GL_DST_ALPHA,                 // DESTALPHA
    GL_ONE_MINUS_DST_ALPHA,       // INVDESTALPHA
    GL_DST_COLOR,                 // DESTCOLOR
    GL_ONE_MINUS_DST_COLOR,       // INVDESTCOLOR
    GL_SRC_ALPHA_SATURATE,        // SRCALPHASAT
    GL_SRC_ALPHA,                 // BOTHSRCALPHA (source side; destination gets the inverse)
    GL_ONE_MINUS_SRC_ALPHA,       // BOTHINVSRCALPHA
    GL_CONSTANT_COLOR,            // BLENDFACTOR
    GL_ONE_MINUS_CONSTANT_COLOR,  // INVBLENDFACTOR
};
static_assert(std::size(kBlendFactor) == D3DBLEND_INVBLENDFACTOR + 1);

inline constexpr GLenum kBlendOp[] = {
    GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX,
};
static_assert(std::size(kBlendOp) == D3DBLENDOP_MAX + 1);

inline constexpr GLenum kCompare[] = {
    GL_ALWAYS, GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS,
};
static_assert(std::size(kCompare) == D3DCMP_ALWAYS + 1);

inline constexpr GLenum kStencilOp[] = {
    GL_KEEP, GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP,
};
static_assert(std::size(kStencilOp) == D3DSTENCILOP_DECR + 1);

inline constexpr GLenum kAddress[] = {
    GL_REPEAT,           // unused
    GL_REPEAT,           // WRAP
    GL_MIRRORED_REPEAT,  // MIRROR
    GL_CLAMP_TO_EDGE,    // CLAMP
    GL_CLAMP_TO_BORDER,  // BORDER
    GL_MIRRORED_REPEAT,  // MIRRORONCE: nearest GL 3.3 has
};
static_assert(std::size(kAddress) == D3DTADDRESS_MIRRORONCE + 1);

inline constexpr GLenum kPrimitive[] = {
    GL_POINTS, GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN,
};
static_assert(std::size(kPrimitive) == D3DPT_TRIANGLEFAN + 1);

inline constexpr GLenum kFillMode[] = {GL_FILL, GL_POINT, GL_LINE, GL_FILL};
static_assert(std::size(kFillMode) == D3DFILL_SOLID + 1);

template <class Table>
GLenum lookup(const Table& table, DWORD value, GLenum fallback) {
    return value < std::size(table) ? table[value] : fallback;
}

}  // namespace d3d9
