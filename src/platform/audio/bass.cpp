// The library's calls over one AudioOutput and its streams. The table of streams is guarded by its
// own lock, since a decode channel may be read on another thread; a stream stays alive while a call
// uses it. Playback state is shared with the output thread under the output's lock.
#include "platform/audio/bass.h"

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioStream.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace {

std::unique_ptr<AudioOutput> output;                   // none until BASS_Init
struct Channel {
    std::shared_ptr<AudioStream> stream;  // shared with calls in progress
    DWORD flags = 0;
};
std::map<HSTREAM, Channel> streams;  // owned; freed before the output
std::mutex table;                    // guards output (the pointer), streams and lastHandle
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

Channel find(DWORD handle) {
    std::lock_guard<std::mutex> guard(table);
    if (!output) {
        lastError = BASS_ERROR_INIT;
        return {};
    }
    auto found = streams.find(handle);
    if (found == streams.end()) {
        lastError = BASS_ERROR_HANDLE;
        return {};
    }
    return found->second;
}

// A stream that plays: decode channels are not mixed and have no playback state.
std::shared_ptr<AudioStream> findPlayable(DWORD handle) {
    Channel channel = find(handle);
    if (channel.stream && (channel.flags & BASS_STREAM_DECODE)) {
        lastError = BASS_ERROR_NOTAVAIL;
        return {};
    }
    return channel.stream;
}

QWORD frameBytes(const AudioStream* stream) {
    return 2 * static_cast<QWORD>(stream->channels());  // decoded samples are 16-bit
}

// Runs a call into a stream under the output's lock.
template <typename Call>
auto locked(Call call) {
    std::lock_guard<std::mutex> guard(table);  // the output stays while its lock is held
    output->lock();
    auto result = call();
    output->unlock();
    return result;
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window, const GUID* deviceId) {
    std::lock_guard<std::mutex> guard(table);
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
    std::lock_guard<std::mutex> guard(table);
    if (!output) {
        return fail(BASS_ERROR_INIT);
    }
    for (auto& [handle, channel] : streams) {
        if (!(channel.flags & BASS_STREAM_DECODE)) output->detach(channel.stream.get());
    }
    streams.clear();
    output.reset();
    return succeed();
}

int BASS_ErrorGetCode() {
    return lastError;
}

BOOL BASS_GetInfo(BASS_INFO* info) {
    std::lock_guard<std::mutex> guard(table);
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

BOOL BASS_StreamCheckFile(const void* file, DWORD length) {
    int error = BASS_OK;
    return file && length != 0 && AudioStream::open(static_cast<const unsigned char*>(file), length, OutputForm{}, error);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
    OutputForm form;
    {
        std::lock_guard<std::mutex> guard(table);
        if (!output) {
            return fail(BASS_ERROR_INIT);
        }
        form = output->form();
    }
    if (!mem || !file || length == 0) {
        return fail(BASS_ERROR_ILLPARAM);
    }
    const bool decode = (flags & BASS_STREAM_DECODE) != 0;
    if (decode && !(flags & BASS_SAMPLE_FLOAT)) {
        return fail(BASS_ERROR_ILLPARAM);  // decode channels give floats only
    }
    int error = BASS_OK;
    // Opening reads the whole stream's bounds: done outside the table's lock.
    std::shared_ptr<AudioStream> stream =
        AudioStream::open(static_cast<const unsigned char*>(file) + offset, length, form, error);
    if (!stream) {
        return fail(error);
    }
    std::lock_guard<std::mutex> guard(table);
    if (!output) {
        return fail(BASS_ERROR_INIT);
    }
    HSTREAM handle = ++lastHandle;
    if (!decode) output->attach(stream.get());
    streams.emplace(handle, Channel{std::move(stream), flags & (BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT)});
    succeed();
    return handle;
}

BOOL BASS_StreamFree(HSTREAM handle) {
    std::shared_ptr<AudioStream> freed;  // a decode channel being read on goes when that read ends
    {
        std::lock_guard<std::mutex> guard(table);
        auto found = output ? streams.find(handle) : streams.end();
        if (found == streams.end()) {
            return fail(output ? BASS_ERROR_HANDLE : BASS_ERROR_INIT);
        }
        if (!(found->second.flags & BASS_STREAM_DECODE)) output->detach(found->second.stream.get());
        freed = std::move(found->second.stream);
        streams.erase(found);
    }
    return succeed();
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    std::shared_ptr<AudioStream> stream = findPlayable(handle);
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
    std::shared_ptr<AudioStream> stream = findPlayable(handle);
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
    std::shared_ptr<AudioStream> stream = findPlayable(handle);
    if (!stream) {
        return FALSE;
    }
    QWORD frame = pos / frameBytes(stream.get());
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
    std::shared_ptr<AudioStream> stream = findPlayable(handle);
    if (!stream) {
        return failedPosition;
    }
    double frames = locked([&] { return stream->position(AudioOutput::now()); });
    succeed();
    return static_cast<QWORD>(frames) * frameBytes(stream.get());
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    std::shared_ptr<AudioStream> stream = find(handle).stream;
    if (!stream || pos == failedPosition) {
        if (stream) {
            lastError = BASS_ERROR_ILLPARAM;
        }
        return -1;
    }
    succeed();
    double bytesPerSecond = static_cast<double>(frameBytes(stream.get())) * stream->rate();
    return static_cast<float>(static_cast<double>(pos) / bytesPerSecond);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
    std::shared_ptr<AudioStream> stream = find(handle).stream;
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
        return static_cast<QWORD>(1e15) * frameBytes(stream.get());  // far past any stream's end
    }
    return static_cast<QWORD>(frames) * frameBytes(stream.get());
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    Channel channel = find(handle);
    if (!channel.stream) {
        return FALSE;
    }
    if (!info) {
        return fail(BASS_ERROR_ILLPARAM);
    }
    info->freq = static_cast<DWORD>(channel.stream->rate());
    info->chans = static_cast<DWORD>(channel.stream->channels());
    info->flags = channel.flags;
    return succeed();
}

QWORD BASS_ChannelGetLength(DWORD handle) {
    std::shared_ptr<AudioStream> stream = find(handle).stream;
    if (!stream) {
        return failedPosition;
    }
    succeed();
    return static_cast<QWORD>(stream->length()) * frameBytes(stream.get());
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    Channel channel = find(handle);
    if (!channel.stream) {
        return static_cast<DWORD>(-1);
    }
    if (!(channel.flags & BASS_STREAM_DECODE) || !buffer) {
        lastError = !buffer ? BASS_ERROR_ILLPARAM : BASS_ERROR_NOTAVAIL;
        return static_cast<DWORD>(-1);
    }
    const DWORD frameSize = static_cast<DWORD>(sizeof(float)) * static_cast<DWORD>(channel.stream->channels());
    const long got = channel.stream->decode(static_cast<float*>(buffer), static_cast<long>(length / frameSize));
    if (got <= 0) {
        lastError = BASS_ERROR_ENDED;
        return static_cast<DWORD>(-1);
    }
    succeed();
    return static_cast<DWORD>(got) * frameSize;
}

BOOL BASS_ChannelSetLoop(DWORD handle, QWORD start, QWORD end) {
    std::shared_ptr<AudioStream> stream = findPlayable(handle);
    if (!stream) {
        return FALSE;
    }
    const QWORD size = frameBytes(stream.get());
    const bool set = locked([&] {
        return stream->setLoop(static_cast<std::int64_t>(start / size), static_cast<std::int64_t>(end / size));
    });
    return set ? succeed() : fail(BASS_ERROR_ILLPARAM);
}

BOOL BASS_ChannelUpdate(DWORD handle, DWORD) {
    std::shared_ptr<AudioStream> stream = findPlayable(handle);
    if (!stream) {
        return FALSE;
    }
    std::unique_lock<std::mutex> guard(table);
    AudioOutput* out = output.get();
    if (!out) {
        return fail(BASS_ERROR_INIT);
    }
    // The table's lock stays held, so the output cannot go; the output's lock is taken only
    // around the stream's shared state, not while it decodes.
    stream->prepareLoop([&] { out->lock(); }, [&] { out->unlock(); });
    return succeed();
}
