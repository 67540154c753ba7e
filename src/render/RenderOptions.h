// RenderOptions: the command line of zodrender. -o OUT is required; the rest has the defaults of a
// full-HD video of the whole production at 60 frames per second.
#pragma once

#include <string>

struct RenderOptions {
    std::string output;    // a video file (.mp4 by default), or NAME.png for a numbered PNG sequence
    std::string dataFile;  // -d<file>; empty: the linked production
    int fps = 60;
    int width = 1920;
    int height = 1080;
    double from = 0.0;      // seconds
    double to = -1.0;       // seconds; negative: until the production ends by itself
    bool antialias = false;
    std::string quality = "normal";  // --quality draft|normal|best: the video encoder's speed

    bool parse(int argc, char** argv, std::string* error);  // error says what was wrong
    bool pngSequence() const;                               // output ends with ".png"
};

extern const char* const renderUsage;
