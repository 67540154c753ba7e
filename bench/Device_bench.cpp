// The Direct3D-9-shaped device on OpenGL, whole frames and single calls, on a 640x480 hidden
// window (needs a display: run under Xvfb).
//   Frames: per iteration one clear-only frame (the baseline) and one draw-heavy frame (a lit,
//     textured mesh of 144 triangles drawn 64 times with two lights; then 2000 blended
//     pre-transformed quads from memory), each ended by Present. Counters: milliseconds of each
//     and heavy_vs_clear, their ratio.
//   DrawCall: the CPU time of one DrawPrimitiveUP (a blended quad with a state block applied
//     first, as every drawable does) and its ratio to one Clear of a small rectangle, timed in the
//     same run.
#include "platform/d3d9/d3d9.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Bench {
    win::NativeWindow window;
    ComRef<IDirect3D9> direct3d;
    ComRef<IDirect3DDevice9> device;
    ComRef<IDirect3DTexture9> texture;
    ComRef<IDirect3DVertexBuffer9> vertices;
    ComRef<IDirect3DIndexBuffer9> indices;
    ComRef<IDirect3DStateBlock9> meshStates, quadStates;
    UINT meshVertices = 0, meshTriangles = 0;

    bool create() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        window.sdlWindow = SDL_CreateWindow("bench", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!window.sdlWindow || !direct3d) return false;
        D3DPRESENT_PARAMETERS p;
        p.BackBufferWidth = 640;
        p.BackBufferHeight = 480;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.hDeviceWindow = &window;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24S8;
        p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (FAILED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device)))
            return false;
        return createResources();
    }

    ~Bench() {
        meshStates.reset();
        quadStates.reset();
        texture.reset();
        vertices.reset();
        indices.reset();
        device.reset();
        direct3d.reset();
        if (window.sdlWindow) SDL_DestroyWindow(window.sdlWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool createResources() {
        IDirect3DDevice9* d = device.get();
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

        D3DMATERIAL9 m{};
        m.Diffuse = m.Ambient = {1, 1, 1, 1};
        m.Specular = {0.5f, 0.5f, 0.5f, 1};
        m.Power = 20;
        d->SetMaterial(&m);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {0.8f, 0.8f, 0.8f, 1};
        light.Specular = {1, 1, 1, 1};
        light.Direction = {0.3f, -0.5f, 1};
        d->SetLight(0, &light);
        d->LightEnable(0, TRUE);
        light.Type = D3DLIGHT_POINT;
        light.Position = {0, 0, -2};
        light.Range = 10;
        light.Attenuation0 = 1;
        d->SetLight(1, &light);
        d->LightEnable(1, TRUE);
        D3DMATRIX projection{};
        projection.m[0][0] = 1.0f, projection.m[1][1] = 4.0f / 3;
        projection.m[2][2] = 1.0f, projection.m[2][3] = 1, projection.m[3][2] = -0.1f;
        d->SetTransform(D3DTS_PROJECTION, &projection);
        return true;
    }

    void clearFrame() {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1, 0);
        device->EndScene();
        device->Present();
    }

    void heavyFrame() {
        IDirect3DDevice9* d = device.get();
        d->BeginScene();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1, 0);
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
        d->EndScene();
        d->Present();
    }
};

double millisecondsOf(void (Bench::*frame)(), Bench& b) {
    auto start = std::chrono::steady_clock::now();
    (b.*frame)();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Frames(benchmark::State& state) {
    Bench b;
    if (!b.create()) {
        state.SkipWithError("no device (needs a display)");
        return;
    }
    b.heavyFrame();  // programs built before timing
    double clear = 0, heavy = 0;
    for (auto _ : state) {
        clear += millisecondsOf(&Bench::clearFrame, b);
        heavy += millisecondsOf(&Bench::heavyFrame, b);
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
    IDirect3DDevice9* d = b.device.get();
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

}  // namespace

BENCHMARK_MAIN();
