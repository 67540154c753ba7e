#include "support/WindowPixels.h"

#include "support/PrivateXServer.h"
#include "support/TestPaths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

WindowPixels::WindowPixels(const std::string& window, int x, int y, int width, int height)
    : width(width), height(height), pixels(static_cast<std::size_t>(width * height), -1) {
    // Bounded: import waits for a click when the window has just gone.
    const std::string out =
        testing_paths::commandOutput("timeout 10 import -window " + window + " -crop " + std::to_string(width) + "x" +
                                 std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y) +
                                 " -depth 8 txt:- 2>/dev/null");
    for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) {
        int px = 0, py = 0, red = 0, green = 0, blue = 0;
        if (std::sscanf(out.c_str() + at + 1, "%d,%d: (%d,%d,%d", &px, &py, &red, &green, &blue) != 5) continue;
        if (px >= 0 && py >= 0 && px < width && py < height)
            pixels[static_cast<std::size_t>(py * width + px)] = (red << 16) | (green << 8) | blue;
    }
}

long WindowPixels::at(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? -1 : pixels[static_cast<std::size_t>(y * width + x)];
}

int WindowPixels::differing(const std::vector<long>& other) const {
    int count = 0;
    for (std::size_t i = 0; i < std::min(pixels.size(), other.size()); ++i)
        for (int shift = 0; shift <= 16; shift += 8)
            if (pixels[i] < 0 || other[i] < 0 || std::abs(((pixels[i] >> shift) & 0xff) - ((other[i] >> shift) & 0xff)) > 8) {
                ++count;
                break;
            }
    return count + static_cast<int>(std::max(pixels.size(), other.size()) - std::min(pixels.size(), other.size()));
}
