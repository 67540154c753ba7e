// Waveform: the music's loudness over its whole length, computed once on a thread of its own from
// a decode channel over its own copy of the compressed bytes, so that no frame waits for it. Bins
// fill in order from the start; the main thread reads those published so far at any time. A copy
// shares the work, done or running: the time line of a reload keeps it as long as the music's
// bytes are the same, so the same music is decoded once. The last waveform holding a work stops
// its thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

class Waveform {
public:
    static constexpr float binSeconds = 0.01f;  // the time one bin covers

    Waveform() = default;
    ~Waveform();
    Waveform(const Waveform& other) : work(other.work) {}
    Waveform& operator=(const Waveform& other);

    // Starts the computation over these bytes; with bytes equal to those of the work it holds
    // (compared byte for byte) it does nothing, with others it starts over. No bytes: no work.
    void start(const void* data, std::size_t size);
    void stop();  // the work is let go; its thread ends when no other waveform holds it
    bool isSharedWith(const Waveform& other) const { return work && work == other.work; }

    int total() const { return work ? work->binCount.load(std::memory_order_acquire) : 0; }  // 0 until known
    int ready() const { return work ? work->binsDone.load(std::memory_order_acquire) : 0; }  // bins published
    float peak(int bin) const { return work->peaks[static_cast<std::size_t>(bin)]; }    // 0..1, bin < ready()
    float level(int bin) const { return work->levels[static_cast<std::size_t>(bin)]; }  // RMS, 0..1

private:
    struct Work {
        explicit Work(const void* data, std::size_t size);
        ~Work();  // stops and joins the thread
        Work(const Work&) = delete;
        Work& operator=(const Work&) = delete;
        void run();
        bool sameBytes(const void* data, std::size_t size) const;

        std::vector<unsigned char> bytes;  // the music's, copied: the work may outlive the music
        std::thread worker;
        std::atomic<bool> stopping{false};
        std::atomic<int> binCount{0};   // published after the vectors are sized
        std::atomic<int> binsDone{0};   // published after each bin is written
        std::vector<float> peaks;       // sized once by the worker, before binCount
        std::vector<float> levels;
    };

    std::shared_ptr<Work> work;     // none before start, or without bytes
    const void* checked = nullptr;  // not owned: bytes found equal to the work's; start trusts them
};
