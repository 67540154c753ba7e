#include "platform/d3dx/XFileInflate.h"

#include <zlib.h>

#include <cstdint>

namespace d3dx {

namespace {

std::uint32_t readLittle(const unsigned char* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

// A raw inflate stream that ends itself whatever way the reading goes.
struct RawInflate {
    z_stream stream{};
    bool ready = false;
    RawInflate() { ready = inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
    ~RawInflate() {
        if (ready) inflateEnd(&stream);
    }
};

}  // namespace

bool XFileInflate::inflate(const unsigned char* file, std::size_t size, std::vector<unsigned char>& body,
                           std::string& error) {
    body.clear();
    constexpr std::size_t headerSize = 16;
    if (file == nullptr || size < headerSize + 4) {
        error = "the compressed X file ends inside its header";
        return false;
    }
    // The declared size counts the 16-byte header as well; a size of the body alone is accepted
    // too, so the blocks may fill up to the declared size and must end at one of the two.
    const std::uint32_t declared = readLittle(file + headerSize, 4);
    if (declared < headerSize || declared > maxBody) {
        error = "the compressed X file declares an impossible size";
        return false;
    }
    const std::size_t limit = declared;
    RawInflate z;
    if (!z.ready) {
        error = "out of memory";
        return false;
    }
    body.reserve(limit);
    std::size_t at = headerSize + 4;
    std::size_t previousStart = 0;  // where the last block's output begins in body
    while (at < size) {
        if (size - at < 6) {
            error = "a compressed block's header is cut off";
            return false;
        }
        const std::size_t blockSize = readLittle(file + at, 2);
        const std::size_t packedSize = readLittle(file + at + 2, 2);
        at += 4;
        if (file[at] != 'C' || file[at + 1] != 'K') {
            error = "a compressed block lacks its CK signature";
            return false;
        }
        if (blockSize == 0 || blockSize > maxBlock || blockSize > limit - body.size()) {
            error = "a compressed block inflates beyond the size the file declares";
            return false;
        }
        const std::size_t start = body.size();
        body.resize(start + blockSize);
        if (inflateReset(&z.stream) != Z_OK ||
            (start > 0 && inflateSetDictionary(&z.stream, body.data() + previousStart, uInt(start - previousStart)) != Z_OK)) {
            error = "a compressed block cannot be inflated";
            return false;
        }
        // The deflate data may run to the end of the file; the block's own end is checked below.
        const std::size_t available = size - at - 2;
        z.stream.next_in = const_cast<Bytef*>(file + at + 2);
        z.stream.avail_in = uInt(available);
        z.stream.next_out = body.data() + start;
        z.stream.avail_out = uInt(blockSize);
        const int result = ::inflate(&z.stream, Z_FINISH);
        if (result != Z_STREAM_END || z.stream.avail_out != 0) {
            error = "a compressed block is damaged or inflates to another size than it says";
            return false;
        }
        // The packed size counts the signature; a size that leaves the signature out is accepted too.
        const std::size_t used = 2 + (available - z.stream.avail_in);
        const std::size_t blockEnd = used == packedSize + 2 ? used : packedSize;
        if (used > blockEnd || blockEnd > size - at) {
            error = "a compressed block does not fit its packed size";
            return false;
        }
        at += blockEnd;
        previousStart = start;
    }
    if (body.size() != limit - headerSize && body.size() != limit) {
        error = "the compressed blocks hold less than the file declares";
        return false;
    }
    return true;
}

}  // namespace d3dx
