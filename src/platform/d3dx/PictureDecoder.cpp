// libpng and libjpeg report errors by longjmp. Each library call sequence runs in a small
// function that holds no C++ objects of its own, so that a jump skips no destructor; buffers are
// owned by the callers.
#include "platform/d3dx/PictureDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>  // after jpeglib.h, which it needs
#include <png.h>

namespace d3dx {

namespace {

constexpr unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr int maxSide = 16384;

std::uint32_t argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}

// --- PNG ----------------------------------------------------------------------------------------------
struct PngContext {
    const unsigned char* data;  // the whole file, not owned
    std::size_t size;
    std::size_t offset;
    char message[160];
};

void pngRead(png_structp png, png_bytep out, png_size_t count) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (count > context->size - context->offset) png_error(png, "the file ends early");
    std::memcpy(out, context->data + context->offset, count);
    context->offset += count;
}

void pngError(png_structp png, png_const_charp message) {
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "PNG: %s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

struct PngShape {
    png_uint_32 width, height;
    bool hasAlpha;
    png_size_t rowBytes;
};

bool pngReadHeader(png_structp png, png_infop info, PngShape* shape) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, maxSide, maxSide);
    png_set_chunk_malloc_max(png, 16u << 20);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
    bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    if (depth == 16) png_set_scale_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    if (!alpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    shape->width = width;
    shape->height = height;
    shape->hasAlpha = alpha;
    shape->rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool pngReadRows(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);  // a file cut after the pixels is still not a whole picture
    return true;
}

struct PngGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// --- JPEG ---------------------------------------------------------------------------------------------
struct JpegErrors {
    jpeg_error_mgr manager;  // first, so that cinfo->err converts back
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegFail(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings after which every pixel has still been decoded from the file's own data: stray bytes
// between segments (which cameras and editors write), an unknown JFIF revision or Adobe transform
// code, a damaged colour profile (never used here). Every other warning means data lost or made
// up (a premature end, a bad code, a marker inside the picture data): such a picture is refused.
bool jpegWarningLeavesPictureWhole(int code) {
    switch (code) {
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC:
        return true;
    default:
        return false;
    }
}

void jpegEmit(j_common_ptr cinfo, int level) {
    if (level < 0 && !jpegWarningLeavesPictureWhole(cinfo->err->msg_code)) jpegFail(cinfo);
}

bool jpegReadHeader(jpeg_decompress_struct* cinfo, const unsigned char* data, std::size_t size, long maxPixels) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    if (setjmp(errors->jump)) return false;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->image_width > unsigned(maxSide) || cinfo->image_height > unsigned(maxSide) ||
        long(cinfo->image_width) * long(cinfo->image_height) > maxPixels) {
        std::snprintf(errors->message, sizeof errors->message, "JPEG: the picture is too large");
        return false;
    }
    bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(cinfo);
    return true;
}

bool jpegReadRows(jpeg_decompress_struct* cinfo, unsigned char* pixels, std::size_t rowBytes) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    if (setjmp(errors->jump)) return false;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = pixels + rowBytes * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

bool PictureDecoder::isPng(const void* data, std::size_t size) {
    return data != nullptr && size >= sizeof pngSignature && std::memcmp(data, pngSignature, sizeof pngSignature) == 0;
}

bool PictureDecoder::isJpeg(const void* data, std::size_t size) {
    auto* bytes = static_cast<const unsigned char*>(data);
    return data != nullptr && size >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff;
}

bool PictureDecoder::decode(const void* data, std::size_t size, Picture& picture, std::string& error,
                            long maxPixels) {
    picture = Picture();
    auto* bytes = static_cast<const unsigned char*>(data);
    bool ok = false;
    if (isPng(data, size)) {
        ok = decodePng(bytes, size, picture, error, maxPixels);
    } else if (isJpeg(data, size)) {
        ok = decodeJpeg(bytes, size, picture, error, maxPixels);
    } else {
        error = "neither a PNG nor a JPEG file";
    }
    if (!ok) picture = Picture();
    return ok;
}

bool PictureDecoder::decodePng(const unsigned char* data, std::size_t size, Picture& picture, std::string& error,
                               long maxPixels) {
    PngContext context{data, size, 0, "PNG: cannot be read"};
    PngGuard guard;
    guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, pngError, pngWarning);
    if (guard.png) guard.info = png_create_info_struct(guard.png);
    if (!guard.png || !guard.info) {
        error = "PNG: out of memory";
        return false;
    }
    png_set_read_fn(guard.png, &context, pngRead);

    PngShape shape{};
    if (!pngReadHeader(guard.png, guard.info, &shape)) {
        error = context.message;
        return false;
    }
    if (shape.width == 0 || shape.height == 0 || long(shape.width) * long(shape.height) > maxPixels) {
        error = "PNG: the picture is too large";
        return false;
    }
    if (shape.rowBytes != png_size_t(shape.width) * 4) {
        error = "PNG: unexpected pixel layout";
        return false;
    }

    std::vector<unsigned char> rgba(shape.rowBytes * shape.height);
    std::vector<png_bytep> rows(shape.height);
    for (png_uint_32 y = 0; y < shape.height; ++y) rows[y] = rgba.data() + shape.rowBytes * y;
    if (!pngReadRows(guard.png, guard.info, rows.data())) {
        error = context.message;
        return false;
    }

    picture.width = int(shape.width);
    picture.height = int(shape.height);
    picture.hasAlpha = shape.hasAlpha;
    picture.pixels.resize(std::size_t(shape.width) * shape.height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const unsigned char* p = &rgba[i * 4];
        picture.pixels[i] = argb(p[3], p[0], p[1], p[2]);
    }
    return true;
}

bool PictureDecoder::decodeJpeg(const unsigned char* data, std::size_t size, Picture& picture, std::string& error,
                                long maxPixels) {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFail;
    errors.manager.emit_message = jpegEmit;
    std::snprintf(errors.message, sizeof errors.message, "JPEG: cannot be read");
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = 512L << 20;
    struct Guard {
        jpeg_decompress_struct* cinfo;
        ~Guard() { jpeg_destroy_decompress(cinfo); }
    } guard{&cinfo};

    if (!jpegReadHeader(&cinfo, data, size, maxPixels)) {
        error = errors.message;
        return false;
    }
    int components = cinfo.output_components;
    if ((components != 3 && components != 4) || cinfo.output_width == 0 || cinfo.output_height == 0) {
        error = "JPEG: unsupported colour layout";
        return false;
    }
    std::size_t rowBytes = std::size_t(cinfo.output_width) * components;
    std::vector<unsigned char> samples(rowBytes * cinfo.output_height);
    if (!jpegReadRows(&cinfo, samples.data(), rowBytes)) {
        error = errors.message;
        return false;
    }

    picture.width = int(cinfo.output_width);
    picture.height = int(cinfo.output_height);
    picture.hasAlpha = false;
    picture.pixels.resize(std::size_t(picture.width) * picture.height);
    bool invertedCmyk = components == 4 && cinfo.saw_Adobe_marker;  // Adobe stores CMYK inverted
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const unsigned char* p = &samples[i * components];
        if (components == 3) {
            picture.pixels[i] = argb(255, p[0], p[1], p[2]);
        } else {
            unsigned c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!invertedCmyk) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
            picture.pixels[i] = argb(255, c * k / 255, m * k / 255, ye * k / 255);
        }
    }
    return true;
}

}  // namespace d3dx
