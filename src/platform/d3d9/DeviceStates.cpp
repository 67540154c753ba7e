// States: render, texture stage and sampler states, transforms, viewport, lights and material,
// state blocks; their defaults; and their translation to GL state.
#include "platform/d3d9/Device.h"

#include "platform/d3d9/MatrixMath.h"
#include "platform/d3d9/Formats.h"
#include "platform/d3d9/VertexShader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <bit>
#include <cmath>

namespace d3d9 {

namespace {

DWORD floatBits(float f) { return std::bit_cast<DWORD>(f); }

D3DLIGHT9 defaultLight() {  // what LightEnable finds at an index SetLight never filled
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1, 1, 1, 0};
    l.Direction = {0, 0, 1};
    return l;
}

// Where a render state goes: the generated program's key, the uniforms that carry values, or only
// GL's fixed state. A change reaches only what it feeds, so the blend and depth switches between
// widgets and overlays neither rebuild a program key nor upload uniforms again.
enum StateUse : std::uint8_t { kFixedState = 0, kProgramKey = 1, kUniformValue = 2 };

constexpr std::array<std::uint8_t, D3DRS_COUNT> kStateUse = [] {
    std::array<std::uint8_t, D3DRS_COUNT> use{};
    for (D3DRENDERSTATETYPE s : {D3DRS_SHADEMODE, D3DRS_ALPHATESTENABLE, D3DRS_ALPHAFUNC, D3DRS_FOGENABLE,
                                 D3DRS_SPECULARENABLE, D3DRS_FOGTABLEMODE, D3DRS_FOGVERTEXMODE, D3DRS_RANGEFOGENABLE,
                                 D3DRS_LIGHTING, D3DRS_COLORVERTEX, D3DRS_LOCALVIEWER, D3DRS_NORMALIZENORMALS,
                                 D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE,
                                 D3DRS_AMBIENTMATERIALSOURCE, D3DRS_EMISSIVEMATERIALSOURCE, D3DRS_POINTSPRITEENABLE})
        use[s] |= kProgramKey;
    for (D3DRENDERSTATETYPE s : {D3DRS_TEXTUREFACTOR, D3DRS_ALPHAREF, D3DRS_FOGCOLOR, D3DRS_FOGSTART, D3DRS_FOGEND,
                                 D3DRS_FOGDENSITY, D3DRS_POINTSIZE, D3DRS_POINTSIZE_MIN, D3DRS_POINTSIZE_MAX,
                                 D3DRS_AMBIENT})
        use[s] |= kUniformValue;
    return use;
}();

}  // namespace

// --- defaults -----------------------------------------------------------------------------------------
void Device::setDefaultStates() {
    struct Default {
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    const Default defaults[] = {
        {D3DRS_ZENABLE, autoDepth ? DWORD(D3DZB_TRUE) : DWORD(D3DZB_FALSE)},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_LASTPIXEL, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAREF, 0},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_DITHERENABLE, FALSE},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_SPECULARENABLE, FALSE},
        {D3DRS_FOGCOLOR, 0},
        {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
        {D3DRS_FOGSTART, floatBits(0)},
        {D3DRS_FOGEND, floatBits(1)},
        {D3DRS_FOGDENSITY, floatBits(1)},
        {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
        {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
        {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
        {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_STENCILREF, 0},
        {D3DRS_STENCILMASK, 0xffffffff},
        {D3DRS_STENCILWRITEMASK, 0xffffffff},
        {D3DRS_TEXTUREFACTOR, 0xffffffff},
        {D3DRS_CLIPPING, TRUE},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_AMBIENT, 0},
        {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_LOCALVIEWER, TRUE},
        {D3DRS_NORMALIZENORMALS, FALSE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_POINTSIZE, floatBits(1)},
        {D3DRS_POINTSIZE_MIN, floatBits(1)},
        {D3DRS_POINTSPRITEENABLE, FALSE},
        {D3DRS_POINTSCALEENABLE, FALSE},
        {D3DRS_POINTSCALE_A, floatBits(1)},
        {D3DRS_POINTSCALE_B, floatBits(0)},
        {D3DRS_POINTSCALE_C, floatBits(0)},
        {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
        {D3DRS_MULTISAMPLEMASK, 0xffffffff},
        {D3DRS_POINTSIZE_MAX, floatBits(64)},
        {D3DRS_COLORWRITEENABLE, 0xf},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
        {D3DRS_SCISSORTESTENABLE, FALSE},
        {D3DRS_SLOPESCALEDEPTHBIAS, 0},
        {D3DRS_BLENDFACTOR, 0xffffffff},
        {D3DRS_DEPTHBIAS, 0},
        {D3DRS_SEPARATEALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
        {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
        {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD},
    };
    renderStates.fill(0);
    for (const Default& d : defaults) renderStates[d.state] = d.value;

    for (DWORD s = 0; s < D3DMAXTEXTURESTAGES; ++s) {
        auto& t = stageStates[s];
        t.fill(0);
        t[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = s;
        t[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    for (auto& sampler : samplerStates) {
        sampler.fill(0);
        sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sampler[D3DSAMP_MAXANISOTROPY] = 1;
    }
    transforms.fill(identityMatrix());
    renderStatesDirty = true;
    keyDirty = true;
    samplersDirty.fill(true);
    for (auto& g : generations) ++g;
}

// --- render, stage and sampler states --------------------------------------------------------------------
HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->renderState(state, value);
        return D3D_OK;
    }
    if (renderStates[state] == value) return D3D_OK;
    renderStates[state] = value;
    renderStatesDirty = true;
    const std::uint8_t use = GlState::kReapplyEverything ? kProgramKey | kUniformValue : kStateUse[state];
    if (use & kProgramKey) keyDirty = true;
    if (use & kUniformValue) ++generations[state == D3DRS_AMBIENT ? kLighting : kStageValues];
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (state >= D3DRS_COUNT || !value) return D3DERR_INVALIDCALL;
    *value = renderStates[state];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= D3DMAXTEXTURESTAGES || type >= D3DTSS_COUNT) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->stageState(stage, type, value);
        return D3D_OK;
    }
    if (stageStates[stage][type] == value) return D3D_OK;
    stageStates[stage][type] = value;
    keyDirty = true;
    if (type == D3DTSS_CONSTANT) ++generations[kStageValues];
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (stage >= D3DMAXTEXTURESTAGES || type >= D3DTSS_COUNT || !value) return D3DERR_INVALIDCALL;
    *value = stageStates[stage][type];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= D3DMAXSAMPLERS || type >= D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->samplerState(sampler, type, value);
        return D3D_OK;
    }
    if (samplerStates[sampler][type] == value) return D3D_OK;
    samplerStates[sampler][type] = value;
    samplersDirty[sampler] = true;
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (sampler >= D3DMAXSAMPLERS || type >= D3DSAMP_COUNT || !value) return D3DERR_INVALIDCALL;
    *value = samplerStates[sampler][type];
    return D3D_OK;
}

// --- transforms and viewport -------------------------------------------------------------------------------
int Device::transformIndex(D3DTRANSFORMSTATETYPE state) {
    if (state == D3DTS_VIEW) return 0;
    if (state == D3DTS_PROJECTION) return 1;
    if (state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + 8) return 2 + (state - D3DTS_TEXTURE0);
    if (state == D3DTS_WORLD) return 10;
    return -1;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    int i = transformIndex(state);
    if (i < 0 || !matrix) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->transform(state, *matrix);
        return D3D_OK;
    }
    transforms[i] = *matrix;
    ++generations[kTransforms];
    if (state == D3DTS_VIEW) ++generations[kLighting];  // lights are kept in camera space
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    int i = transformIndex(state);
    if (i < 0 || !matrix) return D3DERR_INVALIDCALL;
    *matrix = transforms[i];
    return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    int i = transformIndex(state);
    if (i < 0 || !matrix) return D3DERR_INVALIDCALL;
    D3DMATRIX product = multiply(*matrix, transforms[i]);
    return SetTransform(state, &product);
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* v) {
    if (!v) return D3DERR_INVALIDCALL;
    if (v->Width == 0 || v->Height == 0 || v->X + v->Width > renderTarget->width() ||
        v->Y + v->Height > renderTarget->height() || !(v->MinZ >= 0 && v->MaxZ <= 1 && v->MinZ <= v->MaxZ))
        return D3DERR_INVALIDCALL;
    if (recording) {
        recording->viewport(*v);
        return D3D_OK;
    }
    viewport = *v;
    ++generations[kViewport];
    renderStatesDirty = true;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* v) {
    if (!v) return D3DERR_INVALIDCALL;
    *v = viewport;
    return D3D_OK;
}

// --- lighting ------------------------------------------------------------------------------------------------
HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL || index > 0xffff ||
        !(light->Range >= 0))
        return D3DERR_INVALIDCALL;
    if (recording) {
        recording->light(index, *light);
        return D3D_OK;
    }
    if (index >= lights.size()) lights.resize(index + 1, LightSlot{defaultLight(), false});
    lights[index].light = *light;
    ++generations[kLighting];
    keyDirty = true;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    if (index > 0xffff) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->lightEnable(index, enable);
        return D3D_OK;
    }
    if (index >= lights.size()) lights.resize(index + 1, LightSlot{defaultLight(), false});
    if (lights[index].enabled == (enable != FALSE)) return D3D_OK;
    lights[index].enabled = enable != FALSE;
    ++generations[kLighting];
    keyDirty = true;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* m) {
    if (!m) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->material(*m);
        return D3D_OK;
    }
    material = *m;
    ++generations[kLighting];
    return D3D_OK;
}

// --- geometry and texture bindings --------------------------------------------------------------------------
HRESULT Device::SetFVF(DWORD value) {
    if (recording) {
        recording->fvf(value);
        return D3D_OK;
    }
    if (fvf != value) keyDirty = true;
    fvf = value;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    if (streamNumber != 0) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->streamSource(buffer, offset, stride);
        return D3D_OK;
    }
    streamSource = {ComRef<IDirect3DVertexBuffer9>::share(buffer), offset, stride};
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
    if (recording) {
        recording->indices(buffer);
        return D3D_OK;
    }
    indices = ComRef<IDirect3DIndexBuffer9>::share(buffer);
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DTexture9* texture) {
    if (stage >= D3DMAXSAMPLERS) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->texture(stage, texture);
        return D3D_OK;
    }
    if (textures[stage].get() == texture) return D3D_OK;
    if ((textures[stage].get() == nullptr) != (texture == nullptr)) keyDirty = true;
    textures[stage] = ComRef<IDirect3DTexture9>::share(texture);
    return D3D_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
    if (recording) {
        recording->vertexShader(shader);
        return D3D_OK;
    }
    if (vertexShader.get() != shader) keyDirty = true;
    vertexShader = ComRef<IDirect3DVertexShader9>::share(shader);
    return D3D_OK;
}

HRESULT Device::SetVertexShaderConstantF(UINT start, const float* data, UINT count) {
    if (!data || start >= kMaxConstants || count > kMaxConstants - start) return D3DERR_INVALIDCALL;
    if (recording) {
        recording->vertexShaderConstants(start, data, count);
        return D3D_OK;
    }
    std::copy(data, data + count * 4, constants.begin() + start * 4);
    ++generations[kConstants];
    return D3D_OK;
}

// --- state blocks --------------------------------------------------------------------------------------------
HRESULT Device::BeginStateBlock() {
    if (recording) return D3DERR_INVALIDCALL;
    recording = ComRef<StateBlock>::adopt(new StateBlock(self));
    return D3D_OK;
}

HRESULT Device::EndStateBlock(ComRef<IDirect3DStateBlock9>* block) {
    if (!block || !recording) return D3DERR_INVALIDCALL;
    *block = ComRef<IDirect3DStateBlock9>::share(recording.get());
    recording = nullptr;
    return D3D_OK;
}

// --- to GL -----------------------------------------------------------------------------------------------------
void Device::translateRenderStates() {
    const auto& rs = renderStates;
    GlRenderState& w = wantedGl;
    auto factors = [](DWORD src, DWORD dst, GLenum* s, GLenum* d) {
        *s = lookup(kBlendFactor, src, GL_ONE);
        *d = lookup(kBlendFactor, dst, GL_ZERO);
        if (src == D3DBLEND_BOTHSRCALPHA) *s = GL_SRC_ALPHA, *d = GL_ONE_MINUS_SRC_ALPHA;
        if (src == D3DBLEND_BOTHINVSRCALPHA) *s = GL_ONE_MINUS_SRC_ALPHA, *d = GL_SRC_ALPHA;
    };
    w.blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    factors(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &w.srcRgb, &w.dstRgb);
    w.equationRgb = lookup(kBlendOp, rs[D3DRS_BLENDOP], GL_FUNC_ADD);
    if (rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
        factors(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], &w.srcAlpha, &w.dstAlpha);
        w.equationAlpha = lookup(kBlendOp, rs[D3DRS_BLENDOPALPHA], GL_FUNC_ADD);
    } else {
        w.srcAlpha = w.srcRgb, w.dstAlpha = w.dstRgb, w.equationAlpha = w.equationRgb;
    }
    w.blendColor = rs[D3DRS_BLENDFACTOR];

    // A test that always passes and writes nothing changes no pixel; without it the rasterizer
    // neither reads the depth buffer nor leaves its fast paths (overlays are drawn this way).
    const bool depthIdle = rs[D3DRS_ZFUNC] == D3DCMP_ALWAYS && rs[D3DRS_ZWRITEENABLE] == FALSE;
    w.depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE && depthUsable && !depthIdle;
    w.depthFunc = lookup(kCompare, rs[D3DRS_ZFUNC], GL_LEQUAL);
    w.depthWrite = w.depthTest && rs[D3DRS_ZWRITEENABLE] != FALSE;

    // In a target rows run top-down, so GL's front faces (counter-clockwise) are clockwise on
    // screen; the window's rows run bottom-up and the picture is drawn mirrored into it, which
    // mirrors the winding back. The same goes for a point sprite's first row.
    const bool inWindow = drawsInWindow();
    w.cull = rs[D3DRS_CULLMODE] == D3DCULL_CW || rs[D3DRS_CULLMODE] == D3DCULL_CCW;
    w.cullFace = rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK;
    w.frontFace = inWindow ? GL_CW : GL_CCW;
    w.pointOrigin = inWindow ? GL_UPPER_LEFT : GL_LOWER_LEFT;

    w.colorMask = rs[D3DRS_COLORWRITEENABLE] & 0xf;
    if (!formatInfo(renderTarget->format()).hasAlpha) w.colorMask &= 0x7;

    w.stencil = rs[D3DRS_STENCILENABLE] != FALSE && depthUsable && hasStencil(depthStencil->format());
    w.stencilFunc = lookup(kCompare, rs[D3DRS_STENCILFUNC], GL_ALWAYS);
    w.stencilRef = static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xff);
    w.stencilMask = rs[D3DRS_STENCILMASK];
    w.stencilWriteMask = rs[D3DRS_STENCILWRITEMASK];
    w.stencilFail = lookup(kStencilOp, rs[D3DRS_STENCILFAIL], GL_KEEP);
    w.stencilDepthFail = lookup(kStencilOp, rs[D3DRS_STENCILZFAIL], GL_KEEP);
    w.stencilPass = lookup(kStencilOp, rs[D3DRS_STENCILPASS], GL_KEEP);

    w.polygonMode = lookup(kFillMode, rs[D3DRS_FILLMODE], GL_FILL);
    w.multisample = rs[D3DRS_MULTISAMPLEANTIALIAS] != FALSE;
    w.scissor = false;
    w.viewport = {GLint(viewport.X), glRow(long(viewport.Y), long(viewport.Height)), GLint(viewport.Width),
                  GLint(viewport.Height)};
    w.depthNear = viewport.MinZ;
    w.depthFar = viewport.MaxZ;
    w.polygonOffsetFactor = std::bit_cast<float>(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
    w.polygonOffsetUnits = std::bit_cast<float>(rs[D3DRS_DEPTHBIAS]) * float(1 << 24);
}

void Device::applySamplers() {
    for (DWORD s = 0; s < D3DMAXSAMPLERS; ++s) {
        if (!samplersDirty[s]) continue;
        samplersDirty[s] = false;
        const auto& st = samplerStates[s];
        const GLuint id = samplers[s];
        glSamplerParameteri(id, GL_TEXTURE_WRAP_S, lookup(kAddress, st[D3DSAMP_ADDRESSU], GL_REPEAT));
        glSamplerParameteri(id, GL_TEXTURE_WRAP_T, lookup(kAddress, st[D3DSAMP_ADDRESSV], GL_REPEAT));
        const bool magLinear = st[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
        const bool minLinear = st[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
        glSamplerParameteri(id, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
        GLenum min = minLinear ? GL_LINEAR : GL_NEAREST;
        if (st[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
            min = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        else if (st[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR)
            min = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        glSamplerParameteri(id, GL_TEXTURE_MIN_FILTER, min);
        const D3DCOLOR b = st[D3DSAMP_BORDERCOLOR];
        const GLfloat border[4] = {((b >> 16) & 0xff) / 255.0f, ((b >> 8) & 0xff) / 255.0f, (b & 0xff) / 255.0f,
                                   (b >> 24) / 255.0f};
        glSamplerParameterfv(id, GL_TEXTURE_BORDER_COLOR, border);
        glSamplerParameterf(id, GL_TEXTURE_LOD_BIAS, std::bit_cast<float>(st[D3DSAMP_MIPMAPLODBIAS]));
        glSamplerParameterf(id, GL_TEXTURE_MIN_LOD, float(st[D3DSAMP_MAXMIPLEVEL]));
        if (anisotropy > 1) {
            const bool anisotropic =
                st[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC || st[D3DSAMP_MAGFILTER] == D3DTEXF_ANISOTROPIC;
            const float wanted = anisotropic ? float(std::max<DWORD>(st[D3DSAMP_MAXANISOTROPY], 1)) : 1.0f;
            glSamplerParameterf(id, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::min(wanted, anisotropy));
        }
    }
}

}  // namespace d3d9
