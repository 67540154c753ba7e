#include "textures/TextureTarget.h"

Object* TextureTarget::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureTarget);
}

bool TextureTarget::select(int, float, float) {
    return false;
}
