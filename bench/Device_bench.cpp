// The Direct3D-9-shaped device on OpenGL, whole frames and single calls, on a 640x480 hidden
// window (needs a display: run under Xvfb).
//   Frames: per iteration one clear-only frame (the baseline) and one draw-heavy frame (a lit,
//     textured mesh of 144 triangles drawn 64 times with two lights; then 2000 blended
//     pre-transformed quads from memory), each ended by Present. Counters: milliseconds of each
//     and heavy_vs_clear, their ratio.
//   DrawCall: the CPU time of one DrawPrimitiveUP (a blended quad with a state block applied
//     first, as every drawable does) and its ratio to one Clear of a small rectangle, timed in the
//     same run.
//   Twins/<kind>: one frame kind drawn through the device and by its raw OpenGL twin (RawGl.h),
//     alternately in the same run; device_vs_gl is what the layer costs (1.0: nothing). Kinds:
//     widgets (600 small draws with state blocks between them), scene (6 lit textured meshes of
//     18,432 triangles), clouds (2,000 blended quads, one draw each), target (3 meshes into a
//     512 x 512 render target, then the target on a full-screen quad). Medians of the frame times
//     and of the per-iteration ratios. Before timing, both sides' pictures are compared:
//     max_difference is the largest channel difference anywhere (TWIN_DUMP=file.ppm writes both).
#include "BenchDevice.h"
#include "RawGl.h"

#include "platform/d3d9/d3d9.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The meshes' material and lights: a white directional light of `diffuse` and a point light
// before the camera whose linear falloff is `falloff`.
void lightMeshes(IDirect3DDevice9* d, float diffuse, float falloff) {
    D3DMATERIAL9 m{};
    m.Diffuse = m.Ambient = {1, 1, 1, 1};
    m.Specular = {0.5f, 0.5f, 0.5f, 1};
    m.Power = 20;
    d->SetMaterial(&m);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {diffuse, diffuse, diffuse, 1};
    light.Specular = {1, 1, 1, 1};
    light.Direction = {0.3f, -0.5f, 1};
    d->SetLight(0, &light);
    d->LightEnable(0, TRUE);
    light.Type = D3DLIGHT_POINT;
    light.Position = {0, 0, -2};
    light.Range = 10;
    light.Attenuation0 = 1;
    light.Attenuation1 = falloff;
    d->SetLight(1, &light);
    d->LightEnable(1, TRUE);
}

struct Bench : BenchDevice {
    ComRef<IDirect3DTexture9> texture;
    ComRef<IDirect3DVertexBuffer9> vertices;
    ComRef<IDirect3DIndexBuffer9> indices;
    ComRef<IDirect3DStateBlock9> meshStates, quadStates;
    UINT meshVertices = 0, meshTriangles = 0;

    bool create() {
        return createDevice(640, 480) && createResources();
    }

    ~Bench() {
        meshStates.reset();
        quadStates.reset();
        texture.reset();
        vertices.reset();
        indices.reset();
    }

    bool createResources() {
        IDirect3DDevice9* d = ownDevice.get();
        if (FAILED(d->CreateTexture(256, 256, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture)))
            return false;
        D3DLOCKED_RECT r;
        texture->LockRect(0, &r, nullptr, 0);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                static_cast<DWORD*>(r.pBits)[y * r.Pitch / 4 + x] = ((x ^ y) & 32) ? 0xffe0c080 : 0xff406080;
        texture->UnlockRect(0);

        // A grid bent into a bowl: 144 triangles, position, normal, texcoord.
        struct V {
            float x, y, z, nx, ny, nz, u, v;
        };
        const int n = 9;
        std::vector<V> grid;
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                float u = float(i) / n, v = float(j) / n, x = u * 2 - 1, y = v * 2 - 1;
                float z = 0.3f * (x * x + y * y), len = std::sqrt(0.36f * (x * x + y * y) + 1);
                grid.push_back({x, y, z, -0.6f * x / len, -0.6f * y / len, -1 / len, u, v});
            }
        std::vector<WORD> order;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n - 1; ++i) {
                WORD a = WORD(j * (n + 1) + i), b = WORD(a + 1), c = WORD(a + n + 1), e = WORD(c + 1);
                order.insert(order.end(), {a, b, c, b, e, c});
            }
        meshVertices = UINT(grid.size());
        meshTriangles = UINT(order.size() / 3);
        void* data = nullptr;
        d->CreateVertexBuffer(UINT(grid.size() * sizeof(V)), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertices);
        vertices->Lock(0, 0, &data, 0);
        std::memcpy(data, grid.data(), grid.size() * sizeof(V));
        vertices->Unlock();
        d->CreateIndexBuffer(UINT(order.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices);
        indices->Lock(0, 0, &data, 0);
        std::memcpy(data, order.data(), order.size() * 2);
        indices->Unlock();

        d->BeginStateBlock();
        d->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
        d->SetRenderState(D3DRS_LIGHTING, TRUE);
        d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
        d->SetRenderState(D3DRS_ZENABLE, TRUE);
        d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        d->SetTexture(0, texture.get());
        d->SetStreamSource(0, vertices.get(), 0, sizeof(V));
        d->SetIndices(indices.get());
        d->EndStateBlock(&meshStates);

        d->BeginStateBlock();
        d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTexture(0, texture.get());
        d->EndStateBlock(&quadStates);

        lightMeshes(d, 0.8f, 0.0f);
        D3DMATRIX projection{};
        projection.m[0][0] = 1.0f, projection.m[1][1] = 4.0f / 3;
        projection.m[2][2] = 1.0f, projection.m[2][3] = 1, projection.m[3][2] = -0.1f;
        d->SetTransform(D3DTS_PROJECTION, &projection);
        return true;
    }

    void heavyFrame() {
        IDirect3DDevice9* d = ownDevice.get();
        beginFrame();
        for (int k = 0; k < 64; ++k) {
            D3DMATRIX world{};
            world.m[0][0] = world.m[1][1] = world.m[2][2] = 0.4f;
            world.m[3][0] = (k % 8) * 0.5f - 1.75f;
            world.m[3][1] = (k / 8) * 0.4f - 1.4f;
            world.m[3][2] = 3;
            world.m[3][3] = 1;
            meshStates->Apply();
            d->SetTransform(D3DTS_WORLD, &world);
            d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, meshVertices, 0, meshTriangles);
        }
        struct Q {
            float x, y, z, rhw;
            DWORD color;
            float u, v;
        };
        quadStates->Apply();
        for (int k = 0; k < 2000; ++k) {
            float x = float((k * 37) % 600), y = float((k * 53) % 440);
            Q q[4] = {{x - 0.5f, y - 0.5f, 0, 1, 0x80ffffff, 0, 0}, {x + 39.5f, y - 0.5f, 0, 1, 0x80ffffff, 1, 0},
                      {x - 0.5f, y + 39.5f, 0, 1, 0x80ffffff, 0, 1}, {x + 39.5f, y + 39.5f, 0, 1, 0x80ffffff, 1, 1}};
            d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(Q));
        }
        endFrame();
    }
};

void Frames(benchmark::State& state) {
    Bench b;
    if (!b.create()) {
        state.SkipWithError("no device (needs a display)");
        return;
    }
    b.heavyFrame();  // programs built before timing
    double clear = 0, heavy = 0;
    for (auto _ : state) {
        clear += millisecondsOf([&] { b.clearFrame(); });
        heavy += millisecondsOf([&] { b.heavyFrame(); });
    }
    const double n = double(state.iterations());
    state.counters["clear_ms"] = clear / n;
    state.counters["heavy_ms"] = heavy / n;
    state.counters["heavy_vs_clear"] = heavy / clear;
    state.counters["triangles"] = 64.0 * b.meshTriangles + 4000;
}
BENCHMARK(Frames)->Unit(benchmark::kMillisecond)->Iterations(20);

void DrawCall(benchmark::State& state) {
    Bench b;
    if (!b.create()) {
        state.SkipWithError("no device (needs a display)");
        return;
    }
    struct Q {
        float x, y, z, rhw;
        DWORD color;
        float u, v;
    } q[4] = {{-0.5f, -0.5f, 0, 1, 0x80ffffff, 0, 0}, {3.5f, -0.5f, 0, 1, 0x80ffffff, 1, 0},
              {-0.5f, 3.5f, 0, 1, 0x80ffffff, 0, 1}, {3.5f, 3.5f, 0, 1, 0x80ffffff, 1, 1}};
    IDirect3DDevice9* d = b.ownDevice.get();
    const D3DRECT small{0, 0, 4, 4};
    const int calls = 2000;
    double draws = 0, clears = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < calls; ++k) {
            b.quadStates->Apply();
            d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(Q));
        }
        auto t1 = std::chrono::steady_clock::now();
        for (int k = 0; k < calls; ++k) d->Clear(1, &small, D3DCLEAR_TARGET, 0, 1, 0);
        auto t2 = std::chrono::steady_clock::now();
        d->Present();  // lets the GL queue drain outside the timed parts
        draws += std::chrono::duration<double, std::nano>(t1 - t0).count();
        clears += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = double(state.iterations()) * calls;
    state.counters["draw_ns"] = draws / n;
    state.counters["clear_ns"] = clears / n;
    state.counters["draw_vs_clear"] = draws / clears;
}
BENCHMARK(DrawCall)->Unit(benchmark::kMillisecond)->Iterations(20);

// --- the device side of the twins -------------------------------------------------------------------
struct DeviceTwin : BenchDevice {
    ComRef<IDirect3DTexture9> texture, target;
    ComRef<IDirect3DSurface9> targetSurface, targetDepth, backBuffer, backDepth;
    ComRef<IDirect3DVertexBuffer9> vertices;
    ComRef<IDirect3DIndexBuffer9> indices;
    ComRef<IDirect3DStateBlock9> meshStates, quadStates, solidStates, lineStates, screenStates;
    UINT meshVertices = 0, meshTriangles = 0;

    ~DeviceTwin() {
        meshStates.reset(), quadStates.reset(), solidStates.reset(), lineStates.reset(), screenStates.reset();
        targetSurface.reset(), targetDepth.reset(), backBuffer.reset(), backDepth.reset();
        texture.reset(), target.reset(), vertices.reset(), indices.reset();
    }

    bool create() {
        if (!createDevice(twin::kWidth, twin::kHeight, "device")) return false;
        IDirect3DDevice9* d = ownDevice.get();
        if (FAILED(d->CreateTexture(256, 256, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture))) return false;
        const std::vector<uint32_t> t = twin::texels();
        for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {  // box-filtered mip chain
            D3DLOCKED_RECT r;
            texture->LockRect(level, &r, nullptr, 0);
            const int size = 256 >> level, step = 1 << level;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    static_cast<DWORD*>(r.pBits)[y * r.Pitch / 4 + x] = t[(y * step) * 256 + x * step];
            texture->UnlockRect(level);
        }
        if (FAILED(d->CreateTexture(twin::kTargetSize, twin::kTargetSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                    D3DPOOL_DEFAULT, &target)) ||
            FAILED(target->GetSurfaceLevel(0, &targetSurface)) ||
            FAILED(d->CreateDepthStencilSurface(twin::kTargetSize, twin::kTargetSize, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                                0, TRUE, &targetDepth)))
            return false;
        d->GetRenderTarget(0, &backBuffer);
        d->GetDepthStencilSurface(&backDepth);

        const twin::Mesh mesh = twin::bowl(96);
        meshVertices = UINT(mesh.vertices.size());
        meshTriangles = UINT(mesh.indices.size() / 3);
        void* data = nullptr;
        d->CreateVertexBuffer(UINT(mesh.vertices.size() * sizeof(twin::MeshVertex)), D3DUSAGE_WRITEONLY, 0,
                              D3DPOOL_MANAGED, &vertices);
        vertices->Lock(0, 0, &data, 0);
        std::memcpy(data, mesh.vertices.data(), mesh.vertices.size() * sizeof(twin::MeshVertex));
        vertices->Unlock();
        d->CreateIndexBuffer(UINT(mesh.indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices);
        indices->Lock(0, 0, &data, 0);
        std::memcpy(data, mesh.indices.data(), mesh.indices.size() * 2);
        indices->Unlock();

        // Every drawable applies its own block, as the models, overlays and widgets do.
        d->BeginStateBlock();
        d->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
        d->SetRenderState(D3DRS_LIGHTING, TRUE);
        d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
        d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
        d->SetRenderState(D3DRS_ZENABLE, TRUE);
        d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        d->SetTexture(0, texture.get());
        d->SetStreamSource(0, vertices.get(), 0, sizeof(twin::MeshVertex));
        d->SetIndices(indices.get());
        d->EndStateBlock(&meshStates);

        auto pretransformed = [&](bool textured, bool blended, DWORD fvf, IDirect3DTexture9* picture,
                                  ComRef<IDirect3DStateBlock9>* block) {
            d->BeginStateBlock();
            d->SetFVF(fvf);
            d->SetRenderState(D3DRS_LIGHTING, FALSE);
            d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
            d->SetRenderState(D3DRS_ZENABLE, FALSE);
            d->SetRenderState(D3DRS_ALPHABLENDENABLE, blended);
            d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            d->SetTextureStageState(0, D3DTSS_COLOROP, textured ? D3DTOP_MODULATE : D3DTOP_SELECTARG2);
            d->SetTextureStageState(0, D3DTSS_ALPHAOP, textured ? D3DTOP_SELECTARG1 : D3DTOP_SELECTARG2);
            d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
            d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
            d->SetSamplerState(0, D3DSAMP_MIPFILTER, textured && picture == texture.get() ? D3DTEXF_LINEAR : D3DTEXF_NONE);
            d->SetTexture(0, textured ? picture : nullptr);
            d->EndStateBlock(block);
        };
        pretransformed(true, true, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, texture.get(), &quadStates);
        pretransformed(false, false, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, nullptr, &solidStates);
        pretransformed(false, false, D3DFVF_XYZRHW | D3DFVF_DIFFUSE, nullptr, &lineStates);
        pretransformed(true, false, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, target.get(), &screenStates);

        lightMeshes(d, twin::kLight, twin::kPointFalloff);
        D3DMATRIX projection;
        twin::projection(&projection.m[0][0]);
        d->SetTransform(D3DTS_PROJECTION, &projection);
        return true;
    }

    void widgetsFrame() {
        IDirect3DDevice9* d = ownDevice.get();
        beginFrame();
        for (int k = 0; k < twin::kWidgetDraws; ++k) {
            const float x = twin::widgetX(k), y = twin::widgetY(k);
            switch (twin::widgetKind(k)) {
            case 0: {
                twin::QuadVertex q[4];
                twin::quad(x, y, 24, 0xffffffffu, q);
                quadStates->Apply();
                d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(twin::QuadVertex));
                break;
            }
            case 1: {
                twin::QuadVertex q[4];
                twin::quad(x, y, 40, 0xff303840u, q);
                solidStates->Apply();
                d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(twin::QuadVertex));
                break;
            }
            default: {
                twin::LineVertex l[5];
                twin::outline(x, y, 40, 0xffa0a0a0u, l);
                lineStates->Apply();
                d->DrawPrimitiveUP(D3DPT_LINESTRIP, 4, l, sizeof(twin::LineVertex));
            }
            }
        }
        endFrame();
    }

    void meshes(int count) {
        for (int k = 0; k < count; ++k) {
            D3DMATRIX world;
            twin::meshWorld(k, &world.m[0][0]);
            meshStates->Apply();
            ownDevice->SetTransform(D3DTS_WORLD, &world);
            ownDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, meshVertices, 0, meshTriangles);
        }
    }

    void sceneFrame() {
        beginFrame();
        meshes(twin::kMeshDraws);
        endFrame();
    }

    void cloudsFrame() {
        beginFrame();
        quadStates->Apply();
        for (int k = 0; k < twin::kCloudQuads; ++k) {
            twin::QuadVertex q[4];
            twin::quad(twin::cloudX(k), twin::cloudY(k), 40, 0x80ffffffu, q);
            ownDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(twin::QuadVertex));
        }
        endFrame();
    }

    void targetFrame() {
        IDirect3DDevice9* d = ownDevice.get();
        d->BeginScene();
        d->SetRenderTarget(0, targetSurface.get());
        d->SetDepthStencilSurface(targetDepth.get());
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff400000, 1, 0);
        meshes(twin::kTargetMeshDraws);
        d->SetRenderTarget(0, backBuffer.get());
        d->SetDepthStencilSurface(backDepth.get());
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1, 0);
        twin::QuadVertex q[4] = {{-0.5f, -0.5f, 0, 1, 0xffffffffu, 0, 0},
                                 {twin::kWidth - 0.5f, -0.5f, 0, 1, 0xffffffffu, 1, 0},
                                 {-0.5f, twin::kHeight - 0.5f, 0, 1, 0xffffffffu, 0, 1},
                                 {twin::kWidth - 0.5f, twin::kHeight - 0.5f, 0, 1, 0xffffffffu, 1, 1}};
        screenStates->Apply();
        d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(twin::QuadVertex));
        endFrame();
    }
};

// Both sides of the twins, each on its own hidden window and context.
struct Twins {
    DeviceTwin device;
    twin::RawGl gl;
    SDL_GLContext deviceContext = nullptr;  // the device's, once it has presented

    bool create() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        if (!device.create()) return false;
        device.clearFrame();
        deviceContext = SDL_GL_GetCurrentContext();
        return gl.create();
    }

    ~Twins() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    void onDevice() { SDL_GL_MakeCurrent(device.window.sdlWindow, deviceContext); }
    void onGl() { gl.makeCurrent(); }
};

using DeviceFrame = void (DeviceTwin::*)();
using GlFrame = void (twin::RawGl::*)();

// The largest difference of one channel between the two sides' pictures of one frame kind.
int largestDifference(Twins& t, DeviceFrame deviceFrame, GlFrame glFrame) {
    std::vector<uint32_t> a(twin::kWidth * twin::kHeight), b(a.size());
    t.onDevice();
    (t.device.*deviceFrame)();
    t.device.ownDevice->ReadRenderTarget(a.data(), twin::kWidth, twin::kHeight);
    t.onGl();
    (t.gl.*glFrame)();
    t.gl.read(b.data());
    if (const char* dump = std::getenv("TWIN_DUMP")) {  // both pictures side by side, as PPM
        FILE* f = std::fopen(dump, "wb");
        std::fprintf(f, "P6 %d %d 255\n", 2 * twin::kWidth, twin::kHeight);
        for (int y = 0; y < twin::kHeight; ++y)
            for (int side = 0; side < 2; ++side)
                for (int x = 0; x < twin::kWidth; ++x) {
                    const uint32_t c = (side ? b : a)[size_t(y) * twin::kWidth + x];
                    const unsigned char rgb[3] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
                    std::fwrite(rgb, 1, 3, f);
                }
        std::fclose(f);
    }
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {  // colour only: the back buffer has no alpha
            const int d = std::abs(int((a[i] >> shift) & 0xff) - int((b[i] >> shift) & 0xff));
            largest = std::max(largest, d);
        }
    return largest;
}

void twinFrames(benchmark::State& state, DeviceFrame deviceFrame, GlFrame glFrame) {
    Twins t;
    if (!t.create()) {
        state.SkipWithError("no device or GL context (needs a display)");
        return;
    }
    const int difference = largestDifference(t, deviceFrame, glFrame);  // also builds every program
    // Each iteration times one frame on each side back to back and keeps their ratio; the medians
    // stay put when other processes take the cores for a while, where sums would not.
    // Wall time includes the renderer's own threads; this thread's CPU time is where the layer's
    // work happens and is hardly moved by other processes.
    std::vector<double> onDevice, onGl, ratios, cpuRatios;
    auto threadCpu = [] {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
    };
    struct Cost {
        double wall, cpu;
    };
    auto timed = [&](auto&& f) {
        const double cpu = threadCpu();
        auto start = std::chrono::steady_clock::now();
        f();
        return Cost{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
                    threadCpu() - cpu};
    };
    for (auto _ : state) {
        t.onDevice();
        const Cost a = timed([&] { (t.device.*deviceFrame)(); });
        t.onGl();
        const Cost b = timed([&] { (t.gl.*glFrame)(); });
        onDevice.push_back(a.wall), onGl.push_back(b.wall), ratios.push_back(a.wall / b.wall);
        cpuRatios.push_back(a.cpu / b.cpu);
    }
    auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    state.counters["device_ms"] = median(onDevice);
    state.counters["gl_ms"] = median(onGl);
    state.counters["device_vs_gl"] = median(ratios);
    state.counters["cpu_device_vs_gl"] = median(cpuRatios);
    state.counters["max_difference"] = difference;
}

void Twins_widgets(benchmark::State& s) { twinFrames(s, &DeviceTwin::widgetsFrame, &twin::RawGl::widgetsFrame); }
void Twins_scene(benchmark::State& s) { twinFrames(s, &DeviceTwin::sceneFrame, &twin::RawGl::sceneFrame); }
void Twins_clouds(benchmark::State& s) { twinFrames(s, &DeviceTwin::cloudsFrame, &twin::RawGl::cloudsFrame); }
void Twins_target(benchmark::State& s) { twinFrames(s, &DeviceTwin::targetFrame, &twin::RawGl::targetFrame); }
BENCHMARK(Twins_widgets)->Unit(benchmark::kMillisecond)->Iterations(60);
BENCHMARK(Twins_scene)->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(Twins_clouds)->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(Twins_target)->Unit(benchmark::kMillisecond)->Iterations(60);

}  // namespace

BENCHMARK_MAIN();
