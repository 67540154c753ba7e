#include "models/ModelBoing.h"

Object* ModelBoing::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelBoing);
}
