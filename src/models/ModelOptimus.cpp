#include "models/ModelOptimus.h"

Object* ModelOptimus::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelOptimus);
}
