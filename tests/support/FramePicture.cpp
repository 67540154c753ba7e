#include "support/FramePicture.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// For each new coordinate, the old ones it covers and how much of each.
struct Span {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Span> spans(int from, int to) {
    std::vector<Span> result(static_cast<std::size_t>(to));
    const double scale = double(from) / to;
    for (int i = 0; i < to; ++i) {
        const double begin = i * scale, end = (i + 1) * scale;
        Span& s = result[static_cast<std::size_t>(i)];
        s.first = static_cast<int>(begin);
        for (int k = s.first; k < end && k < from; ++k) {
            const double w = std::min<double>(end, k + 1) - std::max<double>(begin, k);
            s.weights.push_back(static_cast<float>(w / scale));
        }
    }
    return result;
}

}  // namespace

FramePicture shrinkFrame(const std::vector<std::uint32_t>& pixels, int fromWidth, int fromHeight, int width,
                         int height) {
    FramePicture picture;
    if (pixels.size() != std::size_t(fromWidth) * fromHeight || width <= 0 || height <= 0) return picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(std::size_t(width) * height * 3);
    const std::vector<Span> columns = spans(fromWidth, width), rows = spans(fromHeight, height);
    for (int y = 0; y < height; ++y) {
        const Span& row = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            const Span& column = columns[static_cast<std::size_t>(x)];
            float sum[3] = {0, 0, 0};
            for (std::size_t j = 0; j < row.weights.size(); ++j) {
                const std::uint32_t* line = &pixels[std::size_t(row.first + int(j)) * fromWidth];
                for (std::size_t i = 0; i < column.weights.size(); ++i) {
                    const std::uint32_t c = line[column.first + int(i)];
                    const float w = row.weights[j] * column.weights[i];
                    sum[0] += w * float((c >> 16) & 0xff);
                    sum[1] += w * float((c >> 8) & 0xff);
                    sum[2] += w * float(c & 0xff);
                }
            }
            std::uint8_t* out = &picture.rgb[(std::size_t(y) * width + x) * 3];
            for (int k = 0; k < 3; ++k) {
                const int level = (static_cast<int>(sum[k] + 0.5f) + 4) / 8 * 8;
                out[k] = static_cast<std::uint8_t>(std::clamp(level, 0, 255));
            }
        }
    }
    return picture;
}

bool FramePicture::readPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = int(image.width);
    height = int(image.height);
    rgb = std::move(bytes);
    return true;
}

bool FramePicture::writePng(const std::string& path) const {
    if (empty()) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    const std::string partial = path + ".partial";
    if (!png_image_write_to_file(&image, partial.c_str(), 0, rgb.data(), 0, nullptr)) {
        std::remove(partial.c_str());
        return false;
    }
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

FrameDifference compareFrames(const FramePicture& a, const FramePicture& b, int level) {
    FrameDifference d;
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) {
        d.differing = std::max(a.width * a.height, b.width * b.height);
        d.largest = 255;
        d.mean = 255.0;
        return d;
    }
    long long total = 0;
    for (std::size_t p = 0; p < a.rgb.size(); p += 3) {
        int worst = 0;
        for (int k = 0; k < 3; ++k) {
            const int diff = std::abs(int(a.rgb[p + k]) - int(b.rgb[p + k]));
            worst = std::max(worst, diff);
            total += diff;
        }
        d.largest = std::max(d.largest, worst);
        if (worst > level) ++d.differing;
    }
    d.mean = a.rgb.empty() ? 0.0 : double(total) / double(a.rgb.size());
    return d;
}

FramePicture differencePicture(const FramePicture& reference, const FramePicture& actual) {
    FramePicture out = actual;
    if (reference.rgb.size() != actual.rgb.size()) return out;
    for (std::size_t p = 0; p < out.rgb.size(); p += 3) {
        int worst = 0;
        for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(int(reference.rgb[p + k]) - int(actual.rgb[p + k])));
        const int grey = (reference.rgb[p] + reference.rgb[p + 1] + reference.rgb[p + 2]) / 12;  // dimmed
        if (worst == 0) {
            out.rgb[p] = out.rgb[p + 1] = out.rgb[p + 2] = std::uint8_t(grey);
        } else {
            out.rgb[p] = std::uint8_t(std::min(255, 96 + 4 * worst));
            out.rgb[p + 1] = out.rgb[p + 2] = 0;
        }
    }
    return out;
}
