#include "clock/Waveform.h"

#include "platform/audio/bass.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

Waveform::~Waveform() = default;

void Waveform::stop() {
    work.reset();
    checked = nullptr;
}

Waveform& Waveform::operator=(const Waveform& other) {
    work = other.work;
    checked = nullptr;  // the bytes this one will be started with are still to be compared
    return *this;
}

void Waveform::start(const void* data, std::size_t size) {
    if (work && data == checked && size == work->bytes.size()) return;
    if (work && work->sameBytes(data, size)) {
        checked = data;
        return;
    }
    stop();
    if (!data || size == 0 || size > 0xffffffffu) return;
    try {
        work = std::make_shared<Work>(data, size);
        checked = data;
    } catch (const std::exception&) {
        // No memory or no thread: no waveform; the time line shows everything else.
        work.reset();
    }
}

Waveform::Work::Work(const void* data, std::size_t size)
    : bytes(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size) {
    worker = std::thread(&Work::run, this);
}

Waveform::Work::~Work() {
    stopping = true;
    if (worker.joinable()) worker.join();
}

bool Waveform::Work::sameBytes(const void* data, std::size_t size) const {
    return data && size == bytes.size() && std::memcmp(data, bytes.data(), size) == 0;
}

void Waveform::Work::run() {
    const HSTREAM channel = BASS_StreamCreateFile(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()),
                                                  BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    if (channel == 0) return;
    BASS_CHANNELINFO info;
    const float seconds = BASS_ChannelBytes2Seconds(channel, BASS_ChannelGetLength(channel));
    if (!BASS_ChannelGetInfo(channel, &info) || info.chans == 0 || info.freq == 0 || !(seconds > 0)) {
        BASS_StreamFree(channel);
        return;
    }
    const int bins = static_cast<int>(std::ceil(seconds / binSeconds));
    peaks.assign(static_cast<std::size_t>(bins), 0.0f);
    levels.assign(static_cast<std::size_t>(bins), 0.0f);
    binCount.store(bins, std::memory_order_release);

    const auto framesPerBin = static_cast<std::size_t>(std::lround(info.freq * static_cast<double>(binSeconds)));
    std::vector<float> samples(std::max<std::size_t>(framesPerBin, 1) * info.chans);
    for (int bin = 0; bin < bins && !stopping.load(std::memory_order_relaxed); ++bin) {
        const DWORD got = BASS_ChannelGetData(channel, samples.data(), static_cast<DWORD>(samples.size() * sizeof(float)));
        if (got == static_cast<DWORD>(-1)) break;  // the end, or the library was stopped
        const std::size_t count = got / sizeof(float);
        float largest = 0;
        double squares = 0;
        for (std::size_t i = 0; i < count; ++i) {
            largest = std::max(largest, std::fabs(samples[i]));
            squares += static_cast<double>(samples[i]) * samples[i];
        }
        peaks[static_cast<std::size_t>(bin)] = std::min(largest, 1.0f);
        levels[static_cast<std::size_t>(bin)] =
            count ? std::min(static_cast<float>(std::sqrt(squares / static_cast<double>(count))), 1.0f) : 0.0f;
        binsDone.store(bin + 1, std::memory_order_release);
        // Every fifth of a second of music, a pause: on a machine of few cores the frames (and the
        // renderer's own threads) keep most of the processor while this runs.
        if (bin % 20 == 19) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    BASS_StreamFree(channel);
}
