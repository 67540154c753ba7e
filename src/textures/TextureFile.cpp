#include "textures/TextureFile.h"

Object* TextureFile::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureFile);
}

bool TextureFile::select(int, float, float) {
    return false;
}
