#include "platform/d3d9/Direct3D.h"

#include "platform/d3d9/Device.h"
#include "platform/d3d9/Formats.h"
#include "platform/d3d9/GlContext.h"
#include "platform/win/XServerSync.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <tuple>

ComRef<IDirect3D9> Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return d3d9::Direct3D::create();
}

namespace d3d9 {

namespace {

bool isAdapterFormat(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5; }

bool isDepthFormat(D3DFORMAT f) { return f == D3DFMT_D24S8 || f == D3DFMT_D24X8 || f == D3DFMT_D16; }

}  // namespace

ComRef<IDirect3D9> Direct3D::create() {
    auto* d = new Direct3D;
    ComRef<IDirect3D9> ref = ComRef<IDirect3D9>::adopt(d);
    if (!win::startSdlVideo()) return nullptr;
    d->videoStarted = true;
    std::shared_ptr<GlContext> probe = GlContext::create(nullptr, nullptr);
    if (!probe) return nullptr;
    probe->makeCurrent();
    GLint major = 0, minor = 0, size = 0, maxSamples = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major * 10 + minor < 33) return nullptr;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    GLfloat range[2] = {1, 64};
    glGetFloatv(GL_POINT_SIZE_RANGE, range);
    d->textureSize = static_cast<UINT>(std::max(size, 256));
    d->samples = static_cast<UINT>(std::max(maxSamples, 0));
    d->pointSize = std::max(range[1], 1.0f);
    return ref;
}

Direct3D::~Direct3D() {
    if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<D3DDISPLAYMODE> Direct3D::modes() const {
    std::vector<D3DDISPLAYMODE> list;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
        list.push_back({UINT(m.w), UINT(m.h), UINT(m.refresh_rate), D3DFMT_UNKNOWN});
    }
    auto key = [](const D3DDISPLAYMODE& m) { return std::tuple(m.Width, m.Height, m.RefreshRate); };
    std::sort(list.begin(), list.end(), [&](auto& a, auto& b) { return key(a) < key(b); });
    list.erase(std::unique(list.begin(), list.end(), [&](auto& a, auto& b) { return key(a) == key(b); }),
               list.end());
    return list;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
    SDL_DisplayMode m;
    if (SDL_GetDesktopDisplayMode(0, &m) != 0) return D3DERR_NOTAVAILABLE;
    mode->Width = m.w;
    mode->Height = m.h;
    mode->RefreshRate = m.refresh_rate;
    mode->Format = SDL_BITSPERPIXEL(m.format) == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
    return D3D_OK;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    if (adapter != 0 || !isAdapterFormat(format)) return 0;
    return static_cast<UINT>(modes().size());
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* result) {
    if (adapter != 0 || !result) return D3DERR_INVALIDCALL;
    if (!isAdapterFormat(format)) return D3DERR_NOTAVAILABLE;
    std::vector<D3DDISPLAYMODE> list = modes();
    if (mode >= list.size()) return D3DERR_INVALIDCALL;
    *result = list[mode];
    result->Format = format;
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL || !isAdapterFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL) return isDepthFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_RENDERTARGET) return isColorTargetFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (resourceType == D3DRTYPE_VERTEXBUFFER || resourceType == D3DRTYPE_INDEXBUFFER) return D3D_OK;
    FormatInfo info = formatInfo(checkFormat);
    return info.internalFormat && !info.depth ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL || !isAdapterFormat(adapterFormat) || !isColorTargetFormat(renderTargetFormat) ||
        !isDepthFormat(depthStencilFormat))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                             D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels) {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    const bool known = isColorTargetFormat(surfaceFormat) || isDepthFormat(surfaceFormat);
    if (type != D3DDEVTYPE_HAL || !known) return D3DERR_NOTAVAILABLE;
    if (multiSample == D3DMULTISAMPLE_NONE) {
        if (qualityLevels) *qualityLevels = 1;
        return D3D_OK;
    }
    if (multiSample != D3DMULTISAMPLE_NONMASKABLE || samples < 2) return D3DERR_NOTAVAILABLE;
    // Quality level q stands for 2^(q+1) samples.
    DWORD levels = 0;
    for (UINT s = 2; s <= std::min(samples, 8u); s *= 2) ++levels;
    if (qualityLevels) *qualityLevels = levels;
    return D3D_OK;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    *caps = D3DCAPS9{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = 0;
    caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_TWO;
    caps->VertexShaderVersion = D3DVS_VERSION(1, 1);
    caps->MaxVertexShaderConst = Device::kMaxConstants;
    caps->MaxTextureWidth = textureSize;
    caps->MaxTextureHeight = textureSize;
    caps->MaxActiveLights = Device::kMaxActiveLights;
    caps->MaxTextureBlendStages = D3DMAXTEXTURESTAGES;
    caps->MaxSimultaneousTextures = D3DMAXSAMPLERS;
    caps->MaxPointSize = pointSize;
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* parameters, ComRef<IDirect3DDevice9>* device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (adapter != 0 || !parameters) return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    HWND target = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
    if (!target) return D3DERR_INVALIDCALL;
    if (parameters->MultiSampleType == D3DMULTISAMPLE_NONMASKABLE) {
        DWORD levels = 0;
        if (FAILED(CheckDeviceMultiSampleType(0, type, parameters->BackBufferFormat, parameters->Windowed,
                                              D3DMULTISAMPLE_NONMASKABLE, &levels)) ||
            parameters->MultiSampleQuality >= levels)
            return D3DERR_INVALIDCALL;
    } else if (parameters->MultiSampleType != D3DMULTISAMPLE_NONE) {
        return D3DERR_INVALIDCALL;
    }
    return Device::create(ComRef<IDirect3D9>::share(this), target, parameters, device);
}

}  // namespace d3d9
