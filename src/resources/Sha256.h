// SHA-256 of a byte range: the fingerprint a packed production carries, so that a file changed on
// purpose (not only by a bad copy) is told apart from the one that was packed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Fed in pieces (a whole executable need not be in memory at once), then finished once.
class Sha256 {
public:
    void add(const unsigned char* data, std::size_t size);
    std::array<unsigned char, 32> finish();

private:
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    unsigned char pending[64] = {};
    std::size_t pendingSize = 0;
    std::uint64_t total = 0;
};
