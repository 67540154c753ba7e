#include "XCompress.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace xwriter {

std::vector<unsigned char> compress(const std::vector<unsigned char>& plain, std::string& error) {
    if (plain.size() < 16 || plain[0] != 'x' || (plain[8] != 'b' && plain[8] != 't')) {
        error = "not a binary or text X file";
        return {};
    }
    constexpr std::size_t headerSize = 16, blockSize = 32768;
    std::vector<unsigned char> packed(plain.begin(), plain.begin() + headerSize);
    std::memcpy(packed.data() + 8, plain[8] == 't' ? "tzip" : "bzip", 4);
    const std::uint32_t total = std::uint32_t(plain.size());
    for (int i = 0; i < 4; ++i) packed.push_back(std::uint8_t(total >> (8 * i)));

    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        error = "cannot start compression";
        return {};
    }
    std::vector<unsigned char> block;
    bool ok = true;
    for (std::size_t at = headerSize; ok && at < plain.size(); at += blockSize) {
        const std::size_t size = std::min(blockSize, plain.size() - at);
        ok = deflateReset(&z) == Z_OK;
        if (ok && at > headerSize) {  // the previous block's bytes are this block's dictionary
            ok = deflateSetDictionary(&z, plain.data() + at - blockSize, uInt(blockSize)) == Z_OK;
        }
        block.assign(deflateBound(&z, uLong(size)) + 2, 0);
        block[0] = 'C';
        block[1] = 'K';
        z.next_in = const_cast<Bytef*>(plain.data() + at);
        z.avail_in = uInt(size);
        z.next_out = block.data() + 2;
        z.avail_out = uInt(block.size() - 2);
        ok = ok && deflate(&z, Z_FINISH) == Z_STREAM_END;
        const std::size_t packedSize = block.size() - z.avail_out;  // the signature included
        ok = ok && packedSize <= 0xffff;
        for (std::size_t value : {size, packedSize}) {
            packed.push_back(std::uint8_t(value));
            packed.push_back(std::uint8_t(value >> 8));
        }
        packed.insert(packed.end(), block.begin(), block.begin() + std::ptrdiff_t(packedSize));
    }
    deflateEnd(&z);
    if (!ok) {
        error = "compression failed";
        return {};
    }
    return packed;
}

}  // namespace xwriter
