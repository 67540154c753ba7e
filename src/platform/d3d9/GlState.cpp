#include "platform/d3d9/GlState.h"

namespace d3d9 {

void GlState::reset() {
    valid = false;
    program = vao = framebuffer = arrayBuffer = activeUnit = ~0u;
    textureKnown.fill(false);
    samplerKnown.fill(false);
}

void GlState::apply(const GlRenderState& w) {
    const bool all = !valid || kReapplyEverything;
    GlRenderState& s = state;
    auto enable = [](GLenum cap, bool on) { on ? glEnable(cap) : glDisable(cap); };

    if (all || w.blend != s.blend) enable(GL_BLEND, w.blend);
    if (all || w.srcRgb != s.srcRgb || w.dstRgb != s.dstRgb || w.srcAlpha != s.srcAlpha ||
        w.dstAlpha != s.dstAlpha)
        glBlendFuncSeparate(w.srcRgb, w.dstRgb, w.srcAlpha, w.dstAlpha);
    if (all || w.equationRgb != s.equationRgb || w.equationAlpha != s.equationAlpha)
        glBlendEquationSeparate(w.equationRgb, w.equationAlpha);
    if (all || w.blendColor != s.blendColor)
        glBlendColor(((w.blendColor >> 16) & 0xff) / 255.0f, ((w.blendColor >> 8) & 0xff) / 255.0f,
                     (w.blendColor & 0xff) / 255.0f, (w.blendColor >> 24) / 255.0f);
    if (all || w.depthTest != s.depthTest) enable(GL_DEPTH_TEST, w.depthTest);
    if (all || w.depthFunc != s.depthFunc) glDepthFunc(w.depthFunc);
    if (all || w.depthWrite != s.depthWrite) glDepthMask(w.depthWrite ? GL_TRUE : GL_FALSE);
    if (all || w.cull != s.cull) enable(GL_CULL_FACE, w.cull);
    if (all || w.cullFace != s.cullFace) glCullFace(w.cullFace);
    if (all || w.frontFace != s.frontFace) glFrontFace(w.frontFace);
    if (all || w.pointOrigin != s.pointOrigin) glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, w.pointOrigin);
    if (all || w.colorMask != s.colorMask)
        glColorMask(w.colorMask & 1, (w.colorMask >> 1) & 1, (w.colorMask >> 2) & 1, (w.colorMask >> 3) & 1);
    if (all || w.stencil != s.stencil) enable(GL_STENCIL_TEST, w.stencil);
    if (all || w.stencilFunc != s.stencilFunc || w.stencilRef != s.stencilRef || w.stencilMask != s.stencilMask)
        glStencilFunc(w.stencilFunc, w.stencilRef, w.stencilMask);
    if (all || w.stencilWriteMask != s.stencilWriteMask) glStencilMask(w.stencilWriteMask);
    if (all || w.stencilFail != s.stencilFail || w.stencilDepthFail != s.stencilDepthFail ||
        w.stencilPass != s.stencilPass)
        glStencilOp(w.stencilFail, w.stencilDepthFail, w.stencilPass);
    if (all || w.polygonMode != s.polygonMode) glPolygonMode(GL_FRONT_AND_BACK, w.polygonMode);
    if (all || w.scissor != s.scissor) enable(GL_SCISSOR_TEST, w.scissor);
    if (all || w.scissorBox != s.scissorBox)
        glScissor(w.scissorBox[0], w.scissorBox[1], w.scissorBox[2], w.scissorBox[3]);
    if (all || w.viewport != s.viewport) glViewport(w.viewport[0], w.viewport[1], w.viewport[2], w.viewport[3]);
    if (all || w.depthNear != s.depthNear || w.depthFar != s.depthFar) glDepthRange(w.depthNear, w.depthFar);
    if (all || w.depthClamp != s.depthClamp) enable(GL_DEPTH_CLAMP, w.depthClamp);
    if (all || w.multisample != s.multisample) enable(GL_MULTISAMPLE, w.multisample);
    if (all || w.polygonOffsetFactor != s.polygonOffsetFactor || w.polygonOffsetUnits != s.polygonOffsetUnits) {
        bool on = w.polygonOffsetFactor != 0 || w.polygonOffsetUnits != 0;
        enable(GL_POLYGON_OFFSET_FILL, on);
        glPolygonOffset(w.polygonOffsetFactor, w.polygonOffsetUnits);
    }
    s = w;
    valid = true;
}

void GlState::useProgram(GLuint p) {
    if (p != program || kReapplyEverything) glUseProgram(p);
    program = p;
}

void GlState::bindVertexArray(GLuint v) {
    if (v != vao || kReapplyEverything) glBindVertexArray(v);
    vao = v;
}

void GlState::bindFramebuffer(GLuint f) {
    if (f != framebuffer || kReapplyEverything) glBindFramebuffer(GL_FRAMEBUFFER, f);
    framebuffer = f;
}

void GlState::bindArrayBuffer(GLuint b) {
    if (b != arrayBuffer || kReapplyEverything) glBindBuffer(GL_ARRAY_BUFFER, b);
    arrayBuffer = b;
}

void GlState::bindTexture(GLuint unit, GLuint texture) {
    if (unit < textures.size() && textureKnown[unit] && textures[unit] == texture && !kReapplyEverything) return;
    if (activeUnit != unit) glActiveTexture(GL_TEXTURE0 + unit);
    activeUnit = unit;
    glBindTexture(GL_TEXTURE_2D, texture);
    if (unit < textures.size()) {
        textures[unit] = texture;
        textureKnown[unit] = true;
    }
}

void GlState::bindSampler(GLuint unit, GLuint sampler) {
    if (unit < samplers.size() && samplerKnown[unit] && samplers[unit] == sampler && !kReapplyEverything) return;
    glBindSampler(unit, sampler);
    if (unit < samplers.size()) {
        samplers[unit] = sampler;
        samplerKnown[unit] = true;
    }
}

void GlState::forgetTexture(GLuint texture) {
    for (size_t i = 0; i < textures.size(); ++i)
        if (textures[i] == texture) textureKnown[i] = false;
}

void GlState::forgetBuffer(GLuint buffer) {
    ++deletedBuffers;
    if (arrayBuffer == buffer) arrayBuffer = ~0u;
}

void GlState::forgetFramebuffer(GLuint f) {
    if (framebuffer == f) framebuffer = ~0u;
}

}  // namespace d3d9
