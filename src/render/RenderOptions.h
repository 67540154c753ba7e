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
    int firstFrame = -1;    // --frames A:B: frames A to B-1 as a video-only segment; -1: from/to decide
    int endFrame = -1;
    bool force = false;     // render a document that has problems
    int layoutWidth = 800;  // the player's window whose picture is scaled to the output;
    int layoutHeight = 600; // 0 x 0: placed in the output's own pixels
    std::string quality = "normal";  // --quality draft|normal|best: the video encoder's speed

    bool parse(int argc, char** argv, std::string* error);  // error says what was wrong
    bool pngSequence() const;                               // output ends with ".png"
    bool segment() const { return firstFrame >= 0; }        // --frames: a chunk of a longer render
};

extern const char* const renderUsage;
