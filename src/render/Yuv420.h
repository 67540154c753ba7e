// Yuv420: a frame of B, G, R, A pixels as the three planes of YUV 4:2:0 that H.264 stores (the
// colours of standard-definition video, luma 16 to 235), so that the encoder is sent 12 bits a
// pixel instead of 32 and does no conversion of its own. Each chroma sample is the mean of its 2 x 2
// pixels. Width and height must be even.
#pragma once

#include <cstddef>
#include <cstdint>

class Yuv420 {
public:
    static std::size_t bytes(int width, int height) { return std::size_t(width) * height * 3 / 2; }
    // planes receives bytes(width, height): the luma plane, then the blue and the red difference.
    static void convert(const std::uint32_t* pixels, int width, int height, std::uint8_t* planes);
};
