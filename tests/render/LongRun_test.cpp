// The long run: the whole production played ten times in one process by the fixed-step renderer,
// back to the start after each pass, as a viewer who lets it loop would. Whatever one pass
// creates (render targets, buffers, the device's programs, state blocks) must be there once, not
// once a pass: after the tenth pass the device holds exactly the objects it held after the first,
// the process's own memory and heap are where the second pass left them, and so is its number of
// threads (the first pass back from the start settles the allocators' and the driver's pools
// once: 3 MB more after it, then flat). How long the frames take is
// measured by bench/LongRun_bench.cpp (no timing here).
#include "platform/d3d9/LiveObjects.h"
#include "platform/win/Headless.h"
#include "render/FrameRenderer.h"
#include "support/ChildProcess.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // the sanitizer's allocator
#endif

namespace {

// Small frames: the cost is in the drawing calls, not the pixels, and this runs in CI.
constexpr int Width = 160, Height = 120;
constexpr float Step = 0.5f;  // seconds of demo time between frames
constexpr int Passes = 10;

struct DeviceObjects {
    d3d9::LiveObjects interfaces;       // the device's objects
    int glTextures = 0, glBuffers = 0, glPrograms = 0;  // what the driver holds for them

    bool operator==(const DeviceObjects&) const = default;
};

// GL hands out the smallest free names, so every live object's name lies below a bound that
// only grows with the number of objects.
int liveGlNames(GLboolean (*isName)(GLuint)) {
    int live = 0;
    for (GLuint name = 1; name < 8192; ++name)
        if (isName(name)) ++live;
    return live;
}

DeviceObjects deviceObjects() {
    DeviceObjects d;
    d.interfaces = d3d9::liveObjects();
    d.glTextures = liveGlNames([](GLuint n) { return glIsTexture(n); });
    d.glBuffers = liveGlNames([](GLuint n) { return glIsBuffer(n); });
    d.glPrograms = liveGlNames([](GLuint n) { return glIsProgram(n); });
    return d;
}

std::string describe(const DeviceObjects& d) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "textures %d, surfaces %d, vertex buffers %d, index buffers %d, state blocks %d, vertex shaders %d; "
                  "GL textures %d, buffers %d, programs %d",
                  d.interfaces.textures, d.interfaces.surfaces, d.interfaces.vertexBuffers, d.interfaces.indexBuffers,
                  d.interfaces.stateBlocks, d.interfaces.vertexShaders,
                  d.glTextures, d.glBuffers, d.glPrograms);
    return text;
}

// From /proc/self/status: a "Name: value" line's number (kB for the sizes).
long statusField(const char* name) {
    long value = -1;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const std::size_t length = std::strlen(name);
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, name, length) == 0 && line[length] == ':') value = std::strtol(line + length + 1, nullptr, 10);
        std::fclose(status);
    }
    return value;
}

// The process's own memory: its anonymous pages, in memory or swapped out. Not the resident pages
// of the libraries' files (the GL driver's code is most of them), which the kernel drops when
// other processes need the room and reads again when they are next run: tests side by side make
// that tens of megabytes from pass to pass, and no leak of ours is there.
long ownBytes() {
    const long anonymous = statusField("RssAnon"), swapped = statusField("VmSwap");
    return anonymous < 0 ? -1 : (anonymous + std::max(swapped, 0l)) * 1024;
}

// The heap's bytes in use by the program (not what the allocator keeps for later).
long heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<long>(heap.uordblks + heap.hblkhd);
#endif
}

}  // namespace

TEST(LongRun, TenPassesLeaveMemoryAndDeviceObjectsWhereOnePassLeftThem) {
#if defined(__SANITIZE_ADDRESS__)
    // Memory freed under the address sanitizer waits in its quarantine (up to 256 MB) before it is
    // used again, which moves the resident size by tens of megabytes from pass to pass: the passes
    // run in a child of this executable with the quarantine off.
    if (std::getenv("ZOD_LONG_RUN_CHILD") == nullptr) {
        ChildOptions options;
        options.timeLimitSeconds = 280;
        const char* asan = std::getenv("ASAN_OPTIONS");
        const ChildOutcome child = runTool(
            "/proc/self/exe", {"--gtest_filter=LongRun.*"}, options,
            {"ZOD_LONG_RUN_CHILD=1", std::string("ASAN_OPTIONS=") + (asan ? asan : "") +
                                         ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0"});
        EXPECT_EQ(child.exitCode, 0) << child.errors;
        return;
    }
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);  // the parent reads the child's standard error
#endif
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    std::string error;
    ASSERT_TRUE(renderer.open("", Width, Height, false, &error)) << error;

    std::vector<std::uint32_t> pixels;
    DeviceObjects afterFirst;
    std::vector<long> own(Passes + 1), heap(Passes + 1);
    long threadsAfterSecond = 0;
    int framesOfFirst = 0;
    for (int pass = 1; pass <= Passes; ++pass) {
        int frames = 0;
        // Until the production ends by itself, then from the start again.
        for (float time = 0.0f; renderer.render(time, Step); time += Step) {
            ASSERT_TRUE(renderer.readPixels(&pixels));
            ++frames;
        }
        const DeviceObjects objects = deviceObjects();
        own[pass] = ownBytes();
        heap[pass] = heapInUse();
        const long threads = statusField("Threads");
        std::fprintf(stderr, "pass %d: %d frames, own memory %.1f MB (resident %.1f MB with the libraries' files), heap in use %.1f MB, %ld threads, %s\n",
                     pass, frames, own[pass] / 1048576.0, statusField("VmRSS") / 1024.0, heap[pass] / 1048576.0, threads,
                     describe(objects).c_str());
        if (pass == 1) {
            ASSERT_GT(frames, 300);
            framesOfFirst = frames;
            afterFirst = objects;
            continue;
        }
        if (pass == 2) threadsAfterSecond = threads;
        EXPECT_EQ(threads, threadsAfterSecond) << "pass " << pass << ": threads left running";
        EXPECT_EQ(frames, framesOfFirst) << "pass " << pass;
        EXPECT_EQ(objects, afterFirst) << "pass " << pass << ": " << describe(objects) << "\n  after the first: "
                                       << describe(afterFirst);
    }
    // The memory at the end against the memory after the second pass, each the lower of two passes:
    // a reading may catch a pass's passing allocations (a megabyte and a half seen), a leak is in
    // both. Seven passes apart, a leak of 0.3 MB a pass shows.
    ASSERT_GT(own[2], 0);
    EXPECT_LE(std::min(own[Passes - 1], own[Passes]) - std::min(own[2], own[3]), 2l << 20);
    EXPECT_LE(std::min(heap[Passes - 1], heap[Passes]) - std::min(heap[2], heap[3]), 2l << 20);
}
