#include "models/ModelSea.h"

Object* ModelSea::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelSea);
}
