#include "render/Yuv420.h"

namespace {

// BT.601 in video range, in 16-bit fixed point: Y = 16 + 219 (0.299 R + 0.587 G + 0.114 B) / 255,
// Cb and Cr 128 + 224 / 255 of the scaled differences. Each chroma row of weights sums to zero, so a
// grey stays exactly 128.
constexpr std::uint32_t yR = 16829, yG = 33039, yB = 6416;
constexpr std::int32_t uR = -9714, uG = -19070, uB = 28784;
constexpr std::int32_t vR = 28784, vG = -24103, vB = -4681;

inline std::uint32_t red(std::uint32_t p) { return (p >> 16) & 0xff; }
inline std::uint32_t green(std::uint32_t p) { return (p >> 8) & 0xff; }
inline std::uint32_t blue(std::uint32_t p) { return p & 0xff; }

inline std::uint8_t luma(std::uint32_t p) {
    return static_cast<std::uint8_t>((yR * red(p) + yG * green(p) + yB * blue(p) + (16u << 16) + (1u << 15)) >> 16);
}

// From the sums of four pixels' channels: the weights are a quarter, hence 18 bits.
inline std::uint8_t chroma(std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t wr, std::int32_t wg,
                           std::int32_t wb) {
    return static_cast<std::uint8_t>((wr * r + wg * g + wb * b + (128 << 18) + (1 << 17)) >> 18);
}

}  // namespace

void Yuv420::convert(const std::uint32_t* pixels, int width, int height, std::uint8_t* planes) {
    const std::size_t w = std::size_t(width), half = w / 2;
    std::uint8_t* const lumaPlane = planes;
    std::uint8_t* const uPlane = planes + w * std::size_t(height);
    std::uint8_t* const vPlane = uPlane + half * std::size_t(height / 2);
    for (int y = 0; y + 1 < height; y += 2) {
        const std::uint32_t* top = pixels + w * std::size_t(y);
        const std::uint32_t* bottom = top + w;
        std::uint8_t* lumaTop = lumaPlane + w * std::size_t(y);
        std::uint8_t* lumaBottom = lumaTop + w;
        std::uint8_t* u = uPlane + half * std::size_t(y / 2);
        std::uint8_t* v = vPlane + half * std::size_t(y / 2);
        for (std::size_t x = 0; x < half; ++x) {
            const std::uint32_t a = top[2 * x], b = top[2 * x + 1], c = bottom[2 * x], d = bottom[2 * x + 1];
            lumaTop[2 * x] = luma(a);
            lumaTop[2 * x + 1] = luma(b);
            lumaBottom[2 * x] = luma(c);
            lumaBottom[2 * x + 1] = luma(d);
            const auto r = std::int32_t(red(a) + red(b) + red(c) + red(d));
            const auto g = std::int32_t(green(a) + green(b) + green(c) + green(d));
            const auto bl = std::int32_t(blue(a) + blue(b) + blue(c) + blue(d));
            u[x] = chroma(r, g, bl, uR, uG, uB);
            v[x] = chroma(r, g, bl, vR, vG, vB);
        }
    }
}
