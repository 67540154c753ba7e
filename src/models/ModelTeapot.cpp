#include "models/ModelTeapot.h"

Object* ModelTeapot::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelTeapot);
}
