#include "platform/d3dx/GlyphAtlas.h"

#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

using d3dx::Glyph;
using d3dx::GlyphAtlas;

namespace {

const std::vector<unsigned char>& fontFile() {
    static const std::vector<unsigned char> bytes = [] {
        std::ifstream in(testing_paths::sourceDir() + "/resources/DejaVuSans.ttf", std::ios::binary);
        return std::vector<unsigned char>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }();
    return bytes;
}

GlyphAtlas labelFont(unsigned weight = 400, bool antialiased = true) {
    GlyphAtlas atlas;
    std::string error;
    EXPECT_TRUE(atlas.build(fontFile().data(), fontFile().size(), -11, weight, false, antialiased, error)) << error;
    return atlas;
}

const char listText[] = "Some Long Object Name";

}  // namespace

TEST(GlyphAtlas, MeasuresTheListTextStablyAsTheSumOfAdvances) {
    GlyphAtlas atlas = labelFont();
    int width = atlas.measure(listText, std::strlen(listText));
    int sum = 0;
    for (const char* c = listText; *c; ++c) sum += atlas.glyphFor(static_cast<unsigned char>(*c))->advance;
    EXPECT_EQ(width, sum);
    // Eleven-pixel DejaVu Sans: about 6.3 pixels per character on average.
    EXPECT_GT(width, 110);
    EXPECT_LT(width, 150);
    GlyphAtlas again = labelFont();
    EXPECT_EQ(again.measure(listText, std::strlen(listText)), width);
    EXPECT_EQ(again.lineHeight, atlas.lineHeight);
    // One line of 11-pixel characters with room above and below.
    EXPECT_GE(atlas.lineHeight, 12);
    EXPECT_LE(atlas.lineHeight, 15);
    EXPECT_EQ(atlas.lineHeight, atlas.ascent + atlas.descent);
}

TEST(GlyphAtlas, GlyphsSitInsideTheAtlasWithTheirCoverage) {
    GlyphAtlas atlas = labelFont();
    ASSERT_EQ(atlas.pixels.size(), std::size_t(atlas.atlasWidth) * atlas.atlasHeight);
    const Glyph* m = atlas.glyphFor('M');
    ASSERT_NE(m, nullptr);
    EXPECT_GT(m->width, 5);
    EXPECT_LE(m->top, atlas.ascent);
    EXPECT_LE(m->x + m->width, atlas.atlasWidth);
    EXPECT_LE(m->y + m->height, atlas.atlasHeight);
    // An 'M' is solid somewhere and every texel is white with coverage in alpha.
    std::uint32_t strongest = 0;
    for (int y = 0; y < m->height; ++y)
        for (int x = 0; x < m->width; ++x) {
            std::uint32_t texel = atlas.pixels[std::size_t(m->y + y) * atlas.atlasWidth + m->x + x];
            EXPECT_EQ(texel & 0xffffffu, 0xffffffu);
            strongest = std::max(strongest, texel >> 24);
        }
    EXPECT_EQ(strongest, 255u);
    const Glyph* space = atlas.glyphFor(' ');
    ASSERT_NE(space, nullptr);
    EXPECT_GT(space->advance, 0);
    EXPECT_EQ(space->width * space->height, 0);
}

TEST(GlyphAtlas, ControlCharactersAreSkippedAndUnknownOnesDrawAQuestionMark) {
    GlyphAtlas atlas = labelFont();
    EXPECT_EQ(atlas.glyphFor('\n'), nullptr);
    EXPECT_EQ(atlas.glyphFor(0x85), nullptr);
    EXPECT_EQ(atlas.measure("a\tb", 3), atlas.measure("ab", 2));
    EXPECT_NE(atlas.glyphFor(0xe9), nullptr);  // Latin-1 e acute
    EXPECT_EQ(atlas.measure("", 0), 0);
}

TEST(GlyphAtlas, WeightSizeAndQualityChangeTheGlyphs) {
    GlyphAtlas normal = labelFont();
    GlyphAtlas bold = labelFont(700);
    EXPECT_GT(bold.measure(listText, std::strlen(listText)), normal.measure(listText, std::strlen(listText)));
    GlyphAtlas big;
    std::string error;
    ASSERT_TRUE(big.build(fontFile().data(), fontFile().size(), -22, 400, false, true, error)) << error;
    EXPECT_GT(big.measure(listText, std::strlen(listText)), 2 * normal.measure(listText, std::strlen(listText)) - 10);
    GlyphAtlas mono = labelFont(400, false);
    for (std::uint32_t texel : mono.pixels) {
        std::uint32_t alpha = texel >> 24;
        ASSERT_TRUE(alpha == 0 || alpha == 255);
    }
}

TEST(GlyphAtlas, PositiveHeightIsTheCellHeight) {
    GlyphAtlas atlas;
    std::string error;
    ASSERT_TRUE(atlas.build(fontFile().data(), fontFile().size(), 24, 400, false, true, error)) << error;
    EXPECT_NEAR(atlas.lineHeight, 24, 1);
    GlyphAtlas byEm = labelFont();
    EXPECT_LT(byEm.lineHeight, atlas.lineHeight);
    EXPECT_FALSE(atlas.build(fontFile().data(), fontFile().size(), -100000, 400, false, true, error));
    EXPECT_FALSE(atlas.build(fontFile().data(), fontFile().size(), std::numeric_limits<int>::min(), 400, false, true, error));
}

TEST(GlyphAtlas, BrokenFontDataFails) {
    GlyphAtlas atlas;
    std::string error;
    std::vector<unsigned char> half(fontFile().begin(), fontFile().begin() + 64);
    EXPECT_FALSE(atlas.build(half.data(), half.size(), -11, 400, false, true, error));
    EXPECT_FALSE(error.empty());
    const unsigned char junk[] = "not a font at all";
    EXPECT_FALSE(atlas.build(junk, sizeof junk, -11, 400, false, true, error));
}
