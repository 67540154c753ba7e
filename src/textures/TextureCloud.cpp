#include "textures/TextureCloud.h"

Object* TextureCloud::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureCloud);
}

bool TextureCloud::select(int, float, float) {
    return false;
}
