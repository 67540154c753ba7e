#include "render/RenderOptions.h"

#include "render/VideoEncoder.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const renderUsage =
    "Usage: zodrender -o OUT [-d<file>] [--fps N] [--size WxH] [--from S] [--to S] [--antialias]\n"
    "                 [--quality draft|normal|best]\n"
    "Renders the production (or the document given with -d) without a window.\n"
    "  -o OUT        the video to write (H.264 and AAC in MP4 unless the name says otherwise),\n"
    "                or NAME.png for the frames NAME00000.png, NAME00001.png ...\n"
    "  -d<file>      render this demo document (or a file made by zodpack) instead of the linked one\n"
    "  --fps N       frames per second (default 60)\n"
    "  --size WxH    picture size in pixels (default 1920x1080)\n"
    "  --from S      start at S seconds (default 0)\n"
    "  --to S        stop at S seconds (default: when the production ends, or its music)\n"
    "  --antialias   multisampled antialiasing\n"
    "  --frames A:B  frames A to B-1 only (frame n at n / fps), the video without sound: one chunk\n"
    "                of a render split over machines\n"
    "  --force       render even when the document has problems (they are listed all the same)\n"
    "  --layout WxH  lay the picture out as the player does in a WxH window, scaled to the output\n"
    "                (default 800x600); --layout output places overlays in the output's pixels\n"
    "  --quality Q   video encoding: draft (fastest), normal (default) or best (slowest, smallest)\n"
    "Over many machines: zodrender --plan DIR [--chunk S] -o OUT ..., then --task DIR N for each\n"
    "chunk, --progress DIR, --assemble DIR (scripts/render-cluster.sh does it all with Slurm).\n";

namespace {

bool readInt(const char* text, int* value) {
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || n < -1000000 || n > 1000000) return false;
    *value = static_cast<int>(n);
    return true;
}

// "A<separator>B": two whole numbers.
bool readPair(const char* text, char separator, int* a, int* b) {
    const char* at = std::strchr(text, separator);
    return at != nullptr && readInt(std::string(text, at).c_str(), a) && readInt(at + 1, b);
}

// WIDTHxHEIGHT, each from 16 to 8192.
bool readSize(const char* text, int* width, int* height) {
    return readPair(text, 'x', width, height) && *width >= 16 && *height >= 16 && *width <= 8192 && *height <= 8192;
}

bool readSeconds(const char* text, double* value) {
    char* end = nullptr;
    double n = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(n) || n < 0 || n > 1e6) return false;
    *value = n;
    return true;
}

}  // namespace

bool RenderOptions::parse(int argc, char** argv, std::string* error) {
    auto fail = [&](const std::string& text) {
        *error = text;
        return false;
    };
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        // Options with a value take it from the next word.
        const bool valued = word == "-o" || word == "--fps" || word == "--size" || word == "--from" || word == "--to" ||
                            word == "--frames" || word == "--layout" || word == "--quality";
        if (valued && i + 1 >= argc) return fail(word + " needs a value");
        const char* value = valued ? argv[++i] : nullptr;
        if (word == "-o") {
            output = value;
            if (output.empty()) return fail("-o needs a file name");
        } else if (word.rfind("-d", 0) == 0 && word.rfind("--", 0) != 0) {
            dataFile = word.substr(2);
            if (dataFile.empty()) return fail("-d needs a file name directly after it, as in -dmy.xml");
        } else if (word == "--fps") {
            if (!readInt(value, &fps) || fps < 1 || fps > 1000) return fail("--fps needs a number from 1 to 1000");
        } else if (word == "--size") {
            int w = 0, h = 0;
            if (!readSize(value, &w, &h)) return fail("--size needs WIDTHxHEIGHT, each from 16 to 8192, as in 1280x720");
            width = w;
            height = h;
        } else if (word == "--from") {
            if (!readSeconds(value, &from)) return fail("--from needs a time in seconds");
        } else if (word == "--to") {
            if (!readSeconds(value, &to)) return fail("--to needs a time in seconds");
        } else if (word == "--frames") {
            int a = 0, b = 0;
            if (!readPair(value, ':', &a, &b) || a < 0 || b <= a)
                return fail("--frames needs A:B, the first frame and the one after the last, as in 0:300");
            firstFrame = a;
            endFrame = b;
        } else if (word == "--quality") {
            quality = value;
            if (quality != "draft" && quality != "normal" && quality != "best")
                return fail("--quality needs draft, normal or best");
        } else if (word == "--antialias") {
            antialias = true;
        } else if (word == "--force") {
            force = true;
        } else if (word == "--layout") {
            int w = 0, h = 0;  // "output": 0 x 0
            if (std::string(value) != "output" && !readSize(value, &w, &h))
                return fail("--layout needs WIDTHxHEIGHT, each from 16 to 8192, as in 800x600, or the word output");
            layoutWidth = w;
            layoutHeight = h;
        } else {
            return fail("unknown option " + word);
        }
    }
    if (output.empty()) return fail("-o OUT is required");
    if (to >= 0 && to <= from) return fail("--to must come after --from");
    if (segment() && (from > 0 || to >= 0)) return fail("--frames replaces --from and --to");
    // H.264 in 4:2:0 halves the colour planes: odd sizes cannot be encoded.
    if (!pngSequence() && (width % 2 != 0 || height % 2 != 0)) return fail("a video needs an even width and height");
    // MPEG-1 video knows a handful of frame rates; ffmpeg would refuse any other only once started.
    const std::string ext = VideoEncoder::extensionOf(output);
    if ((ext == ".mpg" || ext == ".mpeg") && fps != 24 && fps != 25 && fps != 30 && fps != 50 && fps != 60)
        return fail("MPEG video (" + ext + ") takes 24, 25, 30, 50 or 60 frames a second: choose one with --fps, "
                    "or write .mp4");
    return true;
}

bool RenderOptions::pngSequence() const {
    return output.size() > 4 && output.compare(output.size() - 4, 4, ".png") == 0;
}
