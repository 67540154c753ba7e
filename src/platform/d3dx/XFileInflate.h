// The compressed X encodings ("bzip" and "tzip" after the version): the file's body, after its
// 16-byte header, as a declared total size and a run of MSZIP blocks. Each block inflates on its
// own, with the output of the block before it as the dictionary. Every size is checked against
// the bytes given and the size declared; nothing is read or written out of bounds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace d3dx {

class XFileInflate {
public:
    static constexpr std::size_t maxBody = 64u << 20;   // larger bodies are refused (64 MiB)
    static constexpr std::size_t maxBlock = 32768;      // an MSZIP block's output at most

    // `file` is the whole file, header included; `body` receives what follows the header.
    [[nodiscard]] static bool inflate(const unsigned char* file, std::size_t size, std::vector<unsigned char>& body,
                                      std::string& error);
};

}  // namespace d3dx
