#include "platform/audio/AudioStream.h"

#include "platform/audio/bass.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

constexpr long decodeChunk = 4096;  // frames asked of the decoder at a time
constexpr int maxHoles = 64;        // consecutive damaged pages before the rest counts as lost

std::size_t readMemory(void* into, std::size_t size, std::size_t count, void* source) {
    auto* file = static_cast<MemoryFile*>(source);
    if (size == 0) {
        return 0;
    }
    std::size_t whole = std::min(count, (file->size - file->at) / size);
    std::memcpy(into, file->data + file->at, whole * size);
    file->at += whole * size;
    return whole;
}

int seekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(source);
    auto size = static_cast<ogg_int64_t>(file->size);
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(file->at)
                       : whence == SEEK_END ? size
                                            : -1;
    if (base < 0 || offset < -base || offset > size - base) {
        return -1;
    }
    file->at = static_cast<std::size_t>(base + offset);
    return 0;
}

long tellMemory(void* source) {
    return static_cast<long>(static_cast<MemoryFile*>(source)->at);
}

// Stereo weights of Vorbis's channel orders (1 to 8 channels); a centre or rear feeds both sides at
// -3 dB, the low-frequency channel is left out. Further channels have no defined place and are dropped.
void downmixWeights(int channels, float* left, float* right) {
    constexpr float h = 0.7071f;
    struct Weights { float l, r; };
    static const Weights orders[8][8] = {
        {{1, 1}},
        {{1, 0}, {0, 1}},
        {{1, 0}, {h, h}, {0, 1}},
        {{1, 0}, {0, 1}, {h, 0}, {0, h}},
        {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}},
        {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}, {0, 0}},
        {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}, {0.5f, 0.5f}, {0, 0}},
        {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}, {h, 0}, {0, h}, {0, 0}},
    };
    const Weights* order = orders[std::min(channels, 8) - 1];
    float sumLeft = 0, sumRight = 0;
    for (int c = 0; c < std::min(channels, 8); ++c) {
        left[c] = order[c].l;
        right[c] = order[c].r;
        sumLeft += left[c];
        sumRight += right[c];
    }
    // Full-scale input on every channel must not clip the mix.
    for (int c = 0; c < std::min(channels, 8); ++c) {
        left[c] /= std::max(sumLeft, 1.0f);
        right[c] /= std::max(sumRight, 1.0f);
    }
}

// Whether libvorbis can set up decoding for the link whose first page is at offset. It builds a
// link's codebooks when it first decodes there, and when that fails it keeps them half built; a
// seek that reads on into such a link ignores the failure, and the next decode divides by zero
// with the empty books. So the link's headers are read again here into a decoder of their own,
// built and thrown away, and a stream with a link that fails is refused at open.
bool linkDecodes(const unsigned char* data, std::size_t size, std::size_t offset, long serial) {
    ogg_sync_state sync;
    ogg_stream_state pages;
    vorbis_info info;
    vorbis_comment comment;
    ogg_sync_init(&sync);
    ogg_stream_init(&pages, static_cast<int>(serial));
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
    int headers = 0;
    bool failed = false;
    ogg_page page;
    ogg_packet packet;
    constexpr std::size_t chunk = 4096;
    while (headers < 3 && !failed) {
        int got = ogg_sync_pageout(&sync, &page);
        if (got == 0) {
            if (offset >= size) break;
            std::size_t bytes = std::min(chunk, size - offset);
            char* into = ogg_sync_buffer(&sync, static_cast<long>(bytes));
            if (!into) break;
            std::memcpy(into, data + offset, bytes);
            ogg_sync_wrote(&sync, static_cast<long>(bytes));
            offset += bytes;
            continue;
        }
        if (got < 0 || ogg_page_serialno(&page) != static_cast<int>(serial)) continue;
        if (ogg_stream_pagein(&pages, &page) != 0) continue;
        while (headers < 3 && ogg_stream_packetout(&pages, &packet) == 1) {
            if (vorbis_synthesis_headerin(&info, &comment, &packet) != 0) {
                failed = true;
                break;
            }
            ++headers;
        }
    }
    bool decodes = false;
    if (headers == 3) {
        vorbis_dsp_state dsp;
        decodes = vorbis_synthesis_init(&dsp, &info) == 0;
        if (decodes) vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    ogg_stream_clear(&pages);
    ogg_sync_clear(&sync);
    return decodes;
}

// Catmull-Rom through four neighbouring samples, at t between p1 and p2.
float interpolate(float p0, float p1, float p2, float p3, float t) {
    return p1 + 0.5f * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
}

}  // namespace

struct AudioStream::Decoder {
    MemoryFile memory;      // its own read position over the shared bytes
    OggVorbis_File file{};
    bool open = false;
    bool failed = false;    // a damaged stream: the rest plays as silence
    bool broken = false;    // the decoder reported an error: never seeked or read again

    ~Decoder() {
        if (open) ov_clear(&file);
    }

    // The next frames, at most want, in *pcm; 0 when none come, with failed set (and broken after
    // a hard error). libvorbis 1.3.7 does not recover from a hard error (a link that does not hold
    // together, a fault): a seek and decode after one divides by zero inside it on some damaged
    // streams, so such a decoder is never asked again.
    long read(long want, float*** pcm) {
        for (int holes = 1;; ++holes) {
            int link = 0;
            const long got = ov_read_float(&file, pcm, static_cast<int>(want), &link);
            if (got == OV_HOLE && holes < maxHoles) continue;
            if (got > 0) return got;
            broken = broken || (got < 0 && got != OV_HOLE);
            failed = true;
            return 0;
        }
    }
};

void AudioStream::mixToStereo(float* const* pcm, long frames, std::vector<float>& into) const {
    const int used = std::min(channelCount, 8);
    for (long i = 0; i < frames; ++i) {
        float left = 0, right = 0;
        for (int c = 0; c < used; ++c) {
            left += pcm[c][i] * mixLeft[c];
            right += pcm[c][i] * mixRight[c];
        }
        into.push_back(left);
        into.push_back(right);
    }
}

AudioStream::AudioStream() = default;

bool AudioStream::openDecoder(Decoder& into) {
    into.memory = {bytes, byteCount, 0};
    const ov_callbacks callbacks = {readMemory, seekMemory, nullptr, tellMemory};
    if (ov_open_callbacks(&into.memory, &into.file, nullptr, 0, callbacks) != 0) {
        return false;  // the decoder cleans up after a failed open itself
    }
    into.open = true;
    return true;
}

std::unique_ptr<AudioStream> AudioStream::open(const void* data, std::size_t size, const OutputForm& output,
                                               int& error) {
    error = BASS_ERROR_FILEFORM;
    const int outputRate = output.rate;
    const int bufferFrames = output.bufferFrames;
    if (!data || size == 0 || outputRate <= 0 || bufferFrames <= 0) {
        error = BASS_ERROR_ILLPARAM;
        return nullptr;
    }
    std::unique_ptr<AudioStream> stream(new AudioStream);
    stream->bytes = static_cast<const unsigned char*>(data);
    stream->byteCount = size;
    stream->decoder = std::make_unique<Decoder>();
    if (!stream->openDecoder(*stream->decoder)) {
        return nullptr;
    }
    OggVorbis_File* vorbis = &stream->decoder->file;
    if (!ov_seekable(vorbis)) {
        return nullptr;
    }
    // Every link of a chained stream must share one form, so that bytes and seconds convert alike
    // everywhere in it.
    const vorbis_info* first = ov_info(vorbis, 0);
    if (!first || first->channels < 1 || first->channels > 255 || first->rate < 1 || first->rate > 768000) {
        return nullptr;
    }
    for (long link = 1; link < ov_streams(vorbis); ++link) {
        const vorbis_info* info = ov_info(vorbis, static_cast<int>(link));
        if (!info || info->channels != first->channels || info->rate != first->rate) {
            return nullptr;
        }
    }
    // Every link's decoder must set up; see linkDecodes.
    for (long link = 0; link < ov_streams(vorbis); ++link) {
        const ogg_int64_t offset = vorbis->offsets ? vorbis->offsets[link] : 0;
        if (offset < 0 || static_cast<std::uint64_t>(offset) >= size ||
            !linkDecodes(stream->bytes, size, static_cast<std::size_t>(offset),
                         ov_serialnumber(vorbis, static_cast<int>(link)))) {
            return nullptr;
        }
    }
    ogg_int64_t total = ov_pcm_total(vorbis, -1);
    if (total < 0) {
        return nullptr;
    }
    // Rendering scales positions by both rates in 64-bit integers. The length comes from granule
    // positions, which damage can make anything; one too long for that arithmetic is refused
    // (at 48 kHz the limit is some 30 years).
    const ogg_int64_t longest =
        std::numeric_limits<ogg_int64_t>::max() / 4 / std::max<ogg_int64_t>(outputRate, first->rate);
    if (total > longest) {
        return nullptr;
    }
    stream->channelCount = first->channels;
    stream->sampleRate = static_cast<int>(first->rate);
    stream->output = output;
    stream->totalFrames = total;
    downmixWeights(stream->channelCount, stream->mixLeft, stream->mixRight);
    // Room for one buffer's source frames with the interpolation's neighbours, plus one decoder
    // chunk: the output thread never allocates.
    auto frames = static_cast<std::size_t>(
        static_cast<double>(bufferFrames) * stream->sampleRate / outputRate + 8 + decodeChunk);
    stream->window.reserve(frames * 2);
    // Opening a seekable source leaves libvorbisfile on the last link of a chained stream (it reads
    // every link's bounds); playback assumes the decoder at frame 0. A raw seek to the first byte
    // decodes nothing, unlike a seek to frame 0, which divided by zero inside libvorbis on a
    // damaged stream kept in the tests.
    stream->decoder->failed = ov_raw_seek(vorbis, 0) != 0;
    error = BASS_OK;
    return stream;
}

AudioStream::~AudioStream() = default;

void AudioStream::seekDecoder(std::int64_t frame) {
    window.clear();
    windowStart = frame;
    decoderAt = frame;
    decoder->failed = decoder->broken || (frame < totalFrames && ov_pcm_seek(&decoder->file, frame) != 0);
}

bool AudioStream::fillWindow(std::int64_t last) {
    last = std::min(last, totalFrames - 1);
    while (decoderAt <= last) {
        auto room = static_cast<long>((window.capacity() - window.size()) / 2);
        if (room <= 0) {
            return false;
        }
        long want = std::min<long>(room, decodeChunk);
        if (decoder->failed) {
            // A damaged stream keeps its length: what cannot be decoded plays as silence.
            long silent = static_cast<long>(std::min<std::int64_t>(want, last + 1 - decoderAt));
            window.insert(window.end(), static_cast<std::size_t>(silent) * 2, 0.0f);
            decoderAt += silent;
            continue;
        }
        float** pcm = nullptr;
        long got = decoder->read(want, &pcm);
        if (got == 0) {
            continue;  // failed: the rest plays as silence
        }
        got = static_cast<long>(std::min<std::int64_t>(got, totalFrames - decoderAt));
        mixToStereo(pcm, got, window);
        decoderAt += got;
    }
    return true;
}

void AudioStream::readFrame(std::int64_t frame, float& left, float& right) const {
    // Before the window is the frame a run started at; past the decoded frames is silence.
    std::int64_t index = std::max(frame, windowStart) - windowStart;
    if (index * 2 + 1 >= static_cast<std::int64_t>(window.size())) {
        left = right = 0;
        return;
    }
    left = window[static_cast<std::size_t>(index * 2)];
    right = window[static_cast<std::size_t>(index * 2 + 1)];
}

void AudioStream::play(double now) {
    if (playing) {
        return;
    }
    if (!(window.empty() && decoderAt == pausedAt)) {
        seekDecoder(pausedAt);
    }
    runStart = pausedAt;
    runOutput = 0;
    ended = pausedAt >= totalFrames;
    playing = true;
    lastHeard = static_cast<double>(pausedAt);
    unwrapOffset = 0;
    heardOffset = 0;
    jumpCount = 0;
    auto from = static_cast<double>(pausedAt), end = static_cast<double>(totalFrames);
    if (output.silent) {
        clock.startFreeRunning(from, end, now + output.latency, sampleRate);
    } else {
        clock.start(from, end);
    }
}

void AudioStream::pause(double now) {
    if (!playing) {
        return;
    }
    pausedAt = std::min(static_cast<std::int64_t>(std::floor(position(now))), totalFrames);
    playing = false;
}

void AudioStream::setPosition(std::int64_t frame, double now) {
    frame = std::clamp<std::int64_t>(frame, 0, totalFrames);
    pausedAt = frame;
    if (playing) {
        playing = false;
        play(now);
    }
}

double AudioStream::position(double now) {
    if (!playing) {
        return static_cast<double>(pausedAt);
    }
    lastHeard = std::max(lastHeard, clock.heard(now));
    // Jumps back to the loop's start count once they are heard.
    while (jumpCount > 0 && jumps[0].at <= lastHeard) {
        heardOffset = jumps[0].offset;
        std::copy(jumps + 1, jumps + jumpCount, jumps);
        --jumpCount;
    }
    const double at = std::max(0.0, lastHeard - heardOffset);
    // Past the loop's end the output's thread is late with the jump (a starved thread, or the
    // silent output, whose clock runs on regardless): the position is where the jump takes it.
    if (loopEnd > loopStart && runStart < loopEnd && at >= static_cast<double>(loopEnd)) {
        const auto start = static_cast<double>(loopStart), length = static_cast<double>(loopEnd - loopStart);
        return start + std::fmod(at - start, length);
    }
    return at;
}

void AudioStream::render(float* mix, int frames, double now, double heardAt) {
    if (!playing || ended) {
        return;
    }
    // Output frame k of a run plays source position runStart + k * sampleRate / output.rate; kept
    // in integers so that long runs do not drift.
    auto sourceAt = [&](std::int64_t k, std::int64_t& whole, float& fraction) {
        std::int64_t scaled = k * sampleRate;
        whole = runStart + scaled / output.rate;
        fraction = static_cast<float>(scaled % output.rate) / static_cast<float>(output.rate);
    };
    // The first k whose source position is at or past frame.
    auto outputAt = [&](std::int64_t frame) {
        return ((frame - runStart) * output.rate + sampleRate - 1) / sampleRate;
    };
    const double step = static_cast<double>(sampleRate) / output.rate;
    const double first = static_cast<double>(runStart) + static_cast<double>(runOutput) * step + unwrapOffset;
    int done = 0;
    while (done < frames && !ended) {
        std::int64_t stop = outputAt(totalFrames);  // first k past the end
        bool jumpAtStop = false;
        if (loopEnd > loopStart && loopEnd > runStart) {
            const std::int64_t k = outputAt(loopEnd);
            if (k > runOutput && k <= stop) {
                stop = k;
                jumpAtStop = true;
            }
        }
        int chunk = std::min(frames - done, output.bufferFrames);
        auto count = static_cast<int>(std::min<std::int64_t>(chunk, stop - runOutput));
        if (count <= 0) {
            ended = true;
            break;
        }
        std::int64_t lowest = 0, highest = 0;
        float fraction = 0;
        sourceAt(runOutput, lowest, fraction);
        sourceAt(runOutput + count - 1, highest, fraction);
        std::int64_t drop = std::min<std::int64_t>(lowest - 1 - windowStart,
                                                   static_cast<std::int64_t>(window.size() / 2));
        if (drop > 0) {
            window.erase(window.begin(), window.begin() + static_cast<std::ptrdiff_t>(drop * 2));
            windowStart += drop;
        }
        fillWindow(highest + 2);
        float* out = mix + static_cast<std::ptrdiff_t>(done) * 2;
        for (int j = 0; j < count; ++j) {
            std::int64_t at = 0;
            sourceAt(runOutput + j, at, fraction);
            float l[4], r[4];
            for (int n = 0; n < 4; ++n) {
                readFrame(at - 1 + n, l[n], r[n]);
            }
            out[j * 2] += interpolate(l[0], l[1], l[2], l[3], fraction);
            out[j * 2 + 1] += interpolate(r[0], r[1], r[2], r[3], fraction);
        }
        runOutput += count;
        done += count;
        if (jumpAtStop && runOutput == stop) {
            jumpToLoopStart(static_cast<double>(runStart) + static_cast<double>(stop) * step);
            continue;
        }
        if (count < chunk) {
            ended = true;
        }
    }
    double end = ended ? static_cast<double>(totalFrames)
                       : static_cast<double>(runStart) + static_cast<double>(runOutput) * step;
    clock.handed(first, end + unwrapOffset, now, heardAt, sampleRate);
}

// --- the loop ----------------------------------------------------------------------------------

bool AudioStream::setLoop(std::int64_t start, std::int64_t end) {
    if (end <= start) {
        loopStart = loopEnd = 0;
        ++loopGeneration;
        headReady = false;
        return true;
    }
    // Shorter than an output buffer the jumps would outrun the record of them.
    const std::int64_t shortest = std::max<std::int64_t>(sampleRate / 20, 2 * output.bufferFrames);
    if (start < 0 || end > totalFrames || end - start < shortest) {
        return false;
    }
    if (start != loopStart || end != loopEnd) {
        loopStart = start;
        loopEnd = end;
        ++loopGeneration;
        headReady = false;
    }
    return true;
}

void AudioStream::jumpToLoopStart(double reached) {
    if (jumpCount == static_cast<int>(std::size(jumps))) {
        // Cannot happen with loops of the shortest allowed length; should it, the oldest counts now.
        heardOffset = jumps[0].offset;
        std::copy(jumps + 1, jumps + jumpCount, jumps);
        --jumpCount;
    }
    const double at = reached + unwrapOffset;
    unwrapOffset += reached - static_cast<double>(loopStart);
    jumps[jumpCount++] = {at, unwrapOffset};
    runStart = loopStart;
    runOutput = 0;
    if (headReady) {
        // The prepared start takes over: no seek on this thread, so no gap.
        std::swap(decoder, spare);
        std::swap(window, head);
        windowStart = loopStart;
        decoderAt = spareAt;
        headReady = false;
    } else {
        seekDecoder(loopStart);  // not prepared in time: correct, if perhaps not seamless
    }
    // The clock counts on across the jump; the stream's end moves on with it.
    clock.extend(static_cast<double>(totalFrames) + unwrapOffset);
}

AudioStream::LoopJob AudioStream::loopJob() {
    LoopJob job;
    job.needed = loopEnd > loopStart && !headReady;
    job.generation = loopGeneration;
    job.start = loopStart;
    return job;
}

std::int64_t AudioStream::decodeHead(const LoopJob& job) {
    if (!spare) {
        spare = std::make_unique<Decoder>();
        if (!openDecoder(*spare)) {
            spare.reset();
            return -1;
        }
    }
    if (head.capacity() < window.capacity()) {
        head.reserve(window.capacity());
    }
    head.clear();
    Decoder& d = *spare;
    d.failed = d.broken || ov_pcm_seek(&d.file, job.start) != 0;
    if (d.failed) {
        return -1;
    }
    // As much of the start as one decoder chunk: the window's room beside one output buffer.
    std::int64_t at = job.start;
    const std::int64_t want = std::min<std::int64_t>(decodeChunk, totalFrames - job.start);
    while (at - job.start < want) {
        float** pcm = nullptr;
        const long got = d.read(static_cast<long>(want - (at - job.start)), &pcm);
        if (got == 0) {
            return -1;
        }
        mixToStereo(pcm, got, head);
        at += got;
    }
    return at;
}

void AudioStream::finishHead(const LoopJob& job, std::int64_t reached) {
    // A loop moved meanwhile, or a damaged stream: the jump seeks on the output thread instead.
    if (job.generation != loopGeneration || reached < 0) {
        return;
    }
    spareAt = reached;
    headReady = true;
}

// --- decode channels ---------------------------------------------------------------------------

long AudioStream::decode(float* into, long frames) {
    long done = 0;
    while (done < frames && !decoder->failed && decoderAt < totalFrames) {
        float** pcm = nullptr;
        long got = decoder->read(std::min<long>(frames - done, decodeChunk), &pcm);
        if (got == 0) break;
        got = static_cast<long>(std::min<std::int64_t>(got, totalFrames - decoderAt));
        for (long i = 0; i < got; ++i) {
            for (int c = 0; c < channelCount; ++c) {
                into[(done + i) * channelCount + c] = pcm[c][i];
            }
        }
        done += got;
        decoderAt += got;
    }
    return done;
}
