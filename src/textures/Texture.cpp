#include "textures/Texture.h"

#include "textures/TexturePreview.h"

Texture::~Texture() = default;

Widget* Texture::getEditor() {
    if (editor) return editor.get();
    auto preview = std::make_unique<TexturePreview>(this);
    if (!preview->init()) return nullptr;  // a later call tries again
    editor = std::move(preview);
    return editor.get();
}

void Texture::levelSize(IDirect3DTexture9* texture, int& width, int& height) {
    D3DSURFACE_DESC desc{};
    if (texture && SUCCEEDED(texture->GetLevelDesc(0, &desc))) {
        width = static_cast<int>(desc.Width);
        height = static_cast<int>(desc.Height);
    } else {
        width = 0;
        height = 0;
    }
}
