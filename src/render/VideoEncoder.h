// VideoEncoder: pipes raw frames to the ffmpeg program, which encodes them (H.264 and AAC in MP4
// unless the file name asks for another container) together with a slice of the music. ffmpeg
// writes a hidden temporary file beside the output; finish renames it into place. Frames for H.264
// go as YUV 4:2:0, converted here: a third of the bytes through the pipe, and no conversion in ffmpeg.
#pragma once

#include "render/FrameSink.h"

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct VideoSettings {
    std::string output;
    int width = 0;
    int height = 0;
    int fps = 60;
    std::string music;      // a file of the compressed music; empty: no sound
    double musicStart = 0;  // seconds into the music of the first frame
    double duration = -1;   // seconds of music; negative: as long as the frames last
    std::string quality = "normal";  // draft, normal or best: the encoder's speed against its care
};

class VideoEncoder : public FrameSink {
public:
    ~VideoEncoder() override;
    bool open(const VideoSettings& settings);  // false with error() set: no ffmpeg, unwritable folder
    // Takes the frame and returns; a thread of the encoder's own feeds it to ffmpeg while the
    // next one is drawn. A failure shows at the next write or at finish.
    bool write(std::vector<std::uint32_t>& pixels) override;
    bool finish() override;

    static std::string findProgram(const char* name);  // the first match on PATH, or empty
    static std::string extensionOf(const std::string& path);  // ".mp4", lower case; empty for none
    static bool holdsH264(const std::string& ext);  // a container the video goes into as H.264 (MP4 without one)
    // ffmpeg's encoding of the music in an H.264 video; the joining of a plan's chunks uses it too,
    // so that the sound is that of a one-machine render.
    static constexpr const char* musicCodec[] = {"-c:a", "aac", "-b:a", "192k"};

private:
    void abandon();
    std::string errorOutput();  // what ffmpeg said
    std::string stoppedMessage();  // the error once ffmpeg takes no more frames; reaps it when it was killed
    void feed();                // the writer thread
    bool waitForWriter();       // until the frame handed over is written; false: it failed
    void stopWriter();          // lets the writer finish what it holds and ends it
    bool writeAll(const char* bytes, std::size_t size);

    VideoSettings settings;
    std::string temporary;  // ffmpeg's output until finish
    std::string logFile;    // ffmpeg's standard error
    pid_t child = -1;
    int pipe = -1;          // ffmpeg's standard input

    std::thread writer;
    std::mutex lock;
    std::condition_variable changed;
    bool sendsYuv = false;               // frames go as YUV 4:2:0, else as B, G, R, A
    std::vector<std::uint32_t> pending;  // the frame handed to the writer
    std::vector<std::uint8_t> converted; // the writer's: pending as YUV 4:2:0
    bool full = false;                   // pending holds a frame not yet written
    bool stopping = false;
    bool failed = false;                 // the writer could not write
};
