// PathSpline: (keyword in the type table).
#pragma once

#include "paths/Path.h"

class PathSpline : public Path {
public:
    using Path::Path;
    Object* castTo(ObjectType type) override;
    float startTime() override;
    float endTime() override;
    float getScale() override;
    bool evaluate(PathState& state, float time) override;
};
