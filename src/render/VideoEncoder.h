// VideoEncoder: pipes raw frames to the ffmpeg program, which encodes them (H.264 and AAC in MP4
// unless the file name asks for another container) together with a slice of the music. ffmpeg
// writes a hidden temporary file beside the output; finish renames it into place.
#pragma once

#include "render/FrameSink.h"

#include <sys/types.h>

#include <string>

struct VideoSettings {
    std::string output;
    int width = 0;
    int height = 0;
    int fps = 60;
    std::string music;      // a file of the compressed music; empty: no sound
    double musicStart = 0;  // seconds into the music of the first frame
    double duration = -1;   // seconds of music; negative: as long as the frames last
};

class VideoEncoder : public FrameSink {
public:
    ~VideoEncoder() override;
    bool open(const VideoSettings& settings);  // false with error() set: no ffmpeg, unwritable folder
    bool write(const std::uint32_t* pixels) override;
    bool finish() override;

    static std::string findProgram(const char* name);  // the first match on PATH, or empty

private:
    void abandon();
    std::string errorOutput();  // what ffmpeg said

    VideoSettings settings;
    std::string temporary;  // ffmpeg's output until finish
    std::string logFile;    // ffmpeg's standard error
    pid_t child = -1;
    int pipe = -1;          // ffmpeg's standard input
};
