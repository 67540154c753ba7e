// TextureArt: 128 x 128 grey television-like noise, regenerated on every select, in which the
// hidden picture of the resource "Art.raw" (a byte mask, non-zero = picture) shows as the region
// whose noise stays still. A vignette darkens it to 0 at the edges.
#pragma once

#include "resources/LoadResource.h"
#include "platform/d3d9/d3d9.h"
#include "textures/Texture.h"

#include <cstdint>

class TextureArt : public Texture {
public:
    using Texture::Texture;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    bool select(int stage, float time, float delta) override;
    void getSize(int& width, int& height) override;  // 128 x 128

    static constexpr int side = 128;
    static constexpr int pixelCount = side * side;

    // The picture byte of column x, row y for a grey level: 1 in the centre, 0 at the edges.
    static uint8_t vignette(int x, int y, int level);
    IDirect3DTexture9* getTexture() const { return texture.get(); }

private:
    uint8_t noise[pixelCount] = {};     // grey levels; picture pixels keep their load-time value
    ResourceData art;                   // the mask, read in place
    ComRef<IDirect3DTexture9> texture;  // owned, dynamic L8, rewritten on every select
};
