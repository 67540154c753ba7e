// Drawing: vertex formats to attribute pointers, the program for the current state, uniforms
// uploaded by change counter, and the draw calls (DrawPrimitive*UP stream through rings).
#include "platform/d3d9/Device.h"

#include "platform/d3d9/DrawProfile.h"
#include "platform/d3d9/Formats.h"
#include "platform/d3d9/MatrixMath.h"
#include "platform/d3d9/Buffer.h"
#include "platform/d3d9/Texture.h"
#include "platform/d3d9/VertexShader.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace d3d9 {

namespace {

constexpr size_t kStreamVertexBytes = 8u << 20;
constexpr size_t kStreamIndexBytes = 2u << 20;

enum AttributeLocation : GLuint {
    kPosition = 0, kNormal = 1, kDiffuse = 2, kSpecular = 3, kPointSize = 4, kTexCoord0 = 5,
};

// The matrix that carries normals along with row vectors transformed by m: (m^-1)^T of its 3x3.
void normalMatrix(const D3DMATRIX& m, float out[9]) {
    const float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float det = a * A + b * B + c * C;
    const float s = std::fabs(det) > 1e-30f ? 1.0f / det : 0.0f;
    // Cofactor matrix / det is (m^-1)^T.
    const float cof[9] = {A, B, C,
                          -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                          b * f - c * e, -(a * f - c * d), a * e - b * d};
    for (int k = 0; k < 9; ++k) out[k] = cof[k] * s;
}

void color4(D3DCOLOR c, float out[4]) {
    out[0] = ((c >> 16) & 0xff) / 255.0f;
    out[1] = ((c >> 8) & 0xff) / 255.0f;
    out[2] = (c & 0xff) / 255.0f;
    out[3] = (c >> 24) / 255.0f;
}

bool usesTexture(DWORD op, DWORD a0, DWORD a1, DWORD a2) {
    auto isTex = [](DWORD a) { return (a & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
    return op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM || isTex(a1) || isTex(a2) ||
           ((op == D3DTOP_MULTIPLYADD || op == D3DTOP_LERP) && isTex(a0));
}

// Whether every vertex's diffuse colour has alpha 255 (a format without one reads as white;
// vertices in a buffer are not read back, so they may have any).
bool diffuseAlphaOne(int diffuse, const void* vertices, size_t count, UINT stride) {
    if (diffuse < 0) return true;
    if (!vertices) return false;
    const auto* bytes = static_cast<const BYTE*>(vertices) + diffuse + 3;  // D3DCOLOR's alpha byte
    for (size_t i = 0; i < count; ++i)
        if (bytes[i * stride] != 0xff) return false;
    return true;
}

}  // namespace

// --- vertex formats -----------------------------------------------------------------------------------------
Device::VertexLayout Device::layoutOf(DWORD f) {
    VertexLayout l;
    l.texCoord.fill(-1);
    UINT offset = 0;
    const DWORD position = f & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZ) {
        l.positionComponents = 3;
    } else if (position == D3DFVF_XYZRHW) {
        l.positionComponents = 4;
        l.rhw = true;
    } else if (position == 0x4002) {  // XYZW
        l.positionComponents = 4;
    } else if (position >= 0x6 && position <= 0xe) {  // XYZB1..XYZB5: blend weights are skipped
        l.positionComponents = 3;
    } else {
        return l;
    }
    l.position = 0;
    offset = 4 * l.positionComponents;
    if (position >= 0x6 && position <= 0xe) offset += 4 * ((position - 0x6) / 2 + 1);
    if (f & D3DFVF_NORMAL) l.normal = offset, offset += 12;
    if (f & D3DFVF_PSIZE) l.pointSize = offset, offset += 4;
    if (f & D3DFVF_DIFFUSE) l.diffuse = offset, offset += 4;
    if (f & D3DFVF_SPECULAR) l.specular = offset, offset += 4;
    const UINT sets = (f & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > 8) return l;
    static constexpr int kComponents[4] = {2, 3, 4, 1};
    for (UINT i = 0; i < sets; ++i) {
        l.texCoord[i] = static_cast<int>(offset);
        l.texCoordComponents[i] = kComponents[(f >> (16 + 2 * i)) & 3];
        offset += 4 * l.texCoordComponents[i];
    }
    l.size = offset;
    l.valid = true;
    return l;
}

void Device::bindAttributes(const VertexLayout& l, GLuint buffer, size_t offset, UINT stride) {
    const AttributeBinding wanted{fvf, buffer, offset, stride, gl.bufferDeletions()};
    if (binding.fvf == wanted.fvf && binding.buffer == buffer && binding.offset == offset &&
        binding.stride == stride && binding.deletions == wanted.deletions && !GlState::kReapplyEverything)
        return;
    binding = wanted;
    gl.bindArrayBuffer(buffer);
    auto attribute = [&](GLuint location, int at, GLint size, GLenum type, GLboolean normalized) {
        if (at < 0) {
            glDisableVertexAttribArray(location);
            return;
        }
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, size, type, normalized, stride,
                              reinterpret_cast<const void*>(offset + static_cast<size_t>(at)));
    };
    attribute(kPosition, l.position, l.positionComponents, GL_FLOAT, GL_FALSE);
    attribute(kNormal, l.normal, 3, GL_FLOAT, GL_FALSE);
    attribute(kDiffuse, l.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);  // D3DCOLOR bytes are B, G, R, A
    attribute(kSpecular, l.specular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    attribute(kPointSize, l.pointSize, 1, GL_FLOAT, GL_FALSE);
    for (GLuint i = 0; i < 8; ++i)
        attribute(kTexCoord0 + i, l.texCoord[i], l.texCoordComponents[i], GL_FLOAT, GL_FALSE);
    // Inputs a format lacks read as Direct3D's defaults.
    if (l.diffuse < 0) glVertexAttrib4f(kDiffuse, 1, 1, 1, 1);
    if (l.specular < 0) glVertexAttrib4f(kSpecular, 0, 0, 0, 0);
}

// --- programs -----------------------------------------------------------------------------------------------
void Device::buildKey(const VertexLayout& l, ProgramKey* key) const {
    ProgramKey k;
    const auto& rs = renderStates;
    auto* vs = static_cast<VertexShader*>(vertexShader.get());
    k.shaderId = vs ? vs->id() : 0;
    k.fvf = vs ? 0 : fvf;
    const bool fixedVertex = !vs && !l.rhw;
    k.specular = rs[D3DRS_SPECULARENABLE] != FALSE;
    if (fixedVertex && rs[D3DRS_LIGHTING]) {
        k.lighting = 1;
        k.localViewer = rs[D3DRS_LOCALVIEWER] != FALSE;
        k.normalize = rs[D3DRS_NORMALIZENORMALS] != FALSE;
        auto source = [&](DWORD value) -> std::uint8_t {
            if (!rs[D3DRS_COLORVERTEX]) return D3DMCS_MATERIAL;
            if (value == D3DMCS_COLOR1 && l.diffuse >= 0) return D3DMCS_COLOR1;
            if (value == D3DMCS_COLOR2 && l.specular >= 0) return D3DMCS_COLOR2;
            return D3DMCS_MATERIAL;
        };
        k.diffuseSource = source(rs[D3DRS_DIFFUSEMATERIALSOURCE]);
        k.ambientSource = source(rs[D3DRS_AMBIENTMATERIALSOURCE]);
        k.specularSource = source(rs[D3DRS_SPECULARMATERIALSOURCE]);
        k.emissiveSource = source(rs[D3DRS_EMISSIVEMATERIALSOURCE]);
        for (const LightSlot& slot : lights) {
            if (!slot.enabled || k.lightCount >= kMaxActiveLights) continue;
            k.lightTypes[k.lightCount++] = static_cast<std::uint8_t>(slot.light.Type);
        }
    }
    k.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    k.pointSprite = rs[D3DRS_POINTSPRITEENABLE] != FALSE;
    k.vertexPointSize = !vs && l.pointSize >= 0;
    if (rs[D3DRS_FOGENABLE]) {
        // Table (pixel) fog wins over vertex fog; with neither, the vertex or shader supplies it.
        const DWORD table = rs[D3DRS_FOGTABLEMODE], vertex = rs[D3DRS_FOGVERTEXMODE];
        if (table >= D3DFOG_EXP && table <= D3DFOG_LINEAR) {
            k.fog = kTableFog;
            k.fogFormula = std::uint8_t(table);
        } else if (vertex >= D3DFOG_EXP && vertex <= D3DFOG_LINEAR && !l.rhw && !vs) {
            k.fog = kVertexFog;
            k.fogFormula = std::uint8_t(vertex | (rs[D3DRS_RANGEFOGENABLE] ? 4 : 0));
        } else if (vs || l.specular >= 0) {
            k.fog = kSuppliedFog;
        }
    }
    if (rs[D3DRS_ALPHATESTENABLE] && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS)
        k.alphaFunc = static_cast<std::uint8_t>(std::min<DWORD>(rs[D3DRS_ALPHAFUNC], D3DCMP_ALWAYS));
    for (DWORD s = 0; s < D3DMAXTEXTURESTAGES; ++s) {
        const auto& t = stageStates[s];
        if (t[D3DTSS_COLOROP] == D3DTOP_DISABLE || t[D3DTSS_COLOROP] > D3DTOP_LERP) break;
        StageKey& sk = k.stages[s];
        sk.colorOp = std::uint8_t(t[D3DTSS_COLOROP]);
        sk.colorArg1 = std::uint8_t(t[D3DTSS_COLORARG1]);
        sk.colorArg2 = std::uint8_t(t[D3DTSS_COLORARG2]);
        sk.colorArg0 = std::uint8_t(t[D3DTSS_COLORARG0]);
        sk.alphaOp = std::uint8_t(std::min<DWORD>(t[D3DTSS_ALPHAOP], D3DTOP_LERP + 1));
        sk.alphaArg1 = std::uint8_t(t[D3DTSS_ALPHAARG1]);
        sk.alphaArg2 = std::uint8_t(t[D3DTSS_ALPHAARG2]);
        sk.alphaArg0 = std::uint8_t(t[D3DTSS_ALPHAARG0]);
        sk.resultArg = std::uint8_t(t[D3DTSS_RESULTARG]);
        const bool colorReads = usesTexture(t[D3DTSS_COLOROP], t[D3DTSS_COLORARG0], t[D3DTSS_COLORARG1], t[D3DTSS_COLORARG2]);
        const bool alphaReads = t[D3DTSS_ALPHAOP] != D3DTOP_DISABLE &&
                                usesTexture(t[D3DTSS_ALPHAOP], t[D3DTSS_ALPHAARG0], t[D3DTSS_ALPHAARG1], t[D3DTSS_ALPHAARG2]);
        sk.texture = (colorReads || alphaReads) && textures[s];
        if (!textures[s]) {  // like Direct3D: a stage reading a missing texture passes the current value on
            if (colorReads) sk.colorOp = D3DTOP_SELECTARG1, sk.colorArg1 = D3DTA_CURRENT;
            if (alphaReads) sk.alphaOp = D3DTOP_SELECTARG1, sk.alphaArg1 = D3DTA_CURRENT;
        }
        if (sk.texture && !k.pointSprite) {
            const DWORD index = t[D3DTSS_TEXCOORDINDEX];
            sk.coordIndex = std::uint8_t(index & 7);
            sk.coordGen = (vs || l.rhw) ? 0 : std::uint8_t(std::min<DWORD>((index >> 16) & 0xf, 5));
            sk.coordComponents = vs ? 4 : std::uint8_t(l.texCoordComponents[sk.coordIndex]);
            if (!vs && l.texCoord[sk.coordIndex] < 0) sk.coordComponents = 0;
            const DWORD flags = t[D3DTSS_TEXTURETRANSFORMFLAGS];
            const DWORD count = std::min<DWORD>(flags & 0xff, 4);
            sk.transformCount = (vs || l.rhw) ? 0 : std::uint8_t(count);
            const DWORD components = count ? count : sk.coordComponents;
            sk.projected = (flags & D3DTTFF_PROJECTED) && components >= 2 ? std::uint8_t(components) : 0;
        }
        k.stageCount = std::uint8_t(s + 1);
    }
    *key = k;
}

void Device::uploadUniforms(Program& p) {
    auto stale = [&](UniformGroup g) { return p.seen[g] != generations[g]; };
    auto matrix = [](GLint location, const D3DMATRIX& m) {
        if (location >= 0) glUniformMatrix4fv(location, 1, GL_TRUE, &m.m[0][0]);
    };
    const D3DMATRIX& view = transforms[0];
    if (stale(kTransforms)) {
        const D3DMATRIX worldView = multiply(transforms[10], view);
        matrix(p.worldView, worldView);
        matrix(p.projection, transforms[1]);
        if (p.normalMatrix >= 0) {
            float n[9];
            normalMatrix(worldView, n);
            glUniformMatrix3fv(p.normalMatrix, 1, GL_TRUE, n);
        }
        if (p.texMatrix >= 0) glUniformMatrix4fv(p.texMatrix, 8, GL_TRUE, &transforms[2].m[0][0]);
    }
    if (stale(kLighting) && p.material >= 0) {
        glUniform4fv(p.material, 4, &material.Diffuse.r);  // Diffuse, Ambient, Specular, Emissive in order
        if (p.materialPower >= 0) glUniform1f(p.materialPower, material.Power);
        float ambient[4];
        color4(renderStates[D3DRS_AMBIENT], ambient);
        if (p.ambient >= 0) glUniform4fv(p.ambient, 1, ambient);
        float diffuse[8][4]{}, specular[8][4]{}, lightAmbient[8][4]{}, position[8][3]{}, direction[8][3]{};
        float attenuation[8][4]{}, spot[8][3]{};
        int n = 0;
        for (const LightSlot& slot : lights) {
            if (!slot.enabled || n >= int(kMaxActiveLights)) continue;
            const D3DLIGHT9& l = slot.light;
            std::memcpy(diffuse[n], &l.Diffuse, 16);
            std::memcpy(specular[n], &l.Specular, 16);
            std::memcpy(lightAmbient[n], &l.Ambient, 16);
            const D3DVECTOR& P = l.Position;
            const D3DVECTOR& D = l.Direction;
            for (int c = 0; c < 3; ++c) {
                position[n][c] = P.x * view.m[0][c] + P.y * view.m[1][c] + P.z * view.m[2][c] + view.m[3][c];
                direction[n][c] = D.x * view.m[0][c] + D.y * view.m[1][c] + D.z * view.m[2][c];
            }
            const float length = std::sqrt(direction[n][0] * direction[n][0] + direction[n][1] * direction[n][1] +
                                           direction[n][2] * direction[n][2]);
            if (length > 0)
                for (float& c : direction[n]) c /= length;
            attenuation[n][0] = l.Attenuation0;
            attenuation[n][1] = l.Attenuation1;
            attenuation[n][2] = l.Attenuation2;
            attenuation[n][3] = l.Range;
            spot[n][0] = std::cos(l.Theta / 2);
            spot[n][1] = std::cos(l.Phi / 2);
            spot[n][2] = l.Falloff;
            ++n;
        }
        if (n > 0) {
            if (p.lightDiffuse >= 0) glUniform4fv(p.lightDiffuse, n, diffuse[0]);
            if (p.lightSpecular >= 0) glUniform4fv(p.lightSpecular, n, specular[0]);
            if (p.lightAmbient >= 0) glUniform4fv(p.lightAmbient, n, lightAmbient[0]);
            if (p.lightPosition >= 0) glUniform3fv(p.lightPosition, n, position[0]);
            if (p.lightDirection >= 0) glUniform3fv(p.lightDirection, n, direction[0]);
            if (p.lightAttenuation >= 0) glUniform4fv(p.lightAttenuation, n, attenuation[0]);
            if (p.lightSpot >= 0) glUniform3fv(p.lightSpot, n, spot[0]);
        }
    }
    if (stale(kStageValues)) {
        float c[4];
        color4(renderStates[D3DRS_TEXTUREFACTOR], c);
        if (p.tfactor >= 0) glUniform4fv(p.tfactor, 1, c);
        if (p.stageConstant >= 0) {
            float constantsOfStages[8][4];
            for (int s = 0; s < 8; ++s) color4(stageStates[s][D3DTSS_CONSTANT], constantsOfStages[s]);
            glUniform4fv(p.stageConstant, 8, constantsOfStages[0]);
        }
        if (p.alphaRef >= 0) glUniform1f(p.alphaRef, float(renderStates[D3DRS_ALPHAREF] & 0xff));
        if (p.fogColor >= 0) {
            color4(renderStates[D3DRS_FOGCOLOR], c);
            glUniform4fv(p.fogColor, 1, c);
        }
        if (p.fogParameters >= 0)
            glUniform4f(p.fogParameters, std::bit_cast<float>(renderStates[D3DRS_FOGSTART]),
                        std::bit_cast<float>(renderStates[D3DRS_FOGEND]),
                        std::bit_cast<float>(renderStates[D3DRS_FOGDENSITY]), 0.0f);
        if (p.pointSize >= 0) {
            const float size = std::bit_cast<float>(renderStates[D3DRS_POINTSIZE]);
            const float low = std::bit_cast<float>(renderStates[D3DRS_POINTSIZE_MIN]);
            const float high = std::bit_cast<float>(renderStates[D3DRS_POINTSIZE_MAX]);
            glUniform3f(p.pointSize, size, low, high);
        }
    }
    if (stale(kViewport)) {
        if (p.viewport >= 0)
            glUniform4f(p.viewport, float(viewport.X), float(viewport.Y), float(viewport.Width), float(viewport.Height));
        if (p.depthRange >= 0) glUniform2f(p.depthRange, viewport.MinZ, viewport.MaxZ);
        if (p.yFlip >= 0) {
            const bool inWindow = drawsInWindow();
            glUniform2f(p.yFlip, inWindow ? -1.0f : 1.0f, inWindow ? 1.0f / (128.0f * float(viewport.Height)) : 0.0f);
        }
    }
    if (stale(kConstants) && p.constants >= 0) glUniform4fv(p.constants, kMaxConstants, constants.data());
    p.seen = generations;
}

// Blending that mixes by the source's alpha replaces the target where that alpha is 1.
bool Device::blendReplacesOpaque(const GlRenderState& w) {
    auto source = [](GLenum f) { return f == GL_SRC_ALPHA || f == GL_ONE; };
    auto destination = [](GLenum f) { return f == GL_ONE_MINUS_SRC_ALPHA || f == GL_ZERO; };
    return w.equationRgb == GL_FUNC_ADD && w.equationAlpha == GL_FUNC_ADD && source(w.srcRgb) &&
           source(w.srcAlpha) && destination(w.dstRgb) && destination(w.dstAlpha);
}

// Whether the current program's alpha is exactly 1 for this draw, with the vertices' diffuse
// alpha known to be 1 or not. Then a draw that blends by source alpha is drawn without blending,
// which the rasterizer treats as opaque: it reads nothing back and drops whatever the draw covers.
bool Device::sourceAlphaIsOne(bool vertexAlpha) const {
    const ProgramKey& k = lastKey;
    if (k.shaderId) return false;
    bool diffuse = vertexAlpha;
    if (k.lighting)
        diffuse = k.diffuseSource == D3DMCS_COLOR1 ? vertexAlpha
                  : k.diffuseSource == D3DMCS_MATERIAL ? material.Diffuse.a >= 1.0f : false;
    bool current = diffuse, temp = false;
    for (int s = 0; s < k.stageCount; ++s) {
        const StageKey& st = k.stages[s];
        auto one = [&](std::uint8_t arg) {
            if (arg & D3DTA_COMPLEMENT) return false;
            switch (arg & D3DTA_SELECTMASK) {
            case D3DTA_DIFFUSE: return diffuse;
            case D3DTA_CURRENT: return current;
            case D3DTA_TEMP: return temp;
            case D3DTA_TFACTOR: return (renderStates[D3DRS_TEXTUREFACTOR] >> 24) == 0xff;
            case D3DTA_CONSTANT: return (stageStates[s][D3DTSS_CONSTANT] >> 24) == 0xff;
            case D3DTA_TEXTURE:
                return st.texture && !formatInfo(static_cast<Texture*>(textures[s].get())->format()).hasAlpha;
            default: return false;
            }
        };
        bool a = false;
        if (st.colorOp == D3DTOP_DOTPRODUCT3) a = false;
        else if (st.alphaOp == D3DTOP_DISABLE || st.alphaOp > D3DTOP_LERP) a = current;
        else if (st.alphaOp == D3DTOP_SELECTARG1) a = one(st.alphaArg1);
        else if (st.alphaOp == D3DTOP_SELECTARG2) a = one(st.alphaArg2);
        else if (st.alphaOp == D3DTOP_MODULATE) a = one(st.alphaArg1) && one(st.alphaArg2);
        ((st.resultArg & D3DTA_SELECTMASK) == D3DTA_TEMP ? temp : current) = a;
    }
    return current;
}

HRESULT Device::prepareDraw(const VertexLayout& l) {
    if (!l.valid) return D3DERR_INVALIDCALL;
    context->makeCurrent();
    bindTargets();
    if (renderStatesDirty) {
        translateRenderStates();
        renderStatesDirty = false;
    }
    // Pre-transformed vertices are not clipped against depth, nor is anything with CLIPPING off.
    wantedGl.depthClamp = l.rhw || !renderStates[D3DRS_CLIPPING];
    applySamplers();
    if (keyDirty || lastKeyFvf != fvf || !lastProgram) {
        ProgramKey key;
        buildKey(l, &key);
        if (!lastProgram || !(key == lastKey)) {
            std::string error;
            lastProgram = shaders.get(key, static_cast<VertexShader*>(vertexShader.get()), &error);
            lastKey = key;
        }
        keyDirty = false;
        lastKeyFvf = fvf;
    }
    if (!lastProgram) return D3DERR_INVALIDCALL;
    if (wantedGl.blend && blendReplacesOpaque(wantedGl) &&
        sourceAlphaIsOne(diffuseAlphaOne(drawn.diffuse, drawn.data, drawn.count, drawn.stride))) {
        GlRenderState opaque = wantedGl;
        opaque.blend = false;
        gl.apply(opaque);
    } else {
        gl.apply(wantedGl);
    }
    const GlRenderState& applied = gl.current();
    if ((applied.depthTest && applied.depthWrite) || applied.stencil) cleanDepth = nullptr;
    if (applied.stencil) knownStencil = nullptr;
    gl.useProgram(lastProgram->id);
    uploadUniforms(*lastProgram);
    for (GLuint s = 0; s < lastKey.stageCount; ++s) {
        if (!lastKey.stages[s].texture) continue;
        gl.bindTexture(s, static_cast<Texture*>(textures[s].get())->name());
        gl.bindSampler(s, samplers[s]);
    }
    return D3D_OK;
}

template <class Call>
void Device::drawGl(UINT primitives, Call call) {
    if (!DrawProfile::active()) {
        call();
        return;
    }
    DrawProfile::begin();
    call();
    DrawProfile::end(DrawProfile::describe(lastKey, gl.current().blend, gl.current().depthTest,
                                           gl.current().depthWrite),
                     renderTarget->width(), renderTarget->height(), primitives);
}

// --- draws --------------------------------------------------------------------------------------------------
UINT Device::vertexCountOf(D3DPRIMITIVETYPE type, UINT n) {
    switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return n * 2;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return n * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    }
    return 0;
}

size_t Device::stream(GLuint buffer, size_t* position, size_t capacity, const void* data, size_t size, size_t align) {
    const GLenum target = buffer == streamIndices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
    if (target == GL_ARRAY_BUFFER) gl.bindArrayBuffer(buffer);
    else glBindBuffer(target, buffer);
    size_t at = (*position + align - 1) / align * align;
    if (at + size > capacity) {
        glBufferData(target, capacity, nullptr, GL_STREAM_DRAW);  // orphan: the GPU keeps the old storage
        at = 0;
    }
    void* mapped = glMapBufferRange(target, at, size,
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (mapped) {
        std::memcpy(mapped, data, size);
        glUnmapBuffer(target);
    } else {
        glBufferSubData(target, at, size, data);
    }
    *position = at + size;
    return at;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const UINT count = vertexCountOf(type, primitiveCount);
    if (count == 0) return primitiveCount == 0 && type <= D3DPT_TRIANGLEFAN ? D3D_OK : D3DERR_INVALIDCALL;
    auto* vb = static_cast<VertexBuffer*>(streamSource.buffer.get());
    const VertexLayout l = layoutOf(fvf);
    if (!vb || streamSource.stride == 0 || recording) return D3DERR_INVALIDCALL;
    const size_t available = vb->length() > streamSource.offset ? vb->length() - streamSource.offset : 0;
    const size_t last = size_t(streamSource.stride) * (size_t(startVertex) + count - 1) + l.size;
    if (last > available) return D3DERR_INVALIDCALL;
    if (skipping) return D3D_OK;
    drawn = {nullptr, 0, 0, l.diffuse};
    HRESULT hr = prepareDraw(l);
    if (FAILED(hr)) return hr;
    bindAttributes(l, vb->name(), streamSource.offset, streamSource.stride);
    drawGl(primitiveCount, [&] { glDrawArrays(kPrimitive[type], static_cast<GLint>(startVertex), static_cast<GLsizei>(count)); });
    return D3D_OK;
}

namespace {

template <class Index>
bool indicesWithin(const void* data, size_t count, size_t low, size_t high) {
    const auto* i = static_cast<const Index*>(data);
    for (size_t k = 0; k < count; ++k)
        if (i[k] < low || i[k] >= high) return false;
    return true;
}

}  // namespace

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minIndex, UINT vertexCount,
                                     UINT startIndex, UINT primitiveCount) {
    const UINT count = vertexCountOf(type, primitiveCount);
    if (count == 0) return primitiveCount == 0 && type <= D3DPT_TRIANGLEFAN ? D3D_OK : D3DERR_INVALIDCALL;
    auto* vb = static_cast<VertexBuffer*>(streamSource.buffer.get());
    auto* ib = static_cast<IndexBuffer*>(indices.get());
    const VertexLayout l = layoutOf(fvf);
    if (!vb || !ib || streamSource.stride == 0 || recording) return D3DERR_INVALIDCALL;
    const size_t indexSize = ib->format() == D3DFMT_INDEX32 ? 4 : 2;
    if ((size_t(startIndex) + count) * indexSize > ib->length()) return D3DERR_INVALIDCALL;
    // Every index must name a vertex inside the buffer: GL would read outside it.
    const size_t available = vb->length() > streamSource.offset ? vb->length() - streamSource.offset : 0;
    if (available < l.size) return D3DERR_INVALIDCALL;
    const long long vertices = (available - l.size) / streamSource.stride + 1;
    const long long low = std::max<long long>(0, -static_cast<long long>(baseVertexIndex));
    const long long high = vertices - baseVertexIndex;
    if (high <= low) return D3DERR_INVALIDCALL;
    size_t smallest = 0, largest = 0;
    ib->indexBounds(startIndex, count, &smallest, &largest);
    if (smallest < size_t(low) || largest >= size_t(high)) return D3DERR_INVALIDCALL;
    if (skipping) return D3D_OK;
    drawn = {nullptr, 0, 0, l.diffuse};
    HRESULT hr = prepareDraw(l);
    if (FAILED(hr)) return hr;
    bindAttributes(l, vb->name(), streamSource.offset, streamSource.stride);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib->name());
    drawGl(primitiveCount, [&] {
        glDrawElementsBaseVertex(kPrimitive[type], static_cast<GLsizei>(count),
                                 indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                 reinterpret_cast<const void*>(size_t(startIndex) * indexSize), baseVertexIndex);
    });
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
    const UINT count = vertexCountOf(type, primitiveCount);
    if (count == 0) return primitiveCount == 0 && type <= D3DPT_TRIANGLEFAN ? D3D_OK : D3DERR_INVALIDCALL;
    const VertexLayout l = layoutOf(fvf);
    if (!vertices || stride == 0 || stride < l.size || recording) return D3DERR_INVALIDCALL;
    const size_t bytes = size_t(count) * stride;
    if (bytes > kStreamVertexBytes) return D3DERR_INVALIDCALL;
    streamSource = {};  // Direct3D leaves stream 0 unset after a UP draw
    if (skipping) return D3D_OK;
    drawn = {vertices, count, stride, l.diffuse};
    HRESULT hr = prepareDraw(l);
    if (FAILED(hr)) return hr;
    const size_t at = stream(streamVertices, &streamVertexPosition, kStreamVertexBytes, vertices, bytes, stride);
    bindAttributes(l, streamVertices, 0, stride);
    drawGl(primitiveCount, [&] { glDrawArrays(kPrimitive[type], static_cast<GLint>(at / stride), static_cast<GLsizei>(count)); });
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                       const void* indexData, D3DFORMAT indexFormat, const void* vertices,
                                       UINT stride) {
    const UINT count = vertexCountOf(type, primitiveCount);
    if (count == 0) return primitiveCount == 0 && type <= D3DPT_TRIANGLEFAN ? D3D_OK : D3DERR_INVALIDCALL;
    const VertexLayout l = layoutOf(fvf);
    if (!vertices || !indexData || stride == 0 || stride < l.size || vertexCount == 0 || recording)
        return D3DERR_INVALIDCALL;
    if (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    const size_t indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    const size_t vertexBytes = size_t(vertexCount) * stride, indexBytes = size_t(count) * indexSize;
    if (vertexBytes > kStreamVertexBytes || indexBytes > kStreamIndexBytes) return D3DERR_INVALIDCALL;
    const bool inside = indexSize == 4 ? indicesWithin<std::uint32_t>(indexData, count, minIndex, size_t(minIndex) + vertexCount)
                                       : indicesWithin<std::uint16_t>(indexData, count, minIndex, size_t(minIndex) + vertexCount);
    if (!inside) return D3DERR_INVALIDCALL;
    streamSource = {};
    indices = nullptr;
    if (skipping) return D3D_OK;
    const auto* firstVertex = static_cast<const BYTE*>(vertices) + size_t(minIndex) * stride;
    drawn = {firstVertex, vertexCount, stride, l.diffuse};
    HRESULT hr = prepareDraw(l);
    if (FAILED(hr)) return hr;
    const size_t at = stream(streamVertices, &streamVertexPosition, kStreamVertexBytes, firstVertex, vertexBytes, stride);
    bindAttributes(l, streamVertices, 0, stride);
    const size_t indexAt = stream(streamIndices, &streamIndexPosition, kStreamIndexBytes, indexData, indexBytes, indexSize);
    drawGl(primitiveCount, [&] {
        glDrawElementsBaseVertex(kPrimitive[type], static_cast<GLsizei>(count),
                                 indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(indexAt),
                                 static_cast<GLint>(at / stride) - static_cast<GLint>(minIndex));
    });
    return D3D_OK;
}

}  // namespace d3d9
