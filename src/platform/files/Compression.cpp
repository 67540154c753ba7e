#include "platform/files/Compression.h"

#include <zlib.h>

namespace files {

std::vector<unsigned char> compress(const unsigned char* data, std::size_t size) {
    uLongf length = compressBound(static_cast<uLong>(size));
    std::vector<unsigned char> out(length);
    if (compress2(out.data(), &length, data, static_cast<uLong>(size), Z_BEST_COMPRESSION) != Z_OK) return {};
    out.resize(length);
    return out;
}

bool uncompress(const unsigned char* data, std::size_t stored, std::size_t size, std::vector<unsigned char>* out) {
    if (size == 0 || stored == 0) return false;
    out->assign(size, 0);
    uLongf length = static_cast<uLongf>(size);
    uLong consumed = static_cast<uLong>(stored);
    // uncompress2 says how much it read: trailing bytes after the stream are a damaged entry too.
    const int result = uncompress2(out->data(), &length, data, &consumed);
    return result == Z_OK && length == size && consumed == stored;
}

}  // namespace files
