#include "models/ModelX.h"

Object* ModelX::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelX);
}
