// A decoded picture in memory: rows top first, one A8R8G8B8 value per pixel, and the mip chain
// built from it for textures. Plain values: no device, no library handles.
#pragma once

#include <cstdint>
#include <vector>

namespace d3dx {

struct Picture {
    int width = 0;                       // pixels
    int height = 0;                      // pixels
    bool hasAlpha = false;               // the file carries alpha (an alpha channel or tRNS)
    std::vector<std::uint32_t> pixels;   // width * height values 0xAARRGGBB, top row first

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Level 0 is the picture itself; each next level halves both sides (rounding down, at least 1)
// with a box filter over the 2 x 2 (or 2 x 1, 1 x 2) texels it covers, down to 1 x 1.
std::vector<Picture> makeMipChain(const Picture& picture);

}  // namespace d3dx
