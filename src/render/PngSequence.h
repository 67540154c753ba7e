// PngSequence: the frames as NAME00000.png, NAME00001.png ... for an output named NAME.png, the
// number being the frame's number at the render's frame rate. Each picture is written under a
// hidden name and renamed when complete; a sequence that does not finish is removed again.
#pragma once

#include "render/FrameSink.h"

#include <string>
#include <vector>

class PngSequence : public FrameSink {
public:
    ~PngSequence() override;
    bool open(const std::string& output, int width, int height, int firstFrame);  // proves the folder writable
    bool write(const std::uint32_t* pixels) override;
    bool finish() override;

    std::string nameOf(int frame) const;

private:
    std::string stem;  // the output without ".png"
    int width = 0;
    int height = 0;
    int next = 0;      // number of the next frame
    bool finished = false;
    std::vector<std::string> written;
};
