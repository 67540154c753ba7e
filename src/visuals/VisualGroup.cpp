#include "visuals/VisualGroup.h"

Object* VisualGroup::castTo(ObjectType type) {
    return answerFor(type, TypeVisual, TypeVisualGroup);
}
