// TextureFile: a picture decoded from a JPEG or PNG resource of the executable, with a full mip
// chain. "hard" (present, whatever its value) samples with point filtering.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "textures/Texture.h"

class TextureFile : public Texture {
public:
    using Texture::Texture;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    bool select(int stage, float time, float delta) override;
    void getSize(int& width, int& height) override;  // mip level 0

private:
    bool hard = false;                   // point filtering: hard texel edges
    ComRef<IDirect3DTexture9> texture;   // owned
};
