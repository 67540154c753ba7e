// SHA-256 of a byte range as lower-case hexadecimal, the form sha256sum writes, for checking the
// committed resources against the generators' manifest. The digest is the packer's own, so the
// manifest checks it too.
#pragma once

#include "resources/Sha256.h"

#include <cstddef>
#include <string>

namespace content {

inline std::string sha256Hex(const unsigned char* data, std::size_t size) {
    Sha256 digest;
    digest.add(data, size);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest.finish()) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

}  // namespace content
