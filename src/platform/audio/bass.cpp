// The library's calls over one AudioOutput and its streams. Only the calling thread touches the
// table of streams; their playback state is shared with the output thread under its lock.
#include "platform/audio/bass.h"

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioStream.h"

#include <cmath>
#include <map>
#include <memory>

namespace {

std::unique_ptr<AudioOutput> output;                   // none until BASS_Init
std::map<HSTREAM, std::unique_ptr<AudioStream>> streams;  // owned; freed before the output
HSTREAM lastHandle = 0;  // never reused, so a stale handle cannot reach a newer stream
thread_local int lastError = BASS_OK;

constexpr QWORD failedPosition = static_cast<QWORD>(-1);

BOOL fail(int error) {
    lastError = error;
    return FALSE;
}

BOOL succeed() {
    lastError = BASS_OK;
    return TRUE;
}

AudioStream* find(DWORD handle) {
    if (!output) {
        lastError = BASS_ERROR_INIT;
        return nullptr;
    }
    auto found = streams.find(handle);
    if (found == streams.end()) {
        lastError = BASS_ERROR_HANDLE;
        return nullptr;
    }
    return found->second.get();
}

QWORD frameBytes(const AudioStream* stream) {
    return 2 * static_cast<QWORD>(stream->channels());  // decoded samples are 16-bit
}

// Runs a call into a stream under the output's lock.
template <typename Call>
auto locked(Call call) {
    output->lock();
    auto result = call();
    output->unlock();
    return result;
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window, const GUID* deviceId) {
    if (output) {
        return fail(BASS_ERROR_ALREADY);
    }
    if (device < -1 || device > BASS_DEVICE_FIRST) {
        return fail(BASS_ERROR_DEVICE);  // only the first device is known
    }
    int error = BASS_OK;
    output = AudioOutput::open(device, static_cast<int>(freq), error);
    return output ? succeed() : fail(error);
}

BOOL BASS_Free() {
    if (!output) {
        return fail(BASS_ERROR_INIT);
    }
    for (auto& [handle, stream] : streams) {
        output->detach(stream.get());
    }
    streams.clear();
    output.reset();
    return succeed();
}

int BASS_ErrorGetCode() {
    return lastError;
}

BOOL BASS_GetInfo(BASS_INFO* info) {
    if (!output) {
        return fail(BASS_ERROR_INIT);
    }
    if (!info) {
        return fail(BASS_ERROR_ILLPARAM);
    }
    info->freq = static_cast<DWORD>(output->rate());
    info->latency = static_cast<DWORD>(std::lround(output->latency() * 1000));
    info->speakers = 2;
    info->silent = output->silent() ? TRUE : FALSE;
    return succeed();
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
    if (!output) {
        return fail(BASS_ERROR_INIT);
    }
    if (!mem || !file || length == 0) {
        return fail(BASS_ERROR_ILLPARAM);
    }
    int error = BASS_OK;
    std::unique_ptr<AudioStream> stream =
        AudioStream::open(static_cast<const unsigned char*>(file) + offset, length, output->form(), error);
    if (!stream) {
        return fail(error);
    }
    HSTREAM handle = ++lastHandle;
    output->attach(stream.get());
    streams.emplace(handle, std::move(stream));
    succeed();
    return handle;
}

BOOL BASS_StreamFree(HSTREAM handle) {
    if (!find(handle)) {
        return FALSE;
    }
    output->detach(streams[handle].get());
    streams.erase(handle);
    return succeed();
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    AudioStream* stream = find(handle);
    if (!stream) {
        return FALSE;
    }
    locked([&] {
        double now = AudioOutput::now();
        if (restart) {
            stream->setPosition(0, now);
        }
        stream->play(now);
        return 0;
    });
    return succeed();
}

BOOL BASS_ChannelPause(DWORD handle) {
    AudioStream* stream = find(handle);
    if (!stream) {
        return FALSE;
    }
    locked([&] {
        stream->pause(AudioOutput::now());
        return 0;
    });
    return succeed();
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    AudioStream* stream = find(handle);
    if (!stream) {
        return FALSE;
    }
    QWORD frame = pos / frameBytes(stream);
    bool beyond = frame > static_cast<QWORD>(stream->length());
    if (beyond) {
        frame = static_cast<QWORD>(stream->length());
    }
    locked([&] {
        stream->setPosition(static_cast<std::int64_t>(frame), AudioOutput::now());
        return 0;
    });
    return beyond ? fail(BASS_ERROR_POSITION) : succeed();
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    AudioStream* stream = find(handle);
    if (!stream) {
        return failedPosition;
    }
    double frames = locked([&] { return stream->position(AudioOutput::now()); });
    succeed();
    return static_cast<QWORD>(frames) * frameBytes(stream);
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    AudioStream* stream = find(handle);
    if (!stream || pos == failedPosition) {
        if (stream) {
            lastError = BASS_ERROR_ILLPARAM;
        }
        return -1;
    }
    succeed();
    double bytesPerSecond = static_cast<double>(frameBytes(stream)) * stream->rate();
    return static_cast<float>(static_cast<double>(pos) / bytesPerSecond);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
    AudioStream* stream = find(handle);
    if (!stream) {
        return failedPosition;
    }
    succeed();
    if (!(pos > 0)) {
        return 0;  // negative or not a number: the start
    }
    // The nearest frame, so that seconds read from a position convert back to that position.
    double frames = std::round(static_cast<double>(pos) * stream->rate());
    if (frames >= 1e15) {
        return static_cast<QWORD>(1e15) * frameBytes(stream);  // far past any stream's end
    }
    return static_cast<QWORD>(frames) * frameBytes(stream);
}
