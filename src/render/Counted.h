// "1 frame", "2 frames": a number with its noun, for the messages of zodrender.
#pragma once

#include <string>

inline std::string counted(long long n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}
