#include "database/FloatObject.h"

Object* FloatObject::castTo(ObjectType type) {
    return answerFor(type, TypeFloat, TypeFloat);
}
