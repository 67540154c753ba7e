#include "render/PngSequence.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// 8-bit RGB: the frames are opaque.
bool savePng(const std::string& path, const std::uint32_t* pixels, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(std::size_t(width) * 3);
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* source = pixels + std::size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = png_byte(source[x] >> 16);
            row[3 * x + 1] = png_byte(source[x] >> 8);
            row[3 * x + 2] = png_byte(source[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

std::string hiddenBeside(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, start) + "." + path.substr(start) + ".partial";
}

}  // namespace

PngSequence::~PngSequence() {
    for (std::size_t i = placed; i < written.size(); ++i) std::remove(hiddenBeside(written[i]).c_str());
}

bool PngSequence::open(const std::string& output, int w, int h, int firstFrame) {
    stem = output.substr(0, output.size() - 4);
    width = w;
    height = h;
    next = firstFrame;
    std::string probe = hiddenBeside(nameOf(next));
    FILE* file = std::fopen(probe.c_str(), "wb");
    if (!file) {
        message = "Cannot write " + nameOf(next) + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

std::string PngSequence::writtenNames() const {
    if (written.empty()) return "no frames";
    auto base = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
    return written.size() == 1 ? base(written.front()) : base(written.front()) + " ... " + base(written.back());
}

std::string PngSequence::nameOf(int frame) const {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", frame);
    return stem + number + ".png";
}

bool PngSequence::write(std::vector<std::uint32_t>& pixels) {
    std::string name = nameOf(next);
    std::string hidden = hiddenBeside(name);
    if (!savePng(hidden, pixels.data(), width, height)) {
        message = "Cannot write " + name + ": " + std::strerror(errno);
        std::remove(hidden.c_str());
        return false;
    }
    written.push_back(name);
    ++next;
    return true;
}

bool PngSequence::finish() {
    for (; placed < written.size(); ++placed) {
        const std::string& name = written[placed];
        if (std::rename(hiddenBeside(name).c_str(), name.c_str()) != 0) {
            message = "Cannot write " + name + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}
