// AudioOutput: the library's one output, stereo float samples at the rate asked for: an SDL
// audio device, or, when none can be opened (or SDL's "dummy" driver is chosen), a silent output
// on a thread of its own that takes samples in real time (its streams' positions run on the clock).
// The attached streams are mixed on the output's thread; the main thread holds lock() around any
// call into a stream. The destructor stops the thread before anything is freed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct SDL_mutex;
class AudioStream;
struct OutputForm;

class AudioOutput {
public:
    // device 0 asks for the silent output. Null (with the library's error code) only when no
    // output can run at all.
    static std::unique_ptr<AudioOutput> open(int device, int rate, int& error);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    static double now();  // seconds of the high-resolution clock every position refers to

    void lock();
    void unlock();
    void attach(AudioStream* stream);  // takes the lock
    void detach(AudioStream* stream);  // takes the lock; the stream is not mixed after this returns

    int rate() const { return outputRate; }
    int bufferFrames() const { return frames; }
    double latency() const { return latencySeconds; }
    bool silent() const { return device == 0; }
    OutputForm form() const;

private:
    AudioOutput() = default;
    bool openDevice();
    bool startSilent();
    void runSilent();
    void mix(float* out, int count, double now, double heardAt);
    static void callback(void* user, unsigned char* bytes, int length);

    int outputRate = 0;            // Hz
    int frames = 512;              // frames per buffer handed to the output
    double latencySeconds = 0;     // from handing a buffer to hearing its first frame
    unsigned device = 0;           // the SDL device; 0 for the silent output
    bool audioSubsystem = false;   // SDL's audio subsystem was started by this output
    bool silentChosen = false;     // SDL_AUDIODRIVER=dummy asked for silence: nothing to report
    SDL_mutex* mutex = nullptr;    // owned; guards streams and every stream's playback state
    std::vector<AudioStream*> streams;  // not owned; the library frees them
    std::vector<float> silentBuffer;    // the silent output's mix, thrown away
    std::thread silentThread;
    std::mutex wakeMutex;               // only for stopping the silent thread promptly
    std::condition_variable wake;
    std::atomic<bool> stopping{false};
};
