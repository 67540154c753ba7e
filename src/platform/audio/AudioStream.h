// AudioStream: one Ogg Vorbis stream decoded from bytes in memory (used in place, never copied),
// resampled to the output's rate and mixed into its stereo float buffer. Positions are frames of
// the decoded stream at its own rate. Playback state is shared with the output thread: the caller
// holds the output's lock around every call after open.
#pragma once

#include "platform/audio/StreamClock.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct OggVorbis_File;

// What a stream needs to know of the output it plays to.
struct OutputForm {
    int rate = 44100;        // Hz
    int bufferFrames = 512;  // output frames rendered at most in one go
    double latency = 0;      // seconds from rendering a frame to hearing it
    bool silent = false;     // nobody hears it: positions run on the clock alone
};

// The compressed bytes as the decoder reads them: in place, with a read position.
struct MemoryFile {
    const unsigned char* data = nullptr;  // not owned; the stream's creator keeps it valid
    std::size_t size = 0;
    std::size_t at = 0;
};

class AudioStream {
public:
    // Fails (null, with the library's error code) on bytes that are not a playable Ogg Vorbis
    // stream. The stream allocates nothing after this.
    static std::unique_ptr<AudioStream> open(const void* data, std::size_t size, const OutputForm& output,
                                             int& error);
    ~AudioStream();
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    int channels() const { return channelCount; }
    int rate() const { return sampleRate; }
    std::int64_t length() const { return totalFrames; }  // frames

    // Main thread, output lock held; now is the high-resolution clock in seconds.
    void play(double now);                             // continues from the position
    void pause(double now);                            // the position becomes what is heard now
    void setPosition(std::int64_t frame, double now);  // 0 .. length
    double position(double now);                       // frames heard now; never decreases while playing

    // Output thread, lock held: adds this stream's next frames to a stereo float buffer.
    void render(float* mix, int frames, double now, double heardAt);

private:
    AudioStream() = default;
    void seekDecoder(std::int64_t frame);
    bool fillWindow(std::int64_t last);  // decodes until frame last is in the window
    void readFrame(std::int64_t frame, float& left, float& right) const;

    MemoryFile memory;                      // the compressed bytes, read in place
    std::unique_ptr<OggVorbis_File> vorbis; // owned decoder; cleared in the destructor
    bool decoderOpen = false;
    int channelCount = 0;
    int sampleRate = 0;                     // Hz, the stream's own
    OutputForm output;                      // of the output this stream plays to
    float mixLeft[8] = {};                  // weight of each decoded channel in the left output
    float mixRight[8] = {};
    std::int64_t totalFrames = 0;

    bool playing = false;
    std::int64_t pausedAt = 0;              // frames; the position while not playing
    std::int64_t runStart = 0;              // frames; where the current run of output began
    std::int64_t runOutput = 0;             // output frames rendered since runStart
    bool ended = false;                     // the run reached the end of the stream
    std::int64_t decoderAt = 0;             // frames; where the decoder continues
    bool decoderFailed = false;             // a damaged stream: the rest plays as silence
    bool decoderBroken = false;             // the decoder reported an error: never seeked or read again
    std::vector<float> window;              // decoded stereo frames from windowStart; capacity fixed at open
    std::int64_t windowStart = 0;           // frames
    double lastHeard = 0;                   // frames; the last position reported while playing
    StreamClock clock;
};
