#include "visuals/VisualOverlay.h"

Object* VisualOverlay::castTo(ObjectType type) {
    return answerFor(type, TypeVisual, TypeVisualOverlay);
}
