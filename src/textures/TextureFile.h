// TextureFile: (keyword in the type table).
#pragma once

#include "textures/Texture.h"

class TextureFile : public Texture {
public:
    using Texture::Texture;
    Object* castTo(ObjectType type) override;
    bool select(int stage, float time, float delta) override;
};
