#include "models/ModelAirship.h"

Object* ModelAirship::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelAirship);
}
