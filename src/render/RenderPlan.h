// RenderPlan: a video split into chunks of frames that machines render side by side, kept as
// "plan.txt" in a folder every machine can reach. The chunks go to "chunks/" there, each a
// video-only segment of the same encoding; --assemble joins them into the output.
#pragma once

#include "render/RenderFingerprint.h"

#include <string>
#include <vector>

struct ChunkRange {
    int first = 0;  // first frame
    int end = 0;    // the frame after the last
};

class RenderPlan {
public:
    // folder/plan.txt, folder/chunks. A plan there already stays when it is of the same render
    // (options compared as meant, not as typed) from the same version of what it reads.
    bool write(std::string* error) const;
    bool read(const std::string& planFolder, std::string* error);

    int chunkCount() const;
    ChunkRange chunk(int index) const;
    std::string chunkFile(int index) const;
    std::string describeChunk(int index) const;  // "chunk 2 (frames 60 to 89)"
    // Empty when the chunk is complete; otherwise what is wrong ("missing", "has 12 of 30 frames").
    std::string chunkProblem(int index) const;
    // The zodrender command line that renders one chunk: the shared options, --frames and -o.
    std::vector<std::string> chunkArguments(int index) const;
    int frameCount() const { return endFrame - firstFrame; }

    std::string folder;                  // absolute
    std::string output;                  // the joined video, absolute
    std::string dataFile;                // the document, absolute; empty: the linked production
    // The render options every chunk gets, as RenderOptions holds them.
    int layoutWidth = 800;
    int layoutHeight = 600;
    bool antialias = false;
    bool force = false;
    std::string quality = "normal";
    RenderFingerprint fingerprint;  // what the chunks read
    int fps = 60;
    int width = 0;
    int height = 0;
    int firstFrame = 0;
    int endFrame = 0;
    int chunkFrames = 0;

    // Whether what the render reads is still what the plan was made from; otherwise *error names
    // what changed and refuses to go on with the plan.
    bool stillCurrent(const std::string& version, std::string* error) const;

private:
    std::string text() const;
    std::string options() const;  // everything but the fingerprint
};
