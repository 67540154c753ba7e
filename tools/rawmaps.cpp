// Writes the two raw byte maps of resources/:
//   IslandMap.raw  32 x 32 unsigned heights, row (z) by row, 0 = ground under the water;
//   Art.raw        128 x 128 mask, row by row, 1 = the production's logo, 0 = background.
// Usage: rawmaps <output folder> <bold TrueType font>. The same bytes on every run.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

double bump(double u, double v, double cu, double cv, double width) {
    const double du = u - cu, dv = v - cv;
    return std::exp(-(du * du + dv * dv) / (width * width));
}

// An island with an irregular coast, a main peak, a lower second summit and a flat plateau
// between them; the corners of the map lie under the water.
std::vector<uint8_t> islandMap() {
    const int n = 32;
    std::vector<double> height(n * n, 0.0);
    double highest = 0.0;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const double u = (c - 15.5) / 15.5, v = (r - 15.5) / 15.5;
            const double angle = std::atan2(v, u);
            const double coast = 0.78 + 0.10 * std::sin(3.0 * angle + 0.4) + 0.05 * std::cos(5.0 * angle + 1.0);
            const double d = std::sqrt(u * u + v * v) / coast;
            if (d >= 1.0) continue;
            double h = 0.35 * (1.0 - d * d);                      // the island's body
            h += 0.65 * bump(u, v, -0.22, 0.12, 0.28);             // the main peak
            h += 0.35 * bump(u, v, 0.34, -0.26, 0.22);             // the second summit
            h = std::max(h, 0.3 * std::min(1.0, 3.0 * (1.0 - d)));  // the plateau's level
            height[r * n + c] = h;
            highest = std::max(highest, h);
        }
    std::vector<uint8_t> bytes(n * n, 0);
    for (int i = 0; i < n * n; ++i)
        if (height[i] > 0.0) bytes[i] = static_cast<uint8_t>(std::clamp(std::lround(height[i] / highest * 234.0), 1L, 255L));
    return bytes;
}

// "ZR" in bold inside a ring: the production's logo.
bool artMask(const char* fontPath, std::vector<uint8_t>& mask) {
    const int side = 128;
    mask.assign(side * side, 0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double d = std::hypot(x + 0.5 - 64.0, y + 0.5 - 64.0);
            if (d >= 50.0 && d <= 58.0) mask[y * side + x] = 1;
        }
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, fontPath, 0, &face)) return false;
    FT_Set_Pixel_Sizes(face, 0, 52);
    const char* text = "ZR";
    int width = 0;
    for (const char* p = text; *p; ++p) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(*p), FT_LOAD_DEFAULT)) return false;
        width += static_cast<int>(face->glyph->advance.x >> 6);
    }
    int penX = (side - width) / 2;
    const int baseline = 64 + 19;  // capitals of 52 px stand about 38 px tall
    for (const char* p = text; *p; ++p) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(*p), FT_LOAD_RENDER)) return false;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int x = penX + face->glyph->bitmap_left + static_cast<int>(column);
                const int y = baseline - face->glyph->bitmap_top + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= side || y >= side) continue;
                if (bitmap.buffer[row * bitmap.pitch + column] >= 128) mask[y * side + x] = 1;
            }
        penX += static_cast<int>(face->glyph->advance.x >> 6);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rawmaps <output folder> <bold font>\n");
        return 2;
    }
    const std::string out = argv[1];
    std::vector<uint8_t> art;
    if (!artMask(argv[2], art)) {
        std::fprintf(stderr, "rawmaps: cannot render the logo with %s\n", argv[2]);
        return 1;
    }
    if (!writeFile(out + "/IslandMap.raw", islandMap()) || !writeFile(out + "/Art.raw", art)) {
        std::fprintf(stderr, "rawmaps: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
