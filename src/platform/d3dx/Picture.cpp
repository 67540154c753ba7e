#include "platform/d3dx/Picture.h"

#include <algorithm>

namespace d3dx {

namespace {

Picture halve(const Picture& source) {
    Picture level;
    level.width = std::max(1, source.width / 2);
    level.height = std::max(1, source.height / 2);
    level.hasAlpha = source.hasAlpha;
    level.pixels.resize(std::size_t(level.width) * level.height);
    // A side that is already 1 keeps its one texel; an odd side drops its last row or column.
    int spanX = source.width > 1 ? 2 : 1;
    int spanY = source.height > 1 ? 2 : 1;
    unsigned count = unsigned(spanX * spanY);
    for (int y = 0; y < level.height; ++y) {
        for (int x = 0; x < level.width; ++x) {
            unsigned sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < spanY; ++dy)
                for (int dx = 0; dx < spanX; ++dx) {
                    std::uint32_t texel = source.at(x * spanX + dx, y * spanY + dy);
                    for (int c = 0; c < 4; ++c) sum[c] += (texel >> (8 * c)) & 0xff;
                }
            std::uint32_t value = 0;
            for (int c = 0; c < 4; ++c) value |= ((sum[c] + count / 2) / count) << (8 * c);
            level.pixels[std::size_t(y) * level.width + x] = value;
        }
    }
    return level;
}

}  // namespace

std::vector<Picture> makeMipChain(const Picture& picture) {
    std::vector<Picture> chain;
    if (picture.width <= 0 || picture.height <= 0) return chain;
    chain.push_back(picture);
    while (chain.back().width > 1 || chain.back().height > 1) chain.push_back(halve(chain.back()));
    return chain;
}

}  // namespace d3dx
