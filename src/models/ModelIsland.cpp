#include "models/ModelIsland.h"

Object* ModelIsland::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelIsland);
}
