#include "models/ModelSky.h"

Object* ModelSky::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelSky);
}
