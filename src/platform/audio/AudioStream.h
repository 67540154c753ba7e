// AudioStream: one Ogg Vorbis stream decoded from bytes in memory (used in place, never copied),
// resampled to the output's rate and mixed into its stereo float buffer. Positions are frames of
// the decoded stream at its own rate. Playback state is shared with the output thread: the caller
// holds the output's lock around every call after open, except where a call says otherwise.
// A loop region makes the output jump from its end back to its start without a gap: a second
// decoder waits at the start with its first frames decoded, prepared ahead on the caller's thread.
#pragma once

#include "platform/audio/StreamClock.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>


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

    // Main thread, lock held: from now on, reaching frame end jumps back to frame start; end <= start
    // ends the loop. False for a loop too short to jump gaplessly or outside the stream.
    bool setLoop(std::int64_t start, std::int64_t end);
    // Main thread: decodes the loop's start ahead of time so that the jump finds it ready. Takes
    // the lock through the two calls given and works on the spare decoder without it.
    template <typename Lock, typename Unlock>
    void prepareLoop(Lock lock, Unlock unlock) {
        lock();
        const LoopJob job = loopJob();
        unlock();
        if (!job.needed) return;
        const std::int64_t reached = decodeHead(job);
        lock();
        finishHead(job, reached);
        unlock();
    }

    // A stream that is never played (a decode channel): the next frames, the stream's own channels
    // interleaved, at its own rate; 0 at the end. One thread at a time, no lock.
    long decode(float* into, long frames);

    struct Decoder;  // one libvorbisfile decoder over the bytes, with its read position

private:
    struct LoopJob {
        bool needed = false;
        unsigned generation = 0;
        std::int64_t start = 0;
    };
    struct Jump {
        double at = 0;      // unwrapped frame of the output's time line where the jump is heard
        double offset = 0;  // unwrapped minus real frames from there on
    };

    AudioStream();
    bool openDecoder(Decoder& into);
    void seekDecoder(std::int64_t frame);
    void jumpToLoopStart(double reached);
    LoopJob loopJob();
    std::int64_t decodeHead(const LoopJob& job);  // no lock: the spare decoder and head alone
    void finishHead(const LoopJob& job, std::int64_t reached);
    bool fillWindow(std::int64_t last);  // decodes until frame last is in the window
    // Appends frames decoded by the stream's channels as stereo pairs of the output's mix.
    void mixToStereo(float* const* pcm, long frames, std::vector<float>& into) const;
    void readFrame(std::int64_t frame, float& left, float& right) const;

    const unsigned char* bytes = nullptr;   // not owned; the compressed stream
    std::size_t byteCount = 0;
    std::unique_ptr<Decoder> decoder;       // owned; the one playing
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
    std::vector<float> window;              // decoded stereo frames from windowStart; capacity fixed at open
    std::int64_t windowStart = 0;           // frames
    double lastHeard = 0;                   // unwrapped frames; the last position reported while playing
    StreamClock clock;                      // runs on unwrapped frames: loop jumps do not turn it back

    // The loop; all frames of the stream.
    std::int64_t loopStart = 0;
    std::int64_t loopEnd = 0;               // 0: no loop
    unsigned loopGeneration = 0;            // changes with every setLoop: older preparations are dropped
    std::unique_ptr<Decoder> spare;         // owned; waits at loopStart + head's length once headReady
    std::vector<float> head;                // the loop's first frames, decoded; capacity as window's
    bool headReady = false;                 // spare and head belong to the output thread while true
    std::int64_t spareAt = 0;               // frames; where the spare decoder continues
    double unwrapOffset = 0;                // unwrapped minus real frames of what is rendered now
    double heardOffset = 0;                 // the same for what is heard now
    Jump jumps[16];                         // rendered, not yet heard, oldest first
    int jumpCount = 0;
};
