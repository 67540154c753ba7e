// ChildProgram: runs another program (ffprobe, ffmpeg) with an argument vector, no shell between,
// and collects what it writes to standard output and standard error.
#pragma once

#include <string>
#include <vector>

class ChildProgram {
public:
    // arguments[0] is the program's path. The exit code, or -1 when it could not start or died.
    static int run(const std::vector<std::string>& arguments, std::string* output);
};
