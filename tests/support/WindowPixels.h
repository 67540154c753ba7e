// The pixels of a rectangle of an X window as it is shown, read with ImageMagick's import:
// 0xRRGGBB row by row, -1 where a pixel could not be read.
#pragma once

#include <string>
#include <vector>

class WindowPixels {
public:
    WindowPixels(const std::string& window, int x, int y, int width, int height);

    long at(int x, int y) const;  // relative to the rectangle
    const std::vector<long>& all() const { return pixels; }
    // How many pixels differ from `other`'s by more than a few levels in a channel.
    int differing(const std::vector<long>& other) const;

    const int width, height;

private:
    std::vector<long> pixels;
};
