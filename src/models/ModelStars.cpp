#include "models/ModelStars.h"

Object* ModelStars::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelStars);
}
