#include "models/ModelHat.h"

Object* ModelHat::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelHat);
}
