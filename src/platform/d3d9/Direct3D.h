// The Direct3D object: adapter 0 is SDL's display 0, its modes are SDL's display modes (listed in
// X8R8G8B8 and R5G6B5), and its capabilities are those of an OpenGL 3.3 core context probed once
// at creation. Holds the SDL video subsystem while it lives.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <vector>

namespace d3d9 {

class Direct3D final : public IDirect3D9 {
public:
    static ComRef<IDirect3D9> create();  // null when no OpenGL 3.3 core context can be had

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* result) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, ComRef<IDirect3DDevice9>* device) override;

    UINT maxTextureSize() const { return textureSize; }
    UINT maxSamples() const { return samples; }

private:
    Direct3D() = default;
    ~Direct3D() override;
    std::vector<D3DDISPLAYMODE> modes() const;  // display 0, sorted, without duplicates

    bool videoStarted = false;
    UINT textureSize = 2048;  // GL_MAX_TEXTURE_SIZE
    UINT samples = 0;         // GL_MAX_SAMPLES
    float pointSize = 64;     // largest point size
};

}  // namespace d3d9
