// Decodes PNG (libpng) and JPEG (libjpeg) files held in memory into a Picture. Grey, palette and
// low-bit-depth pictures are expanded, 16-bit channels scaled to 8, tRNS turned into alpha.
// Anything that is not one whole, valid picture is refused with a short reason; a corrupt or
// truncated file never crashes the decoder and never yields a partial picture.
#pragma once

#include "platform/d3dx/Picture.h"

#include <cstddef>
#include <string>

namespace d3dx {

class PictureDecoder {
public:
    static constexpr long defaultMaxPixels = 8192L * 8192L;

    // true and `picture` filled, or false with `error` saying why (picture left empty).
    [[nodiscard]] static bool decode(const void* data, std::size_t size, Picture& picture, std::string& error,
                                     long maxPixels = defaultMaxPixels);

    static bool isPng(const void* data, std::size_t size);
    static bool isJpeg(const void* data, std::size_t size);

private:
    static bool decodePng(const unsigned char* data, std::size_t size, Picture& picture, std::string& error,
                          long maxPixels);
    static bool decodeJpeg(const unsigned char* data, std::size_t size, Picture& picture, std::string& error,
                           long maxPixels);
};

}  // namespace d3dx
