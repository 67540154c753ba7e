// FramePicture: a rendered frame as the reference-frame tests keep it: RGB, 8 bits a channel,
// shrunk from the size the player draws at, read from and written to PNG, and compared with a
// tolerance that a person can state: how many pixels differ by more than a few levels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FramePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first, 3 bytes a pixel

    bool empty() const { return rgb.empty(); }
    bool readPng(const std::string& path);         // false when missing or not an 8-bit RGB PNG
    bool writePng(const std::string& path) const;  // written beside, then renamed into place
};

// A frame of the renderer (B, G, R, A bytes in memory order, top row first) shrunk to width x
// height by averaging the area each new pixel covers, so that it stays the same picture, and kept
// at 5 bits a channel (rounded to a multiple of 8, 4 levels at most from the average): the
// pictures compress to a third of their size, and the rounding stays far inside the tolerance.
FramePicture shrinkFrame(const std::vector<std::uint32_t>& pixels, int fromWidth, int fromHeight, int width,
                         int height);

struct FrameDifference {
    int differing = 0;     // pixels with a channel more than `level` apart
    int largest = 0;       // the largest channel difference anywhere
    double mean = 0.0;     // mean channel difference over the picture
};

FrameDifference compareFrames(const FramePicture& a, const FramePicture& b, int level);

// Where two frames differ, for a person: the reference in grey, changed pixels in red, brighter
// the more they differ.
FramePicture differencePicture(const FramePicture& reference, const FramePicture& actual);
