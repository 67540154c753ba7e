// Draws every picture of resources/: the interface icons 120 to 132, the application icon 101,
// the setup dialog's picture 103, and the production's title card, captions and fades.
// Shapes are drawn by 8 x 8 supersampling, text with FreeType from the fonts given on the
// command line; PNG files carry no time stamp, so every run writes the same bytes.
//
// Usage: pictures <resources folder> <regular font.ttf> <bold font.ttf> <IslandMap.raw>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Colour {
    float r, g, b, a;
};

Colour rgb(unsigned hex, float alpha = 1.0f) {
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f,
            alpha};
}

Colour mix(Colour x, Colour y, float t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

// Straight (not premultiplied) alpha, 0..1 floats.
struct Image {
    int width, height;
    std::vector<Colour> pixels;

    Image(int w, int h, Colour fill = {0, 0, 0, 0}) : width(w), height(h), pixels(w * h, fill) {}
    Colour& at(int x, int y) { return pixels[y * width + x]; }

    // Source-over with coverage.
    void blend(int x, int y, Colour c, float coverage) {
        if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0) return;
        Colour& d = at(x, y);
        float sa = c.a * std::min(coverage, 1.0f);
        float oa = sa + d.a * (1 - sa);
        if (oa <= 0) {
            d = {0, 0, 0, 0};
            return;
        }
        d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
        d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
        d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
        d.a = oa;
    }
};

using Inside = std::function<bool(float, float)>;
using Shade = std::function<Colour(float, float)>;

// Fills a shape given as an inside test, coloured per pixel centre by `shade`; only the pixels
// of the box (x0, y0)-(x1, y1) are tested when one is given.
void fill(Image& image, const Inside& inside, const Shade& shade, float x0 = 0, float y0 = 0,
          float x1 = 1e9f, float y1 = 1e9f) {
    const int n = 8;
    const int left = std::max(0, int(std::floor(x0))), top = std::max(0, int(std::floor(y0)));
    const int right = std::min(image.width, int(std::ceil(std::min(x1, 1e6f))));
    const int bottom = std::min(image.height, int(std::ceil(std::min(y1, 1e6f))));
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            int hits = 0;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx)
                    if (inside(x + (sx + 0.5f) / n, y + (sy + 0.5f) / n)) ++hits;
            if (hits) image.blend(x, y, shade(x + 0.5f, y + 0.5f), hits / float(n * n));
        }
}

void fill(Image& image, const Inside& inside, Colour colour) {
    fill(image, inside, [colour](float, float) { return colour; });
}

Inside rect(float x0, float y0, float x1, float y1) {
    return [=](float x, float y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

Inside roundRect(float x0, float y0, float x1, float y1, float r) {
    return [=](float x, float y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
        float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
}

Inside circle(float cx, float cy, float r) {
    return [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

float segmentDistance(float x, float y, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    float px = ax + t * dx - x, py = ay + t * dy - y;
    return std::sqrt(px * px + py * py);
}

// A polyline of round-capped strokes.
Inside stroke(std::vector<std::pair<float, float>> points, float halfWidth) {
    return [=](float x, float y) {
        for (size_t i = 1; i < points.size(); ++i)
            if (segmentDistance(x, y, points[i - 1].first, points[i - 1].second, points[i].first,
                                points[i].second) <= halfWidth)
                return true;
        return false;
    };
}

Inside polygon(std::vector<std::pair<float, float>> points) {
    return [=](float x, float y) {
        bool in = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            auto [xi, yi] = points[i];
            auto [xj, yj] = points[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
        }
        return in;
    };
}

Inside unite(Inside a, Inside b) {
    return [=](float x, float y) { return a(x, y) || b(x, y); };
}

Inside subtract(Inside a, Inside b) {
    return [=](float x, float y) { return a(x, y) && !b(x, y); };
}

Inside shifted(Inside a, float dx, float dy) {
    return [=](float x, float y) { return a(x - dx, y - dy); };
}

// An icon shape: a soft dark shadow one pixel down and right, then the shape itself.
void iconShape(Image& image, const Inside& inside, const Shade& shade) {
    fill(image, shifted(inside, 0.8f, 0.8f), rgb(0x000000, 0.3f));
    fill(image, inside, shade);
}

// Light from the top: the colour at the top, darker towards the bottom.
Shade vertical(Colour top, Colour bottom, float y0, float y1) {
    return [=](float, float y) { return mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.f, 1.f)); };
}

// --- text -----------------------------------------------------------------------------------

struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    Font(const char* path) {
        if (FT_Init_FreeType(&library) || FT_New_Face(library, path, 0, &face)) {
            std::fprintf(stderr, "pictures: cannot open the font %s\n", path);
            std::exit(1);
        }
    }
    ~Font() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
};

// Coverage of a text line, tightly bounded, pixel size `size`, extra `tracking` pixels per glyph.
struct TextMask {
    int width = 0, height = 0;
    int baseline = 0;                 // rows from the top of the mask to the baseline
    std::vector<float> coverage;
};

TextMask renderText(Font& font, const std::string& text, int size, float tracking = 0) {
    FT_Set_Pixel_Sizes(font.face, 0, size);
    struct Glyph {
        int x, y, w, h;
        std::vector<unsigned char> bits;
    };
    std::vector<Glyph> glyphs;
    float pen = 0;
    FT_UInt previous = 0;
    int minX = 1 << 30, minY = 1 << 30, maxX = -(1 << 30), maxY = -(1 << 30);
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(font.face, ch);
        if (previous && index) {
            FT_Vector kern;
            FT_Get_Kerning(font.face, previous, index, FT_KERNING_DEFAULT, &kern);
            pen += kern.x / 64.0f;
        }
        FT_Load_Glyph(font.face, index, FT_LOAD_DEFAULT);
        FT_Render_Glyph(font.face->glyph, FT_RENDER_MODE_NORMAL);
        FT_GlyphSlot slot = font.face->glyph;
        Glyph g{int(std::lround(pen)) + slot->bitmap_left, -slot->bitmap_top, int(slot->bitmap.width),
                int(slot->bitmap.rows), {}};
        for (int row = 0; row < g.h; ++row)
            for (int col = 0; col < g.w; ++col)
                g.bits.push_back(slot->bitmap.buffer[row * slot->bitmap.pitch + col]);
        if (g.w && g.h) {
            minX = std::min(minX, g.x);
            minY = std::min(minY, g.y);
            maxX = std::max(maxX, g.x + g.w);
            maxY = std::max(maxY, g.y + g.h);
        }
        glyphs.push_back(std::move(g));
        pen += slot->advance.x / 64.0f + tracking;
        previous = index;
    }
    TextMask mask;
    mask.width = maxX - minX;
    mask.height = maxY - minY;
    mask.baseline = -minY;
    mask.coverage.assign(mask.width * mask.height, 0);
    for (const Glyph& g : glyphs)
        for (int row = 0; row < g.h; ++row)
            for (int col = 0; col < g.w; ++col) {
                float& c = mask.coverage[(g.y - minY + row) * mask.width + g.x - minX + col];
                c = std::min(1.0f, c + g.bits[row * g.w + col] / 255.0f);
            }
    return mask;
}

// Box blur, applied three times: close to a Gaussian of radius r.
std::vector<float> blur(const std::vector<float>& in, int w, int h, int r) {
    std::vector<float> a = in, b(in.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float s = 0;
                for (int k = -r; k <= r; ++k) s += a[y * w + std::clamp(x + k, 0, w - 1)];
                b[y * w + x] = s / (2 * r + 1);
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float s = 0;
                for (int k = -r; k <= r; ++k) s += b[std::clamp(y + k, 0, h - 1) * w + x];
                a[y * w + x] = s / (2 * r + 1);
            }
    }
    return a;
}

// Draws a mask with its top-left corner at (x, y), coloured per pixel.
void drawMask(Image& image, const TextMask& mask, int x, int y, const Shade& shade,
              float strength = 1.0f) {
    for (int row = 0; row < mask.height; ++row)
        for (int col = 0; col < mask.width; ++col) {
            float c = mask.coverage[row * mask.width + col] * strength;
            if (c > 0) image.blend(x + col, y + row, shade(x + col + 0.5f, y + row + 0.5f), c);
        }
}

// Text centred on (cx, baselineY) horizontally, with an optional glow behind it.
void drawText(Image& image, Font& font, const std::string& text, int size, float cx, int baseline,
              const Shade& shade, Colour glow = {0, 0, 0, 0}, int glowRadius = 0,
              float tracking = 0, float align = 0.5f, int maxWidth = 0) {
    TextMask mask = renderText(font, text, size, tracking);
    // Shrink until the line fits, when a width is given.
    while (maxWidth > 0 && mask.width > maxWidth && size > 6)
        mask = renderText(font, text, --size, tracking);
    int x = int(std::lround(cx - mask.width * align));
    int y = baseline - mask.baseline;
    if (glow.a > 0 && glowRadius > 0) {
        int pad = glowRadius * 3;
        TextMask halo;
        halo.width = mask.width + 2 * pad;
        halo.height = mask.height + 2 * pad;
        halo.coverage.assign(halo.width * halo.height, 0);
        for (int row = 0; row < mask.height; ++row)
            for (int col = 0; col < mask.width; ++col)
                halo.coverage[(row + pad) * halo.width + col + pad] =
                    mask.coverage[row * mask.width + col];
        halo.coverage = blur(halo.coverage, halo.width, halo.height, glowRadius);
        for (float& c : halo.coverage) c = std::min(1.0f, c * 2.2f);
        drawMask(image, halo, x - pad, y - pad, [glow](float, float) { return glow; });
    }
    drawMask(image, mask, x, y, shade);
}

// --- files ----------------------------------------------------------------------------------

unsigned char byteOf(float v) {
    return (unsigned char)std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f);
}

void writePng(const Image& image, const std::string& path, bool alpha = true) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "pictures: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "pictures: libpng failed on %s\n", path.c_str());
        std::exit(1);
    }
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, image.width, image.height, 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int channels = alpha ? 4 : 3;
    std::vector<unsigned char> row(image.width * channels);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Colour& c = image.pixels[y * image.width + x];
            unsigned char* p = &row[x * channels];
            // Fully transparent texels keep no stray colour.
            bool clear = alpha && byteOf(c.a) == 0;
            p[0] = clear ? 0 : byteOf(c.r);
            p[1] = clear ? 0 : byteOf(c.g);
            p[2] = clear ? 0 : byteOf(c.b);
            if (alpha) p[3] = byteOf(c.a);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void writeJpeg(const Image& image, const std::string& path, int quality) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "pictures: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = image.width;
    cinfo.image_height = image.height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(image.width * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < image.width; ++x) {
            const Colour& c = image.pixels[cinfo.next_scanline * image.width + x];
            row[x * 3] = byteOf(c.r);
            row[x * 3 + 1] = byteOf(c.g);
            row[x * 3 + 2] = byteOf(c.b);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

// 24-bit bottom-up Windows bitmap.
void writeBmp(const Image& image, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "pictures: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    const int stride = (image.width * 3 + 3) & ~3;
    const uint32_t imageSize = stride * image.height;
    std::vector<unsigned char> header(54, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = (v >> (8 * i)) & 255;
    };
    auto put16 = [&](int at, uint16_t v) {
        header[at] = v & 255;
        header[at + 1] = v >> 8;
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, 54 + imageSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, image.width);
    put32(22, image.height);
    put16(26, 1);
    put16(28, 24);
    put32(34, imageSize);
    put32(38, 2835);  // 72 dots per inch
    put32(42, 2835);
    std::fwrite(header.data(), 1, header.size(), file);
    std::vector<unsigned char> row(stride, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Colour& c = image.pixels[y * image.width + x];
            row[x * 3] = byteOf(c.b);
            row[x * 3 + 1] = byteOf(c.g);
            row[x * 3 + 2] = byteOf(c.r);
        }
        std::fwrite(row.data(), 1, stride, file);
    }
    std::fclose(file);
}

// A small deterministic generator for star fields (the same on every machine).
struct Random {
    uint32_t state;
    explicit Random(uint32_t seed) : state(seed) {}
    float next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0f;
    }
};

void starField(Image& image, uint32_t seed, int count, float brightness) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        float x = random.next() * image.width, y = random.next() * image.height;
        float r = 0.35f + random.next() * random.next() * 1.1f;
        float b = brightness * (0.35f + 0.65f * random.next());
        Colour c = mix(rgb(0xffffff), rgb(0xa8c8ff), random.next());
        c.a = b;
        fill(image, circle(x, y, r), [c](float, float) { return c; }, x - r - 1, y - r - 1,
             x + r + 1, y + r + 1);
    }
}

// --- the pictures ---------------------------------------------------------------------------

// Mid-tone colours read on the editor's light panels and on the dark blue alike.
const Colour iconTop = rgb(0x6a9ae0);
const Colour iconBottom = rgb(0x27488a);

void drawCross(Image& image) {
    Inside shape = unite(stroke({{3.5f, 3.5f}, {12.5f, 12.5f}}, 1.6f),
                         stroke({{12.5f, 3.5f}, {3.5f, 12.5f}}, 1.6f));
    iconShape(image, shape, vertical(rgb(0xf06a5a), rgb(0xb02418), 2, 14));
}

void drawFloppy(Image& image) {
    Inside body = polygon({{1.5f, 1.5f}, {12.0f, 1.5f}, {14.5f, 4.0f}, {14.5f, 14.5f}, {1.5f, 14.5f}});
    fill(image, shifted(body, 0.8f, 0.8f), rgb(0x000000, 0.45f));
    fill(image, body, vertical(rgb(0x5a7fb8), rgb(0x2f4f86), 1, 15));
    // The metal shutter at the top with its window, and the paper label below.
    fill(image, rect(4.0f, 1.5f, 11.0f, 6.0f), vertical(rgb(0xeef2f6), rgb(0xb4bcc8), 1.5f, 6));
    fill(image, rect(8.5f, 2.3f, 10.0f, 5.2f), rgb(0x2f4f86));
    fill(image, rect(3.5f, 8.5f, 12.5f, 14.5f), rgb(0xfbfbf4));
    fill(image, rect(4.5f, 10.0f, 11.5f, 10.6f), rgb(0x8090a8));
    fill(image, rect(4.5f, 12.0f, 10.0f, 12.6f), rgb(0x8090a8));
}

void drawPlay(Image& image) {
    iconShape(image, polygon({{4.0f, 2.5f}, {13.5f, 8.0f}, {4.0f, 13.5f}}),
              vertical(rgb(0x6ad45c), rgb(0x2a8a22), 2, 14));
}

void drawPause(Image& image) {
    iconShape(image, unite(roundRect(3.5f, 2.5f, 6.8f, 13.5f, 0.8f), roundRect(9.2f, 2.5f, 12.5f, 13.5f, 0.8f)),
              vertical(iconTop, iconBottom, 2, 14));
}

void drawPlus(Image& image) {
    iconShape(image, unite(rect(2.5f, 6.5f, 13.5f, 9.5f), rect(6.5f, 2.5f, 9.5f, 13.5f)),
              vertical(iconTop, iconBottom, 2, 14));
}

void drawMinus(Image& image) {
    iconShape(image, rect(2.5f, 6.5f, 13.5f, 9.5f), vertical(iconTop, iconBottom, 6, 10));
}

// Lit from the upper left: diffuse and a specular spot, the edge antialiased into alpha.
void drawSphere(Image& image) {
    const float cx = 8, cy = 8, r = 7.4f;
    fill(image, circle(cx, cy, r), [=](float x, float y) {
        float nx = (x - cx) / r, ny = (y - cy) / r;
        float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
        const float lx = -0.45f, ly = -0.55f, lz = 0.70f;
        float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
        float hx = lx, hy = ly, hz = lz + 1;
        float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
        float specular = std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl), 24.0f);
        float v = 0.18f + 0.72f * diffuse;
        Colour base = {v * 0.86f, v * 0.90f, v, 1};
        return mix(base, rgb(0xffffff), specular);
    });
}

void drawChecker(Image& image) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.at(x, y) = ((x / 4 + y / 4) % 2) ? rgb(0x8c8c8c) : rgb(0xc8c8c8);
}

void drawCurve(Image& image) {
    // A smooth rise through key points, the keys marked with dots.
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i <= 40; ++i) {
        float t = i / 40.0f;
        float s = t * t * t * (t * (6 * t - 15) + 10);
        points.push_back({2.5f + 11.0f * t, 13.0f - 10.0f * s});
    }
    iconShape(image, stroke(points, 0.95f), vertical(iconTop, iconBottom, 2, 14));
    fill(image, circle(2.5f, 13.0f, 1.9f), rgb(0xf0a020));
    fill(image, circle(13.5f, 3.0f, 1.9f), rgb(0xf0a020));
}

// A hooked arrow turning back to the left: up from the bottom right, over, and left to its head.
Inside undoArrow() {
    std::vector<std::pair<float, float>> points{{12.5f, 13.0f}};
    for (int i = 0; i <= 12; ++i) {
        float a = -1.5707964f * i / 12.0f;
        points.push_back({8.5f + 4.0f * std::cos(a), 8.5f + 4.0f * std::sin(a)});
    }
    points.push_back({6.0f, 4.5f});
    return unite(stroke(points, 1.3f), polygon({{1.5f, 4.5f}, {6.8f, 0.5f}, {6.8f, 8.5f}}));
}

void drawUndo(Image& image) {
    iconShape(image, undoArrow(), vertical(iconTop, iconBottom, 1, 14));
}

void drawRedo(Image& image) {
    Inside undo = undoArrow();
    iconShape(image, [undo](float x, float y) { return undo(16.0f - x, y); }, vertical(iconTop, iconBottom, 1, 14));
}

void drawTitleLettering(Image& image, Font& bold) {
    drawText(image, bold, "Zod'e Revez!", 15, 64, 13, [](float, float) { return rgb(0xffffff); },
             {0, 0, 0, 0}, 0, 0.6f);
}

Shade deepBlue(int h) {
    return [h](float, float y) { return mix(rgb(0x1a2a6c), rgb(0x070d2c), y / h); };
}

void drawLoading(Image& image, Font& bold) {
    fill(image, rect(0, 0, 256, 256), deepBlue(256));
    starField(image, 130, 70, 0.55f);
    drawText(image, bold, "Loading...", 34, 128, 140, vertical(rgb(0xfff27a), rgb(0xffc21a), 110, 142),
             rgb(0xffb000, 0.35f), 4);
}

void drawAppIcon(Image& image, Font& bold) {
    const float s = image.width / 64.0f;
    fill(image, roundRect(2 * s, 2 * s, 62 * s, 62 * s, 12 * s), deepBlue(image.height));
    fill(image, circle(40 * s, 40 * s, 26 * s),
         [s](float x, float y) {
             float d = std::hypot(x - 30 * s, y - 30 * s) / (40 * s);
             return mix(rgb(0x5a8ee8, 0.55f), rgb(0x203c90, 0.0f), std::clamp(d, 0.f, 1.f));
         });
    drawText(image, bold, "Z", int(46 * s), 32 * s, int(50 * s),
             vertical(rgb(0xfff27a), rgb(0xffb21a), 10 * s, 52 * s), rgb(0xffa000, 0.45f), int(2 * s));
}

// The picture of the setup dialog: the title over a night sky with a planet's rim.
void drawSetup(Image& image, Font& regular, Font& bold) {
    const int w = image.width, h = image.height;
    fill(image, rect(0, 0, w, h), [h](float, float y) {
        return mix(rgb(0x04081e), rgb(0x1c3278), std::pow(y / h, 1.4f));
    });
    starField(image, 103, 160, 0.8f);
    // A planet below the horizon, with a thin lit rim.
    const float pcx = w * 0.5f, pcy = h + 520.0f, pr = 600.0f;
    fill(image, circle(pcx, pcy, pr + 3), rgb(0x8cc8ff, 0.55f));
    fill(image, circle(pcx, pcy, pr), [=](float x, float y) {
        float d = std::hypot(x - pcx, y - pcy) / pr;
        return mix(rgb(0x0a1230), rgb(0x3a6ab8), std::clamp((d - 0.96f) / 0.04f, 0.f, 1.f));
    });
    drawText(image, bold, "Zod'e Revez!", 46, w * 0.5f, 92,
             vertical(rgb(0xfff6a0), rgb(0xffb420), 50, 92), rgb(0xff9c00, 0.40f), 5);
    drawText(image, regular, "a real-time production", 15, w * 0.5f, 122,
             [](float, float) { return rgb(0xc8dcff); }, {0, 0, 0, 0}, 0, 1.2f);
}

// The title card: a 1024 x 1024 picture of which the overlay shows the top 1024 x 768, so the
// title keeps its place and proportions on any 4:3 picture.
void drawTitleCard(Image& image, Font& bold, Font& regular) {
    drawText(image, bold, "Zod'e Revez!", 150, 512, 400,
             vertical(rgb(0xfff6a0), rgb(0xffa818), 290, 404), rgb(0xff8c00, 0.45f), 10, 0, 0.5f, 860);
    drawText(image, regular, "a real-time production", 40, 512, 480,
             [](float, float) { return rgb(0xc8dcff); }, rgb(0x000814, 0.6f), 3, 3.0f);
}

// The credits for the closing act, laid out like the title card (top 1024 x 768 shown).
void drawCredits(Image& image, Font& bold, Font& regular) {
    drawText(image, bold, "Zod'e Revez!", 84, 512, 230,
             vertical(rgb(0xfff6a0), rgb(0xffa818), 160, 232), rgb(0xff8c00, 0.45f), 7, 0, 0.5f, 700);
    const char* lines[] = {"music composed in code, played by FluidSynth",
                           "pictures drawn by programs, set in DejaVu Sans",
                           "islands, clouds and skies computed at start-up"};
    int baseline = 350;
    for (const char* line : lines) {
        drawText(image, regular, line, 34, 512, baseline, [](float, float) { return rgb(0xdce8ff); },
                 rgb(0x000814, 0.6f), 3, 0.5f, 0.5f, 900);
        baseline += 62;
    }
    drawText(image, bold, "thank you for watching", 40, 512, 600, [](float, float) { return rgb(0x9cc8ff); },
             rgb(0x000814, 0.6f), 3, 2.0f);
}

// A caption, 256 x 64: two lines, left or right aligned, with a dark halo for legibility.
void drawCaption(Image& image, Font& regular, Font& bold, const std::string& first,
                 const std::string& second, bool right) {
    float x = right ? 250.0f : 6.0f;
    float align = right ? 1.0f : 0.0f;
    Colour halo = rgb(0x000814, 0.7f);
    drawText(image, bold, first, 22, x, 28, [](float, float) { return rgb(0xffffff); }, halo, 2, 0.5f,
             align, 236);
    drawText(image, regular, second, 15, x, 52, [](float, float) { return rgb(0x9cc8ff); }, halo, 2,
             0.4f, align, 236);
}

// The interlude's pictures, drawn into the 256 x 256 render target.
void drawPlanet(Image& image) {
    const float c = 128, r = 92;
    fill(image, circle(c, c, r + 14), [=](float x, float y) {
        float d = std::hypot(x - c, y - c);
        float t = std::clamp((d - r) / 14.0f, 0.f, 1.f);
        return Colour{0.45f, 0.70f, 1.0f, 0.55f * (1 - t) * (1 - t)};
    });
    fill(image, circle(c, c, r), [=](float x, float y) {
        float nx = (x - c) / r, ny = (y - c) / r;
        float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
        float light = std::max(0.0f, -0.55f * nx - 0.35f * ny + 0.76f * nz);
        // Bands of cloud across the disc.
        float band = 0.5f + 0.5f * std::sin(ny * 13.0f + 1.7f * std::sin(nx * 5.0f));
        Colour ground = mix(rgb(0x1f4fa0), rgb(0x7fb4f0), band * 0.6f);
        Colour lit = {ground.r * (0.08f + 0.92f * light), ground.g * (0.08f + 0.92f * light),
                      ground.b * (0.1f + 0.9f * light), 1};
        return lit;
    });
}

void drawRing(Image& image) {
    const float c = 128;
    fill(image,
         [=](float x, float y) {
             // An ellipse ring, tilted by squashing y.
             float dx = x - c, dy = (y - c) * 3.2f;
             float d = std::sqrt(dx * dx + dy * dy);
             return d > 104 && d < 124 && !(dy < 0 && std::hypot(dx, y - c) < 92);
         },
         [=](float x, float y) {
             float dx = x - c, dy = (y - c) * 3.2f;
             float d = std::sqrt(dx * dx + dy * dy);
             float t = (d - 104) / 20;
             return Colour{0.95f, 0.85f - 0.2f * t, 0.55f, 0.85f - 0.4f * std::abs(t - 0.5f)};
         });
}

// A soft round glow that flashes behind the planet on the bar lines.
void drawGlow(Image& image) {
    const float c = image.width / 2.0f;
    fill(image, circle(c, c, c), [c](float x, float y) {
        float d = std::hypot(x - c, y - c) / c;
        float a = std::pow(std::max(0.0f, 1 - d), 2.2f);
        return Colour{0.75f, 0.88f, 1.0f, a};
    });
}

// Value noise on a wrapping lattice, smoothly interpolated, several octaves.
struct Noise {
    static constexpr int size = 64;
    float lattice[size * size];
    explicit Noise(uint32_t seed) {
        Random random(seed);
        for (float& v : lattice) v = random.next();
    }
    float at(int x, int y) const { return lattice[(y & (size - 1)) * size + (x & (size - 1))]; }
    float smooth(float x, float y) const {
        int ix = int(std::floor(x)), iy = int(std::floor(y));
        float fx = x - ix, fy = y - iy;
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        float top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * fx;
        float bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * fx;
        return top + (bottom - top) * fy;
    }
    float fractal(float x, float y, int octaves) const {
        float sum = 0, amplitude = 0.5f;
        for (int i = 0; i < octaves; ++i) {
            sum += amplitude * smooth(x, y);
            x *= 2.03f;
            y *= 2.03f;
            amplitude *= 0.5f;
        }
        return sum;
    }
};

// Deep space behind the opening: a blue and violet nebula and stars. 1024 x 1024, of which the
// overlay shows the top 1024 x 768.
void drawStars(Image& image) {
    Noise noise(2026);
    const int w = image.width, h = image.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float n = noise.fractal(x / 160.0f, y / 160.0f, 6);
            float m = noise.fractal(x / 90.0f + 17, y / 90.0f + 5, 5);
            // A diagonal band where the nebula is densest.
            float band = std::exp(-std::pow((x * 0.6f - y + 200) / 380.0f, 2.0f));
            float cloud = std::clamp((n - 0.38f) * 2.4f, 0.0f, 1.0f) * band;
            Colour c = mix(rgb(0x02040e), rgb(0x0c1640), float(y) / h);
            c = mix(c, rgb(0x3a4cb0), cloud * 0.55f);
            c = mix(c, rgb(0x7a3c9c), std::clamp((m - 0.5f) * 3.0f, 0.0f, 1.0f) * cloud * 0.6f);
            image.at(x, y) = c;
        }
    starField(image, 1024, 900, 0.9f);
}

void drawBlack(Image& image) {
    fill(image, rect(0, 0, image.width, image.height), rgb(0x000000));
}

// --- the acts after the opening -------------------------------------------------------------

constexpr float pi = 3.14159265f;

// Periodic value noise: a lattice of `cells` x `cells` wrapping over the picture, so a texture
// built from it tiles without seams (the sea and the hall floor repeat theirs).
struct TileNoise {
    int cells;
    std::vector<float> lattice;
    TileNoise(int cells, uint32_t seed) : cells(cells), lattice(cells * cells) {
        Random random(seed);
        for (float& v : lattice) v = random.next();
    }
    float at(int x, int y) const { return lattice[((y % cells + cells) % cells) * cells + (x % cells + cells) % cells]; }
    // u, v in picture units 0..1.
    float smooth(float u, float v) const {
        float x = u * cells, y = v * cells;
        int ix = int(std::floor(x)), iy = int(std::floor(y));
        float fx = x - ix, fy = y - iy;
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        float top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * fx;
        float bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * fx;
        return top + (bottom - top) * fy;
    }
};

// Octaves of periodic noise with doubling lattices, 0..1.
float tileFractal(const std::vector<TileNoise>& octaves, float u, float v) {
    float sum = 0, amplitude = 0.5f, total = 0;
    for (const TileNoise& n : octaves) {
        sum += amplitude * n.smooth(u, v);
        total += amplitude;
        amplitude *= 0.5f;
    }
    return sum / total;
}

std::vector<TileNoise> octavesOf(int first, int count, uint32_t seed) {
    std::vector<TileNoise> octaves;
    for (int i = 0; i < count; ++i) octaves.emplace_back(first << i, seed + i);
    return octaves;
}

// The breakdown's backdrop, 512 x 512 (the top 512 x 384 shown, magnified: cheaper to sample
// than a picture larger than the screen): a dim teal and violet haze with few stars.
void drawSignalBackdrop(Image& image) {
    Noise noise(7331);
    const int w = image.width, h = image.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float n = noise.fractal(x / 90.0f, y / 90.0f, 5);
            float m = noise.fractal(x / 50.0f + 9, y / 50.0f + 3, 4);
            float glow = std::exp(-std::pow((x - w * 0.5f) / (w * 0.45f), 2.0f) - std::pow((y - h * 0.36f) / (h * 0.3f), 2.0f));
            Colour c = mix(rgb(0x010308), rgb(0x06142a), glow);
            c = mix(c, rgb(0x0e4a5a), std::clamp((n - 0.42f) * 2.2f, 0.0f, 1.0f) * (0.3f + 0.5f * glow));
            c = mix(c, rgb(0x40205a), std::clamp((m - 0.55f) * 3.0f, 0.0f, 1.0f) * 0.45f);
            image.at(x, y) = c;
        }
    starField(image, 4242, 160, 0.7f);
}

// The island's ground, stretched once over the whole island and coloured by the height map the
// island is built from (bytes 0 to 255, 0 under water): dark sea floor, sand at the shore, grass,
// woods, and bare rock on the heights, with noise for texture.
void drawGround(Image& image, const std::vector<unsigned char>& map) {
    const auto detail = octavesOf(16, 4, 777);
    const auto patches = octavesOf(4, 3, 501);
    const int w = image.width, h = image.height;
    auto height = [&](int c, int r) {
        c = std::clamp(c, 0, 31);
        r = std::clamp(r, 0, 31);
        int b = map[r * 32 + c];
        return b == 0 ? -32.0f : float(b);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = (x + 0.5f) / w, v = (y + 0.5f) / h;
            // The island's vertex (c, r) carries the texture coordinate (c / 31, r / 31).
            float fc = u * 31, fr = v * 31;
            int c = int(fc), r = int(fr);
            float tx = fc - c, ty = fr - r;
            float top = height(c, r) + (height(c + 1, r) - height(c, r)) * tx;
            float bottom = height(c, r + 1) + (height(c + 1, r + 1) - height(c, r + 1)) * tx;
            float z = top + (bottom - top) * ty + (tileFractal(patches, u, v) - 0.5f) * 24;
            float d = tileFractal(detail, u, v);
            Colour c0;
            if (z < 0) c0 = mix(rgb(0x3c6a78), rgb(0x183450), std::clamp(-z / 24, 0.f, 1.f));
            else if (z < 18) c0 = mix(rgb(0xe6d49a), rgb(0xc8b878), z / 18);
            else if (z < 110) c0 = mix(rgb(0x6a9a38), rgb(0x3f7a2a), (z - 18) / 92);
            else if (z < 180) c0 = mix(rgb(0x3f7a2a), rgb(0x2a4a22), (z - 110) / 70);
            else c0 = mix(rgb(0x6a6458), rgb(0xb8b0a0), std::clamp((z - 180) / 50, 0.f, 1.f));
            float shade = 0.8f + 0.4f * d;
            image.at(x, y) = {c0.r * shade, c0.g * shade, c0.b * shade, 1};
        }
}

// Water, repeated many times over the sea: blue with light ripples; tiles without seams.
void drawWater(Image& image) {
    const auto octaves = octavesOf(8, 4, 909);
    const int w = image.width, h = image.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = (x + 0.5f) / w, v = (y + 0.5f) / h;
            float n = tileFractal(octaves, u, v);
            float waves = 0.5f + 0.25f * std::sin(2 * pi * (3 * u + 2 * v) + 6 * n) +
                          0.25f * std::sin(2 * pi * (-2 * u + 5 * v) + 4 * n);
            Colour c = mix(rgb(0x0b3a6e), rgb(0x2a78b0), n);
            c = mix(c, rgb(0xb8e4ff), std::pow(waves, 6.0f) * 0.8f);
            image.at(x, y) = c;
        }
}

// One star of the star field, drawn additively: a bright core, a halo and four faint rays.
void drawStarSprite(Image& image) {
    const float c = image.width / 2.0f;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            float dx = (x + 0.5f - c) / c, dy = (y + 0.5f - c) / c;
            float d = std::hypot(dx, dy);
            float core = std::exp(-d * d * 40);
            float halo = 0.35f * std::exp(-d * d * 6);
            float rays = 0.5f * (std::exp(-std::abs(dx) * 30) + std::exp(-std::abs(dy) * 30)) *
                         std::max(0.0f, 1 - d);
            float a = std::clamp(core + halo + rays, 0.0f, 1.0f) * std::clamp((1 - d) * 4, 0.f, 1.f);
            image.at(x, y) = {0.85f + 0.15f * core, 0.9f + 0.1f * core, 1, a};
        }
}

// The teapot's surroundings, looked up through camera-space normals (u, v from -1 to 1,
// repeating): a warm sky above, a dark floor below and window lights, periodic in both ways.
void drawEnvironment(Image& image) {
    const int w = image.width, h = image.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = (x + 0.5f) / w, v = (y + 0.5f) / h;
            float up = 0.5f + 0.5f * std::cos(2 * pi * v);  // 1 at the top and bottom rows
            float side = 0.5f + 0.5f * std::cos(2 * pi * u);
            Colour c = mix(rgb(0x301404), rgb(0xffc060), up);
            c = mix(c, rgb(0x80d0ff), side * up * 0.6f);
            float window = std::exp(-std::pow((v - 0.5f) * 9, 2.0f)) * (0.5f + 0.5f * std::cos(2 * pi * 4 * u));
            c = mix(c, rgb(0xfff8e0), std::clamp(window * 1.4f - 0.3f, 0.f, 1.f));
            image.at(x, y) = c;
        }
}

// The optimus sprite: a small robot on a transparent tile. The transparent texels keep a dark
// blue, which shows when the scrolling background blinks opaque.
void drawRobot(Image& image) {
    const int w = image.width;
    const float s = w / 64.0f;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < w; ++x) image.at(x, y) = {0.06f, 0.1f, 0.3f, 0};
    Shade metal = vertical(rgb(0xe8f0ff), rgb(0x7088b0), 8 * s, 58 * s);
    fill(image, roundRect(14 * s, 14 * s, 50 * s, 44 * s, 6 * s), metal);            // head
    fill(image, rect(30 * s, 4 * s, 34 * s, 14 * s), metal);                         // antenna
    fill(image, circle(32 * s, 5 * s, 3.5f * s), rgb(0xff4040));
    fill(image, circle(24 * s, 27 * s, 5 * s), rgb(0x102040));                       // eyes
    fill(image, circle(40 * s, 27 * s, 5 * s), rgb(0x102040));
    fill(image, circle(25 * s, 26 * s, 2.2f * s), rgb(0x60ffff));
    fill(image, circle(41 * s, 26 * s, 2.2f * s), rgb(0x60ffff));
    fill(image, roundRect(22 * s, 35 * s, 42 * s, 39 * s, 2 * s), rgb(0x203050));   // mouth
    fill(image, roundRect(20 * s, 46 * s, 44 * s, 60 * s, 4 * s), metal);            // body
    fill(image, rect(8 * s, 48 * s, 20 * s, 52 * s), metal);                         // arms
    fill(image, rect(44 * s, 48 * s, 56 * s, 52 * s), metal);
}

// A sign for the hall in the band of rows top..top + h of the picture: a rounded plate with a
// line of text; the rest stays transparent.
void drawSign(Image& image, int top, int h, Font& bold, const std::string& text, Colour upper, Colour lower,
              Colour letters) {
    const int w = image.width;
    const float y0 = float(top);
    fill(image, roundRect(4, y0 + 4, w - 4, y0 + h - 4, 18), vertical(upper, lower, y0 + 4, y0 + h - 4));
    fill(image, subtract(roundRect(10, y0 + 10, w - 10, y0 + h - 10, 13), roundRect(14, y0 + 14, w - 14, y0 + h - 14, 10)),
         rgb(0xffffff, 0.5f));
    drawText(image, bold, text, int(h * 0.42f), w / 2.0f, top + int(h * 0.66f), [letters](float, float) { return letters; },
             rgb(0x000000, 0.5f), 3, 1.0f, 0.5f, w - 40);
}

// One picture of the breakdown's sequence: a bright shape on transparent ground, 256 x 256.
void drawBeatShape(Image& image, int which) {
    const float c = 128;
    const Colour colours[] = {rgb(0xff5a8c), rgb(0x5affc8), rgb(0xffd84a), rgb(0x7aa0ff)};
    const Colour colour = colours[which];
    Inside shape;
    switch (which) {
    case 0: shape = subtract(circle(c, c, 110), circle(c, c, 78)); break;
    case 1: shape = subtract(rect(28, 28, 228, 228), rect(60, 60, 196, 196)); break;
    case 2: shape = subtract(polygon({{c, 14}, {242, 220}, {14, 220}}), polygon({{c, 80}, {190, 188}, {66, 188}})); break;
    default: shape = unite(stroke({{30, 30}, {226, 226}}, 18), stroke({{226, 30}, {30, 226}}, 18)); break;
    }
    fill(image, circle(c, c, 127), [=](float x, float y) {
        float d = std::hypot(x - c, y - c) / 127;
        Colour g = colour;
        g.a = 0.35f * (1 - d) * (1 - d);
        return g;
    });
    fill(image, shape, colour);
}

// The hall's floor, repeated: dark tiles with light joints.
void drawFloor(Image& image) {
    const auto octaves = octavesOf(8, 3, 313);
    const int w = image.width, h = image.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = (x + 0.5f) / w, v = (y + 0.5f) / h;
            int tile = (int(u * 4) + int(v * 4)) & 1;
            float n = tileFractal(octaves, u, v);
            Colour c = tile ? rgb(0x3a3e52) : rgb(0x23263a);
            c = mix(c, rgb(0x707890), (n - 0.5f) * 0.5f + 0.1f);
            float ju = std::abs(u * 4 - std::round(u * 4)), jv = std::abs(v * 4 - std::round(v * 4));
            if (std::min(ju, jv) < 0.02f) c = rgb(0x8890b0);
            image.at(x, y) = c;
        }
}

void drawActPictures(const std::string& out, Font& regular, Font& bold, const std::vector<unsigned char>& islandMap) {
    {
        Image image(512, 512);
        drawGround(image, islandMap);
        writeJpeg(image, out + "OutsideGround.jpg", 85);
    }
    {
        Image image(256, 256);
        drawWater(image);
        writeJpeg(image, out + "OutsideWater.jpg", 85);
    }
    {
        Image image(64, 64);
        drawStarSprite(image);
        writePng(image, out + "SpaceStar.png");
    }
    {
        Image image(256, 256);
        drawEnvironment(image);
        writeJpeg(image, out + "InsideEnvironment.jpg", 88);
    }
    {
        Image image(256, 256);
        drawFloor(image);
        writeJpeg(image, out + "InsideFloor.jpg", 85);
    }
    {
        // Both signs in one picture, each a 4:1 band that a quad shows through its v range.
        Image image(512, 512);
        drawSign(image, 0, 128, bold, "Zod'e Revez!", rgb(0xffcf40), rgb(0xe07010), rgb(0x301000));
        drawSign(image, 128, 128, bold, "162 BPM", rgb(0x50a0ff), rgb(0x2040a0), rgb(0xffffff));
        writePng(image, out + "InsideSigns.png");
    }
    {
        Image image(512, 512);
        drawSignalBackdrop(image);
        writeJpeg(image, out + "SignalBackdrop.jpg", 88);
    }
    {
        Image image(64, 64);
        drawRobot(image);
        writePng(image, out + "SignalRobot.png");
    }
    for (int i = 0; i < 4; ++i) {
        Image image(256, 256);
        drawBeatShape(image, i);
        writePng(image, out + "SignalBeat" + std::to_string(i + 1) + ".png");
    }
    struct Caption {
        const char* file;
        const char* first;
        const char* second;
        bool right;
    };
    const Caption captions[] = {
        {"OutsideCaption.png", "an island of 1024 bytes", "clouds grown from noise", false},
        {"InsideCaption.png", "the hall of screens", "every screen rendered live", true},
        {"SignalCaption.png", "look into the noise", "something stands still", false},
        {"FlightCaption.png", "full speed", "over the island, through the clouds", true},
    };
    for (const Caption& caption : captions) {
        Image image(256, 64);
        drawCaption(image, regular, bold, caption.first, caption.second, caption.right);
        writePng(image, out + caption.file);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: pictures <resources folder> <regular font> <bold font> <island map>\n");
        return 2;
    }
    // The island's ground is coloured by the committed height map.
    std::vector<unsigned char> islandMap;
    if (FILE* map = std::fopen(argv[4], "rb")) {
        islandMap.resize(1024);
        islandMap.resize(std::fread(islandMap.data(), 1, 1024, map));
        std::fclose(map);
    }
    if (islandMap.size() != 1024) {
        std::fprintf(stderr, "pictures: %s is not a 32 x 32 height map\n", argv[4]);
        return 1;
    }
    const std::string out = std::string(argv[1]) + "/";
    Font regular(argv[2]);
    Font bold(argv[3]);

    struct Icon {
        const char* file;
        void (*draw)(Image&);
    };
    const Icon icons[] = {
        {"120-Close.png", drawCross},   {"121-Save.png", drawFloppy}, {"122-Play.png", drawPlay},
        {"123-Pause.png", drawPause},   {"124-Plus.png", drawPlus},   {"125-Minus.png", drawMinus},
        {"126-Knob.png", drawSphere},   {"127-Checker.png", drawChecker},
        {"128-Curve.png", drawCurve},   {"131-Undo.png", drawUndo},   {"132-Redo.png", drawRedo},
    };
    for (const Icon& icon : icons) {
        Image image(16, 16);
        icon.draw(image);
        writePng(image, out + icon.file);
    }
    {
        Image image(128, 16);
        drawTitleLettering(image, bold);
        writePng(image, out + "129-Title.png");
    }
    {
        Image image(256, 256);
        drawLoading(image, bold);
        writePng(image, out + "130-Loading.png", false);
    }
    {
        Image image(64, 64);
        drawAppIcon(image, bold);
        writePng(image, out + "101-Icon.png");
    }
    {
        Image image(360, 188);
        drawSetup(image, regular, bold);
        writeBmp(image, out + "103-Setup.bmp");
    }
    {
        Image image(32, 32);
        drawBlack(image);
        writeJpeg(image, out + "black.jpg", 90);
    }
    {
        Image image(1024, 1024);
        drawTitleCard(image, bold, regular);
        writePng(image, out + "SpaceTitle.png");
    }
    {
        Image image(1024, 1024);
        drawCredits(image, bold, regular);
        writePng(image, out + "SpaceCredits.png");
    }
    {
        Image image(1024, 1024);
        drawStars(image);
        writeJpeg(image, out + "SpaceStars.jpg", 88);
    }
    {
        Image image(256, 256);
        drawGlow(image);
        writePng(image, out + "SpaceGlow.png");
    }
    {
        Image image(256, 64);
        drawCaption(image, regular, bold, "made in code, played live", "every picture computed", false);
        writePng(image, out + "SpaceCaption1.png");
    }
    {
        Image image(256, 64);
        drawCaption(image, regular, bold, "162 beats per minute", "music composed in code", true);
        writePng(image, out + "SpaceCaption2.png");
    }
    {
        Image image(256, 256);
        drawPlanet(image);
        writePng(image, out + "SpacePlanet.png");
    }
    {
        Image image(256, 256);
        drawRing(image);
        writePng(image, out + "SpaceRing.png");
    }
    drawActPictures(out, regular, bold, islandMap);
    return 0;
}
