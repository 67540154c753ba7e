#include "platform/win/DialogFont.h"

#include "platform/win/Resources.h"

#include <SDL.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

namespace {

FT_Library asLibrary(void* p) { return static_cast<FT_Library>(p); }
FT_Face asFace(void* p) { return static_cast<FT_Face>(p); }

}  // namespace

DialogFont::~DialogFont() {
    for (auto& [key, texture] : cache) SDL_DestroyTexture(texture);
    if (face) FT_Done_Face(asFace(face));
    if (library) FT_Done_FreeType(asLibrary(library));
}

bool DialogFont::open(int pointSize) {
    win::ResourceBytes bytes = win::findResource("DejaVuSans.ttf");
    if (!bytes) return false;
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return false;
    library = lib;
    FT_Face f = nullptr;
    if (FT_New_Memory_Face(lib, bytes.data, static_cast<FT_Long>(bytes.size), 0, &f) != 0) return false;
    face = f;
    if (FT_Set_Char_Size(f, 0, pointSize * 64, 96, 96) != 0) return false;

    for (int c = 32; c < 256; ++c) {
        if (FT_Load_Char(f, static_cast<FT_ULong>(c), FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) == 0)
            advances[c] = static_cast<int>((f->glyph->advance.x + 32) >> 6);
    }
    ascender = static_cast<int>((f->size->metrics.ascender + 63) >> 6);
    int descender = static_cast<int>((-f->size->metrics.descender + 63) >> 6);
    lineHeight = ascender + descender;

    // As Windows measures a dialog font: the alphabet's average width, rounded, and the height.
    int alphabet = 0;
    for (char c = 'A'; c <= 'Z'; ++c) alphabet += advances[static_cast<unsigned char>(c)];
    for (char c = 'a'; c <= 'z'; ++c) alphabet += advances[static_cast<unsigned char>(c)];
    unitX = (alphabet / 26 + 1) / 2;
    unitY = lineHeight;
    return unitX > 0 && unitY > 0;
}

int DialogFont::advanceOf(unsigned char c) const {
    return advances[c];
}

int DialogFont::textWidth(const std::string& text) const {
    return prefixWidth(text, text.size());
}

int DialogFont::prefixWidth(const std::string& text, std::size_t count) const {
    int width = 0;
    for (std::size_t i = 0; i < count && i < text.size(); ++i) width += advanceOf(static_cast<unsigned char>(text[i]));
    return width;
}

void DialogFont::draw(SDL_Renderer* renderer, const std::string& text, int x, int y, unsigned argb) {
    if (text.empty() || face == nullptr) return;
    if (renderer != cacheRenderer) {
        for (auto& [key, texture] : cache) SDL_DestroyTexture(texture);
        cache.clear();
        cacheRenderer = renderer;
    }
    auto key = std::make_pair(text, argb);
    auto found = cache.find(key);
    SDL_Texture* texture = nullptr;
    if (found != cache.end()) {
        texture = found->second;
    } else {
        int width = textWidth(text) + 2;
        int height = lineHeight;
        std::vector<Uint32> pixels(static_cast<std::size_t>(width) * height, 0);
        FT_Face f = asFace(face);
        int penX = 0;
        for (unsigned char c : text) {
            if (FT_Load_Char(f, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
                const FT_Bitmap& bitmap = f->glyph->bitmap;
                int left = penX + f->glyph->bitmap_left;
                int top = ascender - f->glyph->bitmap_top;
                for (unsigned row = 0; row < bitmap.rows; ++row) {
                    for (unsigned column = 0; column < bitmap.width; ++column) {
                        int px = left + static_cast<int>(column);
                        int py = top + static_cast<int>(row);
                        if (px < 0 || py < 0 || px >= width || py >= height) continue;
                        unsigned coverage = bitmap.buffer[row * bitmap.pitch + column];
                        Uint32& pixel = pixels[static_cast<std::size_t>(py) * width + px];
                        unsigned alpha = ((argb >> 24) * coverage) / 255;
                        if (alpha > (pixel >> 24)) pixel = (alpha << 24) | (argb & 0xffffff);
                    }
                }
            }
            penX += advanceOf(c);
        }
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, width, height);
        if (texture == nullptr) return;
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_UpdateTexture(texture, nullptr, pixels.data(), width * 4);
        cache.emplace(key, texture);
    }
    int width = 0;
    int height = 0;
    SDL_QueryTexture(texture, nullptr, nullptr, &width, &height);
    SDL_Rect target{x, y, width, height};
    SDL_RenderCopy(renderer, texture, nullptr, &target);
}
