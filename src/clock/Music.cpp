#include "clock/Music.h"

Object* Music::castTo(ObjectType type) {
    return answerFor(type, TypeMusic, TypeMusic);
}
