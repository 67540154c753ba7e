// Waveform: the music's loudness over its whole length, computed once on a thread of its own from
// a decode channel over the same compressed bytes, so that no frame waits for it. Bins fill in
// order from the start; the main thread reads those published so far at any time. The bytes must
// stay valid for the whole run (the music's resource does); the destructor stops the thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

class Waveform {
public:
    static constexpr float binSeconds = 0.01f;  // the time one bin covers

    Waveform() = default;
    ~Waveform();
    Waveform(const Waveform&) = delete;
    Waveform& operator=(const Waveform&) = delete;

    // Starts the computation over these bytes; again with the same bytes it does nothing, with
    // others it starts over.
    void start(const void* data, std::size_t size);
    void stop();

    int total() const { return binCount.load(std::memory_order_acquire); }  // 0 until known
    int ready() const { return binsDone.load(std::memory_order_acquire); }  // bins published
    float peak(int bin) const { return peaks[static_cast<std::size_t>(bin)]; }    // 0..1, bin < ready()
    float level(int bin) const { return levels[static_cast<std::size_t>(bin)]; }  // RMS, 0..1

private:
    void run();

    const void* bytes = nullptr;  // not owned
    std::size_t byteCount = 0;
    std::thread worker;
    std::atomic<bool> stopping{false};
    std::atomic<int> binCount{0};   // published after the vectors are sized
    std::atomic<int> binsDone{0};   // published after each bin is written
    std::vector<float> peaks;       // sized once by the worker, before binCount
    std::vector<float> levels;
};
