// Path: the abstract family of animation paths. evaluate fills a PathState (position and
// orientation) for a time and answers false outside the path's time range.
#pragma once

#include "database/Object.h"

struct PathState;

class Path : public Object {
public:
    using Object::Object;

    virtual float startTime() = 0;
    virtual float endTime() = 0;
    virtual float getScale() = 0;
    virtual bool evaluate(PathState& state, float time) = 0;
};
