#include "platform/audio/AudioOutput.h"

#include "platform/audio/AudioStream.h"
#include "platform/audio/bass.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace {
constexpr double behindLimit = 0.2;  // seconds; a silent output this far behind starts afresh

// The sound libraries print every failed probe for a card straight to standard error (ALSA
// eight lines without one); while they probe, standard error goes nowhere, and the outcome is
// said once instead.
class StandardErrorMuted {
public:
    StandardErrorMuted() {
        std::fflush(stderr);
        saved = fcntl(2, F_DUPFD_CLOEXEC, 3);
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && nowhere >= 0) dup2(nowhere, 2);
        if (nowhere >= 0) close(nowhere);
    }
    ~StandardErrorMuted() {
        std::fflush(stderr);
        if (saved < 0) return;
        dup2(saved, 2);
        close(saved);
    }
    StandardErrorMuted(const StandardErrorMuted&) = delete;
    StandardErrorMuted& operator=(const StandardErrorMuted&) = delete;

private:
    int saved = -1;
};

}  // namespace

double AudioOutput::now() {
    static const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    return static_cast<double>(SDL_GetPerformanceCounter()) / frequency;
}

std::unique_ptr<AudioOutput> AudioOutput::open(int device, int rate, int& error) {
    if (rate < 8000 || rate > 192000) {
        error = BASS_ERROR_FREQ;
        return nullptr;
    }
    std::unique_ptr<AudioOutput> output(new AudioOutput);
    output->outputRate = rate;
    output->mutex = SDL_CreateMutex();
    if (!output->mutex) {
        error = BASS_ERROR_MEM;
        return nullptr;
    }
    if (device != BASS_DEVICE_NOSOUND && output->openDevice()) {
        error = BASS_OK;
        return output;
    }
    static bool told = false;
    if (device != BASS_DEVICE_NOSOUND && !output->silentChosen && !told) {
        told = true;
        std::fputs("No sound device: playing without sound.\n", stderr);
    }
    if (!output->startSilent()) {
        error = BASS_ERROR_UNKNOWN;
        return nullptr;
    }
    error = BASS_OK;
    return output;
}

bool AudioOutput::openDevice() {
    StandardErrorMuted quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;  // no audio driver at all
    }
    audioSubsystem = true;
    // SDL's dummy driver paces itself by sleeping a buffer's length, which lags real time a little
    // on every buffer; the silent output keeps time exactly instead.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && std::strcmp(driver, "dummy") == 0) {
        silentChosen = true;
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = outputRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(frames);
    want.callback = callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);  // SDL converts to the device's form
    if (device == 0) {
        return false;
    }
    frames = have.samples > 0 ? have.samples : frames;
    // The buffer being filled is heard once the one before it has played.
    latencySeconds = static_cast<double>(frames) / outputRate;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

bool AudioOutput::startSilent() {
    if (audioSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem = false;
    }
    latencySeconds = static_cast<double>(frames) / outputRate;
    silentBuffer.assign(static_cast<std::size_t>(frames) * 2, 0.0f);
    try {
        silentThread = std::thread(&AudioOutput::runSilent, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

AudioOutput::~AudioOutput() {
    if (device != 0) {
        SDL_CloseAudioDevice(device);  // returns once the callback has finished
    }
    if (silentThread.joinable()) {
        {
            std::lock_guard<std::mutex> guard(wakeMutex);
            stopping = true;
        }
        wake.notify_all();
        silentThread.join();
    }
    if (audioSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (mutex) {
        SDL_DestroyMutex(mutex);
    }
}

OutputForm AudioOutput::form() const {
    return {outputRate, frames, latencySeconds, silent()};
}

void AudioOutput::lock() {
    SDL_LockMutex(mutex);
}

void AudioOutput::unlock() {
    SDL_UnlockMutex(mutex);
}

void AudioOutput::attach(AudioStream* stream) {
    lock();
    streams.push_back(stream);
    unlock();
}

void AudioOutput::detach(AudioStream* stream) {
    lock();
    streams.erase(std::remove(streams.begin(), streams.end(), stream), streams.end());
    unlock();
}

void AudioOutput::mix(float* out, int count, double now, double heardAt) {
    std::fill(out, out + static_cast<std::ptrdiff_t>(count) * 2, 0.0f);
    for (AudioStream* stream : streams) {
        stream->render(out, count, now, heardAt);
    }
    for (int i = 0; i < count * 2; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
}

void AudioOutput::callback(void* user, unsigned char* bytes, int length) {
    auto* output = static_cast<AudioOutput*>(user);
    output->lock();
    double now = AudioOutput::now();  // read under the lock, so no reader saw a later time first
    output->mix(reinterpret_cast<float*>(bytes), length / static_cast<int>(2 * sizeof(float)), now,
                now + output->latencySeconds);
    output->unlock();
}

void AudioOutput::runSilent() {
    // Buffers are taken at exact multiples of their length from the start, as a sound card's
    // clock would take them; late wake-ups catch up without moving the time line.
    const double period = static_cast<double>(frames) / outputRate;
    double due = now();
    std::unique_lock<std::mutex> wait(wakeMutex);
    while (!stopping) {
        double ahead = due - now();
        if (ahead > 0) {
            wake.wait_for(wait, std::chrono::duration<double>(ahead));
            continue;  // woken early, by a stop or spuriously: look again
        }
        if (-ahead > behindLimit) {
            due = now();  // the machine stalled: go on from here, as an output after an underrun
        }
        wait.unlock();
        lock();
        mix(silentBuffer.data(), frames, due, due + latencySeconds);
        unlock();
        wait.lock();
        due += period;
    }
}
