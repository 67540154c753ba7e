// DialogFont: the dialogs' font, the linked DejaVu Sans through FreeType at a point size and
// 96 dpi, with the dialog base units Windows derives from a font (average character width of the
// alphabet, character height). Text is drawn into an SDL renderer through cached textures.
#pragma once

#include <map>
#include <string>
#include <utility>

struct SDL_Renderer;
struct SDL_Texture;

class DialogFont {
public:
    DialogFont() = default;
    ~DialogFont();
    DialogFont(const DialogFont&) = delete;
    DialogFont& operator=(const DialogFont&) = delete;

    bool open(int pointSize);  // false when the font resource or FreeType fails

    int baseUnitX() const { return unitX; }  // pixels per four horizontal dialog units
    int baseUnitY() const { return unitY; }  // pixels per eight vertical dialog units
    int height() const { return lineHeight; }
    int ascent() const { return ascender; }
    int textWidth(const std::string& text) const;
    int prefixWidth(const std::string& text, std::size_t count) const;  // the first count bytes

    // Draws text with its top-left corner at x, y in an ARGB colour.
    void draw(SDL_Renderer* renderer, const std::string& text, int x, int y, unsigned argb);

private:
    int advanceOf(unsigned char c) const;

    void* library = nullptr;  // FT_Library, owned
    void* face = nullptr;     // FT_Face, owned
    int unitX = 0;
    int unitY = 0;
    int lineHeight = 0;
    int ascender = 0;
    int advances[256] = {};  // pixels per byte value (Latin-1)
    std::map<std::pair<std::string, unsigned>, SDL_Texture*> cache;  // owned textures
    SDL_Renderer* cacheRenderer = nullptr;  // the renderer the cached textures belong to
};
