// FrameSink: where zodrender's frames go. Nothing appears under the output's name until finish
// succeeds; a sink destroyed before that removes whatever it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // One frame of width x height pixels, 32-bit B, G, R, A bytes in memory order, top row first.
    // The sink may keep the vector's storage and leave it another of the same size: a frame is
    // handed over, not copied.
    virtual bool write(std::vector<std::uint32_t>& pixels) = 0;
    virtual bool finish() = 0;  // puts the result in place
    const std::string& error() const { return message; }

protected:
    std::string message;  // what went wrong, for the user
};
