// The models that rebuild their geometry every frame, on a 320x240 hidden window (needs a
// display: run under Xvfb). Per model: the CPU time of one render (phases, state block, geometry
// built in place, draws from memory) against one bare DrawPrimitiveUP of a two-triangle fan,
// timed in the same run. Counters: render_ns, draw_ns and render_vs_draw, their ratio.
//   Arrow: 60 path samples, 123 vertices, two triangle lists and a line list.
//   Swish: a 40-vertex line strip and 38 points, a trail step every tenth second.
//   Optimus: two textured fans. Teapot: 2256 faces from a managed buffer.
#include "BenchDevice.h"

#include "app/Device.h"
#include "database/Database.h"
#include "models/Model.h"
#include "paths/Matrix4.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <chrono>

namespace {

const char* const document =
    "<demo><visual.group name=\"Empty\"/>"
    "<texture.target name=\"Solid\" visual=\"Empty\" size=\"16\" color=\"ff808080\"/>"
    "<path.spline name=\"Line\"><key p=\"0 0 0 0 0 0\" t=\"0\"/><key p=\"50 20 100 0 383 0\" t=\"50\"/>"
    "<key p=\"0 0 200 0 0 0\" t=\"100\"/></path.spline>"
    "<model.arrow name=\"Arrow\" path=\"Line\" color=\"ff8000\"/><model.swish name=\"Swish\"/>"
    "<model.optimus name=\"Optimus\" texture=\"Solid\"/><model.teapot name=\"Teapot\" texture=\"Solid\"/></demo>";

struct Bench : BenchDevice {
    TiXmlDocument parsed;
    Database database;

    bool create() {
        if (!createDevice(320, 240)) return false;
        parsed.Parse(document);
        return !parsed.Error() && database.load(&parsed);
    }

    ~Bench() {
        database.deleteObjects();
    }
};

void RenderAgainstDraw(benchmark::State& state, const char* name) {
    Bench b;
    Model* model = b.create() ? static_cast<Model*>(b.database.find(name, TypeModel)) : nullptr;
    if (!model) {
        state.SkipWithError("no device (needs a display) or the model did not load");
        return;
    }
    const float fan[4][5] = {{-1, -1, 2, 0, 1}, {-1, 1, 2, 0, 0}, {1, 1, 2, 1, 0}, {1, -1, 2, 1, 1}};
    const Matrix4 identity = identityMatrix();
    const int rounds = 200;
    float time = 60.0f;
    double rendered = 0, bare = 0;
    for (auto _ : state) {
        device->BeginScene();
        auto t0 = std::chrono::steady_clock::now();
        for (int r = 0; r < rounds; ++r) {
            device->SetTransform(D3DTS_WORLD, &identity);
            model->render(time += 0.016f, 0.016f);
        }
        auto t1 = std::chrono::steady_clock::now();
        // The baseline with the same few states every time, whatever the model left behind.
        device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        for (int r = 0; r < rounds; ++r) device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof fan[0]);
        auto t2 = std::chrono::steady_clock::now();
        device->EndScene();
        device->Present();  // lets the GL queue drain outside the timed parts
        rendered += std::chrono::duration<double, std::nano>(t1 - t0).count();
        bare += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = double(state.iterations()) * rounds;
    state.counters["render_ns"] = rendered / n;
    state.counters["draw_ns"] = bare / n;
    state.counters["render_vs_draw"] = rendered / bare;
}
BENCHMARK_CAPTURE(RenderAgainstDraw, Arrow, "Arrow")->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(RenderAgainstDraw, Swish, "Swish")->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(RenderAgainstDraw, Optimus, "Optimus")->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(RenderAgainstDraw, Teapot, "Teapot")->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
