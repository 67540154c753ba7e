#include "models/ModelQuad.h"

Object* ModelQuad::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelQuad);
}
