#include "paths/PathSpline.h"

Object* PathSpline::castTo(ObjectType type) {
    return answerFor(type, TypePath, TypePathSpline);
}

float PathSpline::startTime() { return 0.0f; }
float PathSpline::endTime() { return 0.0f; }
float PathSpline::getScale() { return 1.0f; }
bool PathSpline::evaluate(PathState&, float) { return false; }
