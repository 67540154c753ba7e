#include "models/ModelGroup.h"

Object* ModelGroup::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelGroup);
}
