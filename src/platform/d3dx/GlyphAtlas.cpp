#include "platform/d3dx/GlyphAtlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>

namespace d3dx {

namespace {

bool inSet(int c) { return (c >= 32 && c <= 126) || (c >= 160 && c <= 255); }

struct FreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeType() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

struct Bitmap {  // one rendered glyph, kept until the atlas is laid out
    int width = 0, height = 0;
    std::vector<unsigned char> coverage;
};

}  // namespace

bool GlyphAtlas::build(const unsigned char* fontData, std::size_t size, int height, unsigned weight, bool italic,
                       bool antialiased, std::string& error) {
    FreeType ft;
    if (FT_Init_FreeType(&ft.library) != 0 ||
        FT_New_Memory_Face(ft.library, fontData, FT_Long(size), 0, &ft.face) != 0 || !FT_IS_SCALABLE(ft.face)) {
        error = "the font file cannot be read";
        return false;
    }
    FT_Face face = ft.face;
    double pixels = 12;
    if (height < 0) {
        pixels = -double(height);
    } else if (height > 0) {
        double cell = double(face->ascender - face->descender) / face->units_per_EM;
        pixels = std::max(1.0, std::floor(height / cell + 0.5));
    }
    if (pixels > 512 || FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels)) != 0) {
        error = "the font cannot be set to that size";
        return false;
    }
    ascent = int((face->size->metrics.ascender + 63) >> 6);
    descent = int((-face->size->metrics.descender + 63) >> 6);
    lineHeight = ascent + descent;

    FT_Int32 loadFlags = FT_LOAD_DEFAULT | (antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    FT_Render_Mode mode = antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    std::vector<Bitmap> bitmaps(256);
    for (int c = 0; c < 256; ++c) {
        glyphs[c] = Glyph();
        if (!inSet(c)) continue;
        if (FT_Load_Char(face, FT_ULong(c), loadFlags) != 0) continue;
        FT_GlyphSlot slot = face->glyph;
        // Synthetic bold widens every glyph by a pixel, as the system's text drawing does.
        int advance = int((slot->advance.x + 32) >> 6) + (weight >= 600 ? 1 : 0);
        if (weight >= 600) FT_GlyphSlot_Embolden(slot);
        if (italic) FT_GlyphSlot_Oblique(slot);
        if (FT_Render_Glyph(slot, mode) != 0) continue;
        Glyph& g = glyphs[c];
        g.present = true;
        g.advance = advance;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = int(slot->bitmap.width);
        g.height = int(slot->bitmap.rows);
        Bitmap& b = bitmaps[c];
        b.width = g.width;
        b.height = g.height;
        b.coverage.resize(std::size_t(b.width) * b.height);
        for (int y = 0; y < b.height; ++y) {
            const unsigned char* row = slot->bitmap.buffer + std::ptrdiff_t(y) * slot->bitmap.pitch;
            for (int x = 0; x < b.width; ++x) {
                unsigned char value = slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                          ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0)
                                          : row[x];
                b.coverage[std::size_t(y) * b.width + x] = value;
            }
        }
    }
    if (!glyphs[int('?')].present) {
        error = "the font has no question mark";
        return false;
    }

    // Shelves of glyphs, one pixel apart so that neighbours never bleed into each other.
    for (atlasWidth = 128;; atlasWidth *= 2) {
        int x = 1, y = 1, shelf = 0;
        bool fits = true;
        for (int c = 0; c < 256 && fits; ++c) {
            Glyph& g = glyphs[c];
            if (!g.present) continue;
            if (g.width + 2 > atlasWidth) fits = false;
            if (x + g.width + 1 > atlasWidth) {
                x = 1;
                y += shelf + 1;
                shelf = 0;
            }
            g.x = x;
            g.y = y;
            x += g.width + 1;
            shelf = std::max(shelf, g.height);
        }
        int needed = y + shelf + 1;
        if (fits && needed <= atlasWidth) {
            atlasHeight = 1;
            while (atlasHeight < needed) atlasHeight *= 2;
            break;
        }
        if (atlasWidth >= 4096) {
            error = "the glyphs do not fit one texture";
            return false;
        }
    }
    this->pixels.assign(std::size_t(atlasWidth) * atlasHeight, 0x00ffffffu);
    for (int c = 0; c < 256; ++c) {
        const Glyph& g = glyphs[c];
        if (!g.present) continue;
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                this->pixels[std::size_t(g.y + y) * atlasWidth + g.x + x] =
                    std::uint32_t(bitmaps[c].coverage[std::size_t(y) * g.width + x]) << 24 | 0x00ffffffu;
    }
    return true;
}

const Glyph* GlyphAtlas::glyphFor(unsigned char c) const {
    if (c < 32 || (c >= 127 && c < 160)) return nullptr;
    return glyphs[c].present ? &glyphs[c] : &glyphs[int('?')];
}

int GlyphAtlas::measure(const char* text, std::size_t count) const {
    int width = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (const Glyph* g = glyphFor(static_cast<unsigned char>(text[i]))) width += g->advance;
    return width;
}

}  // namespace d3dx
