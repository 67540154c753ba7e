#include "platform/d3d9/DrawProfile.h"

#include "platform/d3d9/FixedFunctionShader.h"
#include "platform/d3d9/d3d9.h"

#include <epoxy/gl.h>

#include <ctime>

namespace d3d9 {

namespace {

struct Profiler {
    bool active = false;
    std::vector<std::string> events;
    std::vector<DrawRecord> records;
    GLuint queries[2] = {0, 0};  // fragment shader invocations, samples passed
    bool statistics = false;
    double startMs = 0;
};

Profiler& profiler() {
    static Profiler p;
    return p;
}

double processMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

}  // namespace

void DrawProfile::start() {
    Profiler& p = profiler();
    p.active = true;
    p.records.clear();
    p.events.clear();
}

std::vector<DrawRecord> DrawProfile::stop() {
    Profiler& p = profiler();
    p.active = false;
    return std::move(p.records);
}

bool DrawProfile::active() { return profiler().active; }

bool DrawProfile::countsFragments() {
    return epoxy_has_gl_extension("GL_ARB_pipeline_statistics_query");
}

void DrawProfile::begin() {
    Profiler& p = profiler();
    if (!p.queries[0]) {
        glGenQueries(2, p.queries);
        p.statistics = countsFragments();
    }
    glFinish();  // what came before is not this draw's cost
    p.startMs = processMs();
    if (p.statistics) glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, p.queries[0]);
    glBeginQuery(GL_SAMPLES_PASSED, p.queries[1]);
}

void DrawProfile::end(std::string operation, UINT width, UINT height, UINT primitives) {
    Profiler& p = profiler();
    if (p.statistics) glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
    glEndQuery(GL_SAMPLES_PASSED);
    glFinish();
    DrawRecord r;
    r.cpuMs = processMs() - p.startMs;
    GLuint64 value = 0;
    if (p.statistics) {
        glGetQueryObjectui64v(p.queries[0], GL_QUERY_RESULT, &value);
        r.fragments = value;
    }
    glGetQueryObjectui64v(p.queries[1], GL_QUERY_RESULT, &value);
    r.samples = value;
    for (const std::string& e : p.events) r.label += (r.label.empty() ? "" : "/") + e;
    r.operation = std::move(operation);
    r.targetWidth = width;
    r.targetHeight = height;
    r.primitives = primitives;
    p.records.push_back(std::move(r));
}

std::string DrawProfile::describe(const ProgramKey& k, bool blend, bool depthTest, bool depthWrite) {
    std::string s = k.shaderId ? "vs_1_1" : (k.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW ? "rhw" : "xyz";
    if (k.lighting) s += " lit" + std::to_string(k.lightCount) + (k.specular ? "+spec" : "");
    int textures = 0;
    for (int i = 0; i < k.stageCount; ++i) textures += k.stages[i].texture;
    if (textures) s += " tex" + std::to_string(textures);
    if (k.fog) s += " fog";
    if (k.alphaFunc) s += " alphatest";
    if (k.pointSprite) s += " sprites";
    if (blend) s += " blend";
    if (depthTest) s += depthWrite ? " z" : " zread";
    return s;
}

}  // namespace d3d9

DWORD D3DPERF_GetStatus() { return d3d9::DrawProfile::active() ? 1 : 0; }

int D3DPERF_BeginEvent(D3DCOLOR, const char* name) {
    if (!d3d9::DrawProfile::active()) return -1;
    auto& events = d3d9::profiler().events;
    events.emplace_back(name ? name : "");
    return int(events.size()) - 1;
}

int D3DPERF_EndEvent() {
    auto& events = d3d9::profiler().events;
    if (events.empty()) return -1;
    events.pop_back();
    return int(events.size());
}
