#include "models/ModelSwish.h"

Object* ModelSwish::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelSwish);
}
