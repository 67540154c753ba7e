// The device behind IDirect3DDevice9: Direct3D states kept as Direct3D values and realised on an
// OpenGL 3.3 core context at draw time. Render targets are framebuffer objects with the picture's
// top row first (GL row 0), like Direct3D memory. The back buffer is the window's own framebuffer
// where the window allows (its size, no multisampling, the automatic depth buffer's bits): drawn
// upside down there (projection, viewport, winding and scissor mirrored), so Present only swaps
// and a read-back turns the rows over. Otherwise it is a target like the others and Present flips
// it onto the window. Resources share the GL context (not the device), so they may outlive the device.
// Code by topic: Device.cpp (creation, frame, resources, targets), DeviceStates.cpp (states,
// transforms, lights, state blocks), DeviceDraw.cpp (vertex formats, programs, draws).
#pragma once

#include "platform/d3d9/FixedFunctionShader.h"
#include "platform/d3d9/GlContext.h"
#include "platform/d3d9/GlState.h"
#include "platform/d3d9/StateBlock.h"
#include "platform/d3d9/Surface.h"
#include "platform/d3d9/d3d9.h"

#include <array>
#include <memory>
#include <vector>

struct SDL_Window;

namespace d3d9 {

class Device final : public IDirect3DDevice9 {
public:
    static HRESULT create(ComRef<IDirect3D9> direct3d, HWND window, D3DPRESENT_PARAMETERS* parameters,
                          ComRef<IDirect3DDevice9>* device);

    // Frame
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

    // Transforms and viewport
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;

    // Lighting
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;

    // States
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(ComRef<IDirect3DStateBlock9>* block) override;

    // Geometry
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                   UINT stride) override;

    // Resources
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               ComRef<IDirect3DVertexBuffer9>* buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              ComRef<IDirect3DIndexBuffer9>* buffer) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          ComRef<IDirect3DTexture9>* texture) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD quality, BOOL discard, ComRef<IDirect3DSurface9>* surface) override;
    HRESULT GetRenderTarget(DWORD index, ComRef<IDirect3DSurface9>* surface) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetDepthStencilSurface(ComRef<IDirect3DSurface9>* surface) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) override;

    // Vertex shaders
    HRESULT CreateVertexShader(const DWORD* function, ComRef<IDirect3DVertexShader9>* shader) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT SetVertexShaderConstantF(UINT startRegister, const float* data, UINT vector4fCount) override;

    HRESULT ReadRenderTarget(DWORD* pixels, UINT width, UINT height) override;
    HRESULT BeginReadRenderTarget(UINT slot) override;
    HRESULT FinishReadRenderTarget(UINT slot, DWORD* pixels, UINT width, UINT height) override;
    HRESULT SkipDrawing(BOOL skip) override;
    BOOL IsSkippingDrawing() override { return skipping; }

    static constexpr UINT kMaxConstants = 256;
    static constexpr UINT kMaxActiveLights = 8;

private:
    Device() = default;
    ~Device() override;

    struct LightSlot {
        D3DLIGHT9 light{};
        bool enabled = false;
    };
    struct Stream {
        ComRef<IDirect3DVertexBuffer9> buffer;
        UINT offset = 0, stride = 0;
    };
    struct VertexLayout {  // where each element of a vertex format sits
        bool valid = false;
        UINT size = 0;
        int position = -1, positionComponents = 0, normal = -1, pointSize = -1, diffuse = -1, specular = -1;
        std::array<int, 8> texCoord{};            // offset, -1 when absent
        std::array<int, 8> texCoordComponents{};
        bool rhw = false;
    };
    struct AttributeBinding {  // what the vertex array object was last pointed at
        DWORD fvf = ~0u;
        GLuint buffer = ~0u;
        size_t offset = ~size_t(0);
        UINT stride = 0;
        unsigned deletions = 0;
    };

    // Device.cpp
    HRESULT initialise(HWND window, D3DPRESENT_PARAMETERS* parameters);
    void bindTargets();  // the current render target and depth surface on the draw framebuffer
    bool drawsInWindow() const { return renderTarget.get() == backBuffer.get() && backBuffer->inWindow(); }
    bool windowCanHoldBackBuffer(const D3DPRESENT_PARAMETERS& p, UINT samples);
    void leaveWindow();  // the back buffer and its depth get storage of their own
    GLint glRow(long y, long height) const {  // the GL row of a rectangle's first row in the target
        return GLint(drawsInWindow() ? long(renderTarget->height()) - y - height : y);
    }
    D3DVIEWPORT9 fullViewport() const;

    // DeviceStates.cpp
    void setDefaultStates();
    static int transformIndex(D3DTRANSFORMSTATETYPE state);
    void translateRenderStates();  // renderStates -> wanted GL state
    void applySamplers();

    // DeviceDraw.cpp
    static VertexLayout layoutOf(DWORD fvf);
    HRESULT prepareDraw(const VertexLayout& layout);
    void buildKey(const VertexLayout& layout, ProgramKey* key) const;
    static bool blendReplacesOpaque(const GlRenderState& wanted);
    bool sourceAlphaIsOne(bool vertexAlpha) const;
    void uploadUniforms(Program& program);
    void bindAttributes(const VertexLayout& layout, GLuint buffer, size_t offset, UINT stride);
    size_t stream(GLuint buffer, size_t* position, size_t capacity, const void* data, size_t size, size_t align);
    void afterDraw();
    template <class Call>
    void drawGl(UINT primitives, Call call);  // the GL draw call, measured when profiling
    static UINT vertexCountOf(D3DPRIMITIVETYPE type, UINT primitiveCount);

    // Presentation and targets
    ComRef<IDirect3D9> direct3d;                   // the object that created the device
    std::shared_ptr<GlContext> context;
    std::shared_ptr<IDirect3DDevice9*> self;       // state blocks reach the device through this
    SDL_Window* window = nullptr;                  // the device window; not owned
    D3DPRESENT_PARAMETERS presentation{};
    ComRef<Surface> backBuffer, autoDepth;         // created with the device
    ComRef<Surface> renderTarget, depthStencil;    // current targets
    GLuint framebuffer = 0;                        // draw framebuffer, owned
    GLuint resolveFramebuffer = 0;                 // multisample resolve and Present, owned
    GLuint resolveTexture = 0;                     // single-sample copy of a multisampled back buffer
    bool targetsDirty = true;
    bool depthUsable = false;                      // the depth surface is attached
    bool windowDepthInWindow = true;               // where the automatic depth's contents are now
    bool inScene = false;
    bool skipping = false;                         // SkipDrawing: no pixel is touched
    UINT maxTextureSize = 4096;
    float anisotropy = 1;                          // largest anisotropy GL offers, 1 without the extension

    // Direct3D states
    std::array<DWORD, D3DRS_COUNT> renderStates{};
    std::array<std::array<DWORD, D3DTSS_COUNT>, D3DMAXTEXTURESTAGES> stageStates{};
    std::array<std::array<DWORD, D3DSAMP_COUNT>, D3DMAXSAMPLERS> samplerStates{};
    std::array<D3DMATRIX, 11> transforms{};         // VIEW, PROJECTION, TEXTURE0..7, WORLD
    std::vector<LightSlot> lights;
    D3DMATERIAL9 material{};
    D3DVIEWPORT9 viewport{};
    DWORD fvf = 0;
    Stream streamSource;
    ComRef<IDirect3DIndexBuffer9> indices;
    std::array<ComRef<IDirect3DTexture9>, D3DMAXSAMPLERS> textures;
    ComRef<IDirect3DVertexShader9> vertexShader;
    std::vector<float> constants = std::vector<float>(kMaxConstants * 4, 0.0f);
    ComRef<StateBlock> recording;                   // non-null between Begin and EndStateBlock

    // GL side
    GlState gl;
    GlRenderState wantedGl;
    bool renderStatesDirty = true;
    std::array<GLuint, D3DMAXSAMPLERS> samplers{};  // sampler objects, owned
    std::array<bool, D3DMAXSAMPLERS> samplersDirty{};
    GLuint vao = 0;                                 // owned
    GLuint streamVertices = 0, streamIndices = 0;   // rings for the UP draws, owned
    size_t streamVertexPosition = 0, streamIndexPosition = 0;
    AttributeBinding binding;
    ShaderCache shaders;
    std::array<std::uint64_t, kUniformGroups> generations{};
    bool keyDirty = true;
    ProgramKey lastKey;
    Program* lastProgram = nullptr;
    DWORD lastKeyFvf = ~0u;
    ComRef<Surface> cleanDepth;     // a depth surface cleared whole and not written since; or none
    float cleanDepthValue = 0;
    bool cleanStencil = false;      // its stencil too (or it has none)
    DWORD cleanStencilValue = 0;
    ComRef<Surface> knownStencil;   // a depth surface whose stencil holds one value throughout; or none
    DWORD knownStencilValue = 0;
    struct DrawnVertices {         // the current draw's vertices, read only if its alpha matters
        const void* data = nullptr;  // null: in a buffer, not read back
        size_t count = 0;
        UINT stride = 0;
        int diffuse = -1;          // byte offset of the diffuse colour, or -1 for none
    } drawn;
    struct ReadSlot {              // a read-back under way
        GLuint buffer = 0;         // pixel pack buffer, owned; 0: not made yet
        size_t capacity = 0;
        UINT width = 0, height = 0;
        bool opaque = false, started = false;
        bool bottomUp = false;     // read from the window: its last row first
        std::vector<DWORD> copy;   // multisampled targets are read at once, into here
    };
    std::array<ReadSlot, kReadSlots> readSlots;
};

}  // namespace d3d9
