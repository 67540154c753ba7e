// The procedural textures and models on an 800 x 600 hidden window (needs a display: run under
// Xvfb), each against a baseline measured in the same run.
//   CloudTexture: one texture.cloud loaded (the 64^3 noise volume, its atlas, the upload) against
//     a plain loop drawing the same 299 072 random numbers. Counters: ms of each, their ratio.
//   CloudFrame: a frame with one cloud filling most of the picture against a clear-only frame,
//     each ended by Present. Counters: ms of each and cloud_vs_clear.
//   StarsFrame: the same with the 2500-star field (15 000 vertices rebuilt on the CPU).
#include "BenchDevice.h"

#include "app/Device.h"
#include "database/Database.h"
#include "models/ModelCloud.h"
#include "models/ModelStars.h"
#include "paths/Matrix4.h"
#include "platform/d3d9/d3d9.h"
#include "textures/Random.h"
#include "textures/TextureCloud.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <memory>

namespace {

constexpr int width = 800, height = 600;

const char* const document =
    "<demo>"
    "<texture.cloud name=\"Cloud Texture\" seed=\"1\"/>"
    "<model.cloud name=\"Cloud\" texture=\"Cloud Texture\" scale1=\"0.5\"/>"
    "<texture.cloud name=\"Star Texture\" seed=\"2\"/>"
    "<model.stars name=\"Stars\" texture=\"Star Texture\" scale1=\"300\" scale2=\"100\"/>"
    "</demo>";

struct Bench : BenchDevice {
    TiXmlDocument xml;
    std::unique_ptr<Database> database;

    bool create() {
        if (!createDevice(width, height)) return false;
        xml.Parse(document);
        database = std::make_unique<Database>();
        return !xml.Error() && database->load(&xml);
    }

    ~Bench() {
        if (database) database->deleteObjects();
        database.reset();
    }

    // A camera 60 units in front of the model, looking at it along +z.
    void placeCamera() {
        Matrix4 world = identityMatrix(), view = identityMatrix(), projection;
        view(3, 2) = 60.0f;
        projection(0, 0) = 2.4142f * 0.75f;
        projection(1, 1) = 2.4142f;
        projection(2, 2) = 1000.0f / 999.0f;
        projection(2, 3) = 1.0f;
        projection(3, 2) = -1000.0f / 999.0f;
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }

    void frame(Model* model) {
        beginFrame();
        if (model) {
            placeCamera();
            model->render(0.0f, 0.01f);
        }
        endFrame();
    }
};

void CloudTexture(benchmark::State& state) {
    Bench b;
    if (!b.create()) {
        state.SkipWithError("no device (needs a display)");
        return;
    }
    double build = 0, draws = 0;
    unsigned sink = 0;
    for (auto _ : state) {
        // A fresh database each time, so the texture is loaded again.
        Database database;
        database.load(&b.xml);
        build += millisecondsOf([&] { benchmark::DoNotOptimize(database.find("Cloud Texture", TypeTexture)); });
        database.deleteObjects();
        draws += millisecondsOf([&] {
            for (int i = 0; i < 262144 + 32768 + 4096 + 512 + 64; ++i) sink += static_cast<unsigned>(crtRand());
        });
    }
    benchmark::DoNotOptimize(sink);
    const double n = double(state.iterations());
    state.counters["texture_ms"] = build / n;
    state.counters["draws_ms"] = draws / n;
    state.counters["texture_vs_draws"] = build / draws;
}
BENCHMARK(CloudTexture)->Unit(benchmark::kMillisecond)->Iterations(5);

void modelFrames(benchmark::State& state, const char* name, const char* ratio) {
    Bench b;
    if (!b.create()) {
        state.SkipWithError("no device (needs a display)");
        return;
    }
    auto* model = static_cast<Model*>(b.database->find(name, TypeModel));
    if (!model) {
        state.SkipWithError("the model did not load");
        return;
    }
    b.frame(model);  // programs built before timing
    double clear = 0, drawn = 0;
    for (auto _ : state) {
        clear += millisecondsOf([&] { b.frame(nullptr); });
        drawn += millisecondsOf([&] { b.frame(model); });
    }
    const double n = double(state.iterations());
    state.counters["clear_ms"] = clear / n;
    state.counters["model_ms"] = drawn / n;
    state.counters[ratio] = drawn / clear;
}

void CloudFrame(benchmark::State& state) {
    modelFrames(state, "Cloud", "cloud_vs_clear");
}
BENCHMARK(CloudFrame)->Unit(benchmark::kMillisecond)->Iterations(20);

void StarsFrame(benchmark::State& state) {
    modelFrames(state, "Stars", "stars_vs_clear");
}
BENCHMARK(StarsFrame)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
