// Any bytes as the music: the stream opens or refuses, then plays through (to a bound), seeks and
// converts positions as the library's calls do. Whatever opens must stay within its own length.
// libogg drops every page whose checksum does not match, so nearly every mutation would only test
// the page sync: the checksums of whole pages are set right first, so damaged contents reach the
// decoder. Damage with wrong checksums is what tests/data/bad/music holds.
#include "platform/audio/AudioStream.h"
#include "platform/audio/bass.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

constexpr int outputRate = 44100;
constexpr int bufferFrames = 512;
constexpr int firstBuffers = 8;  // about 0.1 s from the start, then a buffer from each seek position

// The harness's own checks carry no coverage: they say nothing of the stream's code paths and
// would otherwise cost as much as the rendering they check.
__attribute__((no_sanitize("coverage"))) bool allFinite(const std::vector<float>& mix) {
    for (float sample : mix)
        if (!std::isfinite(sample)) return false;
    return true;
}

// Renders until the stream ends or the bound. Every sample must be finite: the output clamps the
// mix to full scale, which holds loud garbage from a misread stream but not an infinity or NaN.
void playSome(AudioStream& stream, double& now, int buffers) {
    std::vector<float> mix(bufferFrames * 2);
    for (int i = 0; i < buffers; ++i) {
        std::fill(mix.begin(), mix.end(), 0.0f);
        stream.render(mix.data(), bufferFrames, now, now);
        now += static_cast<double>(bufferFrames) / outputRate;
        if (!allFinite(mix)) __builtin_trap();
        double heard = stream.position(now);
        if (heard < 0 || heard > static_cast<double>(stream.length())) __builtin_trap();
    }
}

bool libraryStarted = false;

// Ogg's page checksum: CRC-32 with polynomial 0x04c11db7, not reflected, starting from 0, over
// the page with its checksum field zeroed.
std::uint32_t pageChecksum(const std::uint8_t* page, std::size_t size) {
    static const auto table = [] {
        std::vector<std::uint32_t> t(256);
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ page[i]) & 0xff];
    return crc;
}

void fixChecksums(std::vector<std::uint8_t>& bytes) {
    std::size_t at = 0;
    while (at + 27 <= bytes.size()) {
        if (std::memcmp(&bytes[at], "OggS", 4) != 0) {
            ++at;
            continue;
        }
        std::size_t header = 27 + std::size_t(bytes[at + 26]);
        if (at + header > bytes.size()) return;
        std::size_t body = 0;
        for (std::size_t i = 27; i < header; ++i) body += bytes[at + i];
        if (at + header + body > bytes.size()) return;
        std::memset(&bytes[at + 22], 0, 4);
        std::uint32_t crc = pageChecksum(&bytes[at], header + body);
        for (int k = 0; k < 4; ++k) bytes[at + 22 + k] = static_cast<std::uint8_t>(crc >> (8 * k));
        at += header + body;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    std::vector<std::uint8_t> copy(input, input + size);  // exactly sized: reading past it is caught
    fixChecksums(copy);
    const std::uint8_t* data = copy.data();
    int error = BASS_OK;
    std::unique_ptr<AudioStream> stream =
        AudioStream::open(data, size, {outputRate, bufferFrames, 0, false}, error);
    if (!stream) {
        if (error == BASS_OK) __builtin_trap();  // a refusal says why
        return 0;
    }
    if (stream->channels() < 1 || stream->rate() < 1 || stream->length() < 0) __builtin_trap();

    // Decode from the start, then from positions spread over the stream, as play and seeks do.
    // Seeks go where nothing has been decoded yet: damage there is met by the seek first.
    // Channels past the eighth are decoded and dropped: such a stream reaches no code of ours that
    // eight do not, and decoding up to 255 channels cost fifty times an ordinary input, so it gets
    // a buffer and two seeks.
    const bool droppedChannels = stream->channels() > 8;
    double now = 1000;
    stream->play(now);
    playSome(*stream, now, droppedChannels ? 1 : firstBuffers);
    const std::int64_t length = stream->length();
    const std::int64_t positions[] = {length / 2, 0, length / 8, 7 * (length / 8), length - 1, length + 1, -1};
    const std::size_t seeks = droppedChannels ? 2 : std::size(positions);
    for (std::int64_t at : std::vector<std::int64_t>(positions, positions + seeks)) {
        stream->setPosition(at, now);
        playSome(*stream, now, 1);
        stream->pause(now);
        if (stream->position(now) > static_cast<double>(length)) __builtin_trap();
        stream->play(now);
    }
    stream->pause(now);

    // The library's calls over the same bytes: positions in bytes, converted to seconds and back.
    if (!libraryStarted) {
        libraryStarted = BASS_Init(BASS_DEVICE_NOSOUND, outputRate, 0, nullptr, nullptr);
        if (!libraryStarted) return 0;
    }
    HSTREAM handle = BASS_StreamCreateFile(TRUE, data, 0, static_cast<DWORD>(size), 0);
    if (!handle) __builtin_trap();  // the same bytes opened above
    const QWORD frameBytes = 2 * static_cast<QWORD>(stream->channels());
    const QWORD bytes = static_cast<QWORD>(length) * frameBytes;
    const QWORD byteTargets[] = {0, bytes / 2, bytes, bytes + frameBytes, ~QWORD(0) - 1};
    for (QWORD target : byteTargets) {
        BOOL inside = BASS_ChannelSetPosition(handle, target);
        if (inside != (target / frameBytes <= static_cast<QWORD>(length))) __builtin_trap();
        QWORD at = BASS_ChannelGetPosition(handle);
        if (at > bytes || at % frameBytes != 0) __builtin_trap();
        float seconds = BASS_ChannelBytes2Seconds(handle, at);
        if (!(seconds >= 0)) __builtin_trap();
        QWORD back = BASS_ChannelSeconds2Bytes(handle, seconds);
        if (back % frameBytes != 0) __builtin_trap();
    }
    BASS_ChannelSeconds2Bytes(handle, -1.0f);
    BASS_ChannelSeconds2Bytes(handle, 3.4e38f);
    BASS_ChannelSeconds2Bytes(handle, NAN);
    if (!BASS_StreamFree(handle)) __builtin_trap();
    return 0;
}
