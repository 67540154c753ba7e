// The Direct3D-9-shaped device: the interfaces and operations the drawing code calls, with
// Direct3D 9's names, arguments and meaning (states, formats, pools, vertex formats, state blocks,
// pre-transformed vertices with Direct3D's pixel centres, clockwise front faces, row-vector
// matrices, the fixed-function lighting model, texture stages, vs_1_1 shaders). Realised on
// OpenGL 3.3 core.
//
// Ownership: every interface is reference counted, and callers hold it through ComRef, which
// releases its reference when it goes away; nobody calls Release by hand. Operations that hand out
// an interface (Create*, Get*Surface*, GetRenderTarget, EndStateBlock) fill a ComRef and add a
// reference, as Direct3D does. Only the thread that created the device may call it.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <cstddef>
#include <utility>

// --- reference counting --------------------------------------------------------------------------
class IUnknown {
public:
    IUnknown() = default;
    IUnknown(const IUnknown&) = delete;
    IUnknown& operator=(const IUnknown&) = delete;
    DWORD AddRef() { return ++references; }
    DWORD Release() {
        DWORD left = --references;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~IUnknown() = default;

private:
    DWORD references = 1;
};

// An owning reference to an interface: released when the ComRef goes away or is reset.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(std::nullptr_t) {}
    ComRef(const ComRef& other) : pointer(other.pointer) { if (pointer) pointer->AddRef(); }
    ComRef(ComRef&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
    ~ComRef() { reset(); }
    ComRef& operator=(ComRef other) noexcept {
        std::swap(pointer, other.pointer);
        return *this;
    }

    static ComRef adopt(T* owned) {  // takes over a reference the caller already holds
        ComRef r;
        r.pointer = owned;
        return r;
    }
    static ComRef share(T* p) {  // adds a reference
        if (p) p->AddRef();
        return adopt(p);
    }

    void reset() {
        if (pointer) std::exchange(pointer, nullptr)->Release();
    }
    T* get() const { return pointer; }
    T* operator->() const { return pointer; }
    T& operator*() const { return *pointer; }
    explicit operator bool() const { return pointer != nullptr; }
    bool operator==(const ComRef& other) const { return pointer == other.pointer; }

private:
    T* pointer = nullptr;
};

class IDirect3DDevice9;

// --- resources -------------------------------------------------------------------------------------
class IDirect3DSurface9 : public IUnknown {
public:
    virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect() = 0;
};

class IDirect3DTexture9 : public IUnknown {
public:
    virtual DWORD GetLevelCount() = 0;
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT GetSurfaceLevel(UINT level, ComRef<IDirect3DSurface9>* surface) = 0;
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;
    virtual void GenerateMipSubLevels() = 0;
};

class IDirect3DVertexBuffer9 : public IUnknown {
public:
    virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;  // size 0: all
    virtual HRESULT Unlock() = 0;
};

class IDirect3DIndexBuffer9 : public IUnknown {
public:
    virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;  // size 0: all
    virtual HRESULT Unlock() = 0;
};

class IDirect3DStateBlock9 : public IUnknown {
public:
    virtual HRESULT Apply() = 0;  // sets again exactly the states recorded
};

class IDirect3DVertexShader9 : public IUnknown {};

// --- the device -------------------------------------------------------------------------------------
class IDirect3DDevice9 : public IUnknown {
public:
    // Frame
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Present() = 0;  // the whole back buffer to the device window
    virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;  // limited to the viewport, like Direct3D

    // Transforms and viewport
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;

    // Fixed-function lighting
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;

    // States
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;
    virtual HRESULT BeginStateBlock() = 0;
    virtual HRESULT EndStateBlock(ComRef<IDirect3DStateBlock9>* block) = 0;

    // Geometry
    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) = 0;
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minIndex,
                                         UINT vertexCount, UINT startIndex, UINT primitiveCount) = 0;
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                    UINT stride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride) = 0;

    // Resources
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       ComRef<IDirect3DVertexBuffer9>* buffer) = 0;
    virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      ComRef<IDirect3DIndexBuffer9>* buffer) = 0;
    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, ComRef<IDirect3DTexture9>* texture) = 0;  // levels 0: full chain
    virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                              ComRef<IDirect3DSurface9>* surface) = 0;
    virtual HRESULT GetRenderTarget(DWORD index, ComRef<IDirect3DSurface9>* surface) = 0;
    virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) = 0;
    virtual HRESULT GetDepthStencilSurface(ComRef<IDirect3DSurface9>* surface) = 0;
    virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) = 0;

    // Vertex shaders (vs_1_1 token streams)
    virtual HRESULT CreateVertexShader(const DWORD* function, ComRef<IDirect3DVertexShader9>* shader) = 0;
    virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;  // null: fixed function
    virtual HRESULT SetVertexShaderConstantF(UINT startRegister, const float* data, UINT vector4fCount) = 0;

    // Not in Direct3D: reads the current render target (bottom-up order undone) as A8R8G8B8 rows,
    // for tests and tools. pixels must hold width * height values of the target.
    virtual HRESULT ReadRenderTarget(DWORD* pixels, UINT width, UINT height) = 0;
    // Not in Direct3D: the same read in two halves, so that drawing can go on in between. Begin
    // starts copying the current render target into one of kReadSlots slots and returns at once;
    // Finish waits for that copy and hands it out as ReadRenderTarget does.
    static constexpr UINT kReadSlots = 2;
    virtual HRESULT BeginReadRenderTarget(UINT slot) = 0;
    virtual HRESULT FinishReadRenderTarget(UINT slot, DWORD* pixels, UINT width, UINT height) = 0;
    // Not in Direct3D: while set, Clear and the draws check their arguments and return without
    // touching a pixel; states, transforms, textures and buffers work as ever. Brings what follows
    // the frames (the objects' own motion, the states left set) forward without their pictures.
    virtual HRESULT SkipDrawing(BOOL skip) = 0;
    virtual BOOL IsSkippingDrawing() = 0;
};

// --- the Direct3D object ----------------------------------------------------------------------------
class IDirect3D9 : public IUnknown {
public:
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    virtual UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) = 0;
    virtual HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* result) = 0;
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) = 0;
    virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                               BOOL windowed, D3DMULTISAMPLE_TYPE multiSample,
                                               DWORD* qualityLevels) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* parameters, ComRef<IDirect3DDevice9>* device) = 0;
};

// The Direct3D object, or null when no OpenGL 3.3 core context can be had.
ComRef<IDirect3D9> Direct3DCreate9(UINT sdkVersion);

// Profiling markers, as Direct3D 9's D3DPERF functions (names in UTF-8 here). Draws between
// BeginEvent and its EndEvent are reported under that name to a listening profiler
// (d3d9::DrawProfile); GetStatus is non-zero while one listens, so callers build names only then.
DWORD D3DPERF_GetStatus();
int D3DPERF_BeginEvent(D3DCOLOR color, const char* name);
int D3DPERF_EndEvent();
