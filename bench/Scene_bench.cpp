// Scenes through the objects the player uses, on a 640x480 hidden window (needs a display: run
// under Xvfb). The document is built here: a visual.scene whose model.group holds 50 items, 25
// meshes (a lit, textured 8x8 grid written as a text X file) and 25 textured quads, each on a
// path of its own.
//   Frames: per iteration one clear-only frame (the baseline) and one frame with the scene, each
//     ended by Present. Counters: milliseconds of each and scene_vs_clear, their ratio.
//   GroupItem: the CPU time per item of a group of 50 quads (path evaluation, world matrix, state
//     block, texture, draw) against one bare DrawPrimitive of a quad, timed in the same run.
#include "app/Device.h"
#include "database/Database.h"
#include "models/ModelGroup.h"
#include "platform/win/NativeWindow.h"
#include "platform/win/Resources.h"
#include "visuals/VisualScene.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

// An 8 x 8 grid of quads in the XZ plane, facing up, with one textured material.
std::string gridMesh() {
    const int n = 8;
    std::string x = "xof 0303txt 0032\nMesh Grid {\n" + std::to_string((n + 1) * (n + 1)) + ";\n";
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) x += std::to_string(i - n / 2) + ";0;" + std::to_string(n / 2 - j) + ";,\n";
    x += ";\n" + std::to_string(n * n) + ";\n";
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i;
            x += "4;" + std::to_string(a) + "," + std::to_string(a + 1) + "," + std::to_string(a + n + 2) + "," +
                 std::to_string(a + n + 1) + ";,\n";
        }
    x += ";\nMeshNormals { 1; 0;1;0;; " + std::to_string(n * n) + ";\n";
    for (int k = 0; k < n * n; ++k) x += "4;0,0,0,0;,";
    x += "; }\nMeshTextureCoords { " + std::to_string((n + 1) * (n + 1)) + ";\n";
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) x += std::to_string(i / double(n)) + ";" + std::to_string(j / double(n)) + ";,";
    x += "; }\nMeshMaterialList { 1; 1; 0;; Material { 0.9;0.8;0.7;1;; 10; 0;0;0;; 0;0;0;; "
         "TextureFilename { \"127-Checker.png\"; } } }\n}\n";
    return x;
}

std::string itemPath(int k) {
    const int x = (k % 10) * 12 - 54, z = (k / 10) * 12 - 24;
    const std::string p = std::to_string(x) + " 0 " + std::to_string(z);
    return "<path.spline name=\"Path" + std::to_string(k) + "\" scale=\"" + (k % 2 ? "8" : "1") + "\"><key p=\"" + p +
           " 0 0 0\" t=\"0\"/><key p=\"" + p + " 0 383 0\" t=\"100\"/></path.spline>";
}

std::string sceneDocument(bool quadsOnly) {
    std::string d = "<demo><texture.file name=\"Checker\" resource=\"127-Checker.png\"/>"
                    "<model.quad name=\"Quad\" texture=\"Checker\"/><model.x name=\"Grid\" resource=\"BenchGrid.x\"/>";
    std::string items;
    for (int k = 0; k < 50; ++k) {
        d += itemPath(k);
        const bool quad = quadsOnly || k % 2 == 1;
        items += std::string("<item model=\"") + (quad ? "Quad" : "Grid") + "\" path=\"Path" + std::to_string(k) + "\"/>";
    }
    d += "<model.group name=\"World\">" + items + "</model.group>";
    d += "<path.spline name=\"Camera\"><key p=\"0 90 -40 -600 0 0\" t=\"0\"/><key p=\"0 90 -30 -600 0 0\" t=\"100\"/></path.spline>";
    d += "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"1000\"/></demo>";
    return d;
}

struct Bench {
    win::NativeWindow window;
    ComRef<IDirect3D9> direct3d;
    ComRef<IDirect3DDevice9> ownDevice;
    TiXmlDocument document;
    Database database;
    VisualScene* scene = nullptr;

    bool create(bool quadsOnly) {
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
        if (FAILED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &ownDevice)))
            return false;
        device = ownDevice.get();
        presentParameters = p;
        if (!win::findResource("BenchGrid.x")) {
            const std::string mesh = gridMesh();
            win::addResource("BenchGrid.x", std::vector<unsigned char>(mesh.begin(), mesh.end()));
        }
        document.Parse(sceneDocument(quadsOnly).c_str());
        if (document.Error() || !database.load(&document)) return false;
        scene = static_cast<VisualScene*>(database.find("Scene", TypeVisualScene));
        if (!scene) return false;
        scene->setRect({0, 0, 640, 480});
        return true;
    }

    ~Bench() {
        database.deleteObjects();
        device = nullptr;
        ownDevice.reset();
        direct3d.reset();
        if (window.sdlWindow) SDL_DestroyWindow(window.sdlWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    void clearFrame() {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1, 0);
        device->EndScene();
        device->Present();
    }

    void sceneFrame() {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1, 0);
        scene->render(50.0f, 0.016f);
        device->EndScene();
        device->Present();
    }
};

double millisecondsOf(void (Bench::*frame)(), Bench& b) {
    auto start = std::chrono::steady_clock::now();
    (b.*frame)();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Frames(benchmark::State& state) {
    Bench b;
    if (!b.create(false)) {
        state.SkipWithError("no device (needs a display) or the scene did not load");
        return;
    }
    b.sceneFrame();  // programs and state blocks built before timing
    double clear = 0, drawn = 0;
    for (auto _ : state) {
        clear += millisecondsOf(&Bench::clearFrame, b);
        drawn += millisecondsOf(&Bench::sceneFrame, b);
    }
    const double n = double(state.iterations());
    state.counters["clear_ms"] = clear / n;
    state.counters["scene_ms"] = drawn / n;
    state.counters["scene_vs_clear"] = drawn / clear;
}
BENCHMARK(Frames)->Unit(benchmark::kMillisecond)->Iterations(20);

void GroupItem(benchmark::State& state) {
    Bench b;
    if (!b.create(true)) {
        state.SkipWithError("no device (needs a display) or the scene did not load");
        return;
    }
    auto* group = static_cast<ModelGroup*>(b.database.find("World", TypeModelGroup));
    ComRef<IDirect3DVertexBuffer9> quad;
    const float v[4][5] = {{-1, 0, -1, 0, 0}, {-1, 0, 1, 0, 1}, {1, 0, 1, 1, 1}, {1, 0, -1, 1, 0}};
    void* data = nullptr;
    device->CreateVertexBuffer(sizeof v, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_MANAGED, &quad);
    quad->Lock(0, 0, &data, 0);
    std::memcpy(data, v, sizeof v);
    quad->Unlock();
    const int rounds = 40;
    const int items = int(group->getItems().size());
    double grouped = 0, bare = 0;
    for (auto _ : state) {
        device->BeginScene();
        b.scene->render(50.0f, 0.016f);  // camera, projection and light as in a frame
        const Matrix4 identity = identityMatrix();
        auto t0 = std::chrono::steady_clock::now();
        for (int r = 0; r < rounds; ++r) {
            device->SetTransform(D3DTS_WORLD, &identity);
            group->render(50.0f, 0.016f);
        }
        auto t1 = std::chrono::steady_clock::now();
        device->SetStreamSource(0, quad.get(), 0, 20);
        for (int r = 0; r < rounds * items; ++r) device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
        auto t2 = std::chrono::steady_clock::now();
        device->EndScene();
        device->Present();  // lets the GL queue drain outside the timed parts
        grouped += std::chrono::duration<double, std::nano>(t1 - t0).count();
        bare += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = double(state.iterations()) * rounds * items;
    state.counters["item_ns"] = grouped / n;
    state.counters["draw_ns"] = bare / n;
    state.counters["item_vs_draw"] = grouped / bare;
}
BENCHMARK(GroupItem)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
BENCHMARK_MAIN();
