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
