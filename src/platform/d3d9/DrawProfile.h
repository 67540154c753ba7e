// DrawProfile: where a frame's pixels go. While started, every draw, clear and present of the
// device is run to its end on its own (glFinish before and after), so that the processor time of
// the whole process between the two (every rasterizer thread included) is that operation's cost;
// GL's pipeline statistics count the fragments it shaded. Far slower than normal drawing: for
// benchmarks only. Draws are labelled with the D3DPERF events open around them.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace d3d9 {

struct ProgramKey;

struct DrawRecord {
    std::string label;         // the open D3DPERF events, outermost first, joined by '/'
    std::string operation;     // what the draw's program does and how it blends; "clear", "present"
    UINT targetWidth = 0, targetHeight = 0;
    UINT primitives = 0;
    std::uint64_t fragments = 0;  // fragment shader invocations; 0 when GL cannot count them
    std::uint64_t samples = 0;    // samples that passed the depth test
    double cpuMs = 0;             // process processor time, from the call to the end of rasterizing
};

class DrawProfile {
public:
    static void start();
    static std::vector<DrawRecord> stop();  // what was recorded since start
    static bool active();
    static bool countsFragments();  // GL offers pipeline statistics

    // The device's side: begin before the GL call, end after it.
    static void begin();
    static void end(std::string operation, UINT width, UINT height, UINT primitives);

    static std::string describe(const ProgramKey& key, bool blend, bool depthTest, bool depthWrite);
};

}  // namespace d3d9
