#include "visuals/VisualScene.h"

Object* VisualScene::castTo(ObjectType type) {
    return answerFor(type, TypeVisual, TypeVisualScene);
}
