// PngSequence: the frames as NAME00000.png, NAME00001.png ... for an output named NAME.png, the
// number being the frame's number at the render's frame rate. Each picture is written under a
// hidden name and all are put in place by finish, so a render that fails or is interrupted
// removes only its own hidden files and leaves frames of earlier renders under those names alone.
#pragma once

#include "render/FrameSink.h"

#include <string>
#include <vector>

class PngSequence : public FrameSink {
public:
    ~PngSequence() override;
    bool open(const std::string& output, int width, int height, int firstFrame);  // proves the folder writable
    bool write(std::vector<std::uint32_t>& pixels) override;
    bool finish() override;

    std::string nameOf(int frame) const;
    std::string writtenNames() const;  // "shot00450.png ... shot00509.png", for the user

private:
    std::string stem;  // the output without ".png"
    int width = 0;
    int height = 0;
    int next = 0;      // number of the next frame
    std::vector<std::string> written;  // final names, in frame order; hidden until finish
    std::size_t placed = 0;            // how many of them finish has put in place
};
