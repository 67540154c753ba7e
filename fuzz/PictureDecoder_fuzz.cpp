// Any bytes into the PNG and JPEG decoder, and what it decodes into the mip chain builder.
#include "platform/d3dx/PictureDecoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    d3dx::Picture picture;
    std::string error;
    // A smaller limit than the library's keeps every run fast; the code paths are the same.
    if (d3dx::PictureDecoder::decode(data, size, picture, error, 1L << 20)) {
        if (picture.pixels.size() != std::size_t(picture.width) * std::size_t(picture.height)) __builtin_trap();
        std::vector<d3dx::Picture> chain = d3dx::makeMipChain(picture);
        if (chain.empty() || chain.back().width != 1 || chain.back().height != 1) __builtin_trap();
    } else if (!picture.pixels.empty() || error.empty()) {
        __builtin_trap();  // a failure leaves no picture and says why
    }
    return 0;
}
