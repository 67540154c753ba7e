// zlib's compression for whole buffers, as a packed production stores its files.
#pragma once

#include <cstddef>
#include <vector>

namespace files {

std::vector<unsigned char> compress(const unsigned char* data, std::size_t size);
// False unless the stream is whole and gives exactly `size` bytes.
bool uncompress(const unsigned char* data, std::size_t stored, std::size_t size, std::vector<unsigned char>* out);

}  // namespace files
