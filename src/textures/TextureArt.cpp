#include "textures/TextureArt.h"

Object* TextureArt::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureArt);
}

bool TextureArt::select(int, float, float) {
    return false;
}
