#include "textures/Texture.h"

#include "gui/Widget.h"

Texture::~Texture() = default;

Widget* Texture::getEditor() {
    return editor.get();
}
