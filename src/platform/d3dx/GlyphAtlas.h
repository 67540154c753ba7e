// The glyphs of one font at one size, rendered with FreeType into a single coverage picture:
// the characters 32 to 126 and 160 to 255 (Latin-1), each with its hinted advance and its place
// in the picture. Built once; measuring and laying out text afterwards needs no FreeType and
// allocates nothing. A character outside the set is drawn as '?'; control characters are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d3dx {

struct Glyph {
    bool present = false;
    int advance = 0;              // pixels to the next pen position
    int left = 0, top = 0;        // bitmap offset from the pen on the baseline (top: upwards)
    int width = 0, height = 0;    // bitmap size in pixels
    int x = 0, y = 0;             // bitmap position in the atlas picture
};

class GlyphAtlas {
public:
    // height < 0: character (em) height in pixels; > 0: cell height (ascent + descent); 0: 12.
    [[nodiscard]] bool build(const unsigned char* fontData, std::size_t size, int height, unsigned weight,
                             bool italic, bool antialiased, std::string& error);

    int measure(const char* text, std::size_t count) const;  // pen advance of the whole text in pixels
    const Glyph* glyphFor(unsigned char c) const;             // none for control characters

    int ascent = 0;       // pixels above the baseline
    int descent = 0;      // pixels below the baseline
    int lineHeight = 0;   // ascent + descent
    int atlasWidth = 0;   // pixels
    int atlasHeight = 0;
    std::vector<std::uint32_t> pixels;  // atlasWidth * atlasHeight values: white, alpha = coverage

private:
    Glyph glyphs[256];
};

}  // namespace d3dx
