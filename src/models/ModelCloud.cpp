#include "models/ModelCloud.h"

Object* ModelCloud::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelCloud);
}
