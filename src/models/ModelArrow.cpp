#include "models/ModelArrow.h"

Object* ModelArrow::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelArrow);
}
