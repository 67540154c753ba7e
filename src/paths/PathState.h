// PathState: the pose a path yields for a moment of demo time, the first seven floats of a
// SplineKey in the same order (position x, y, z; orientation w, x, y, z).
#pragma once

#include "paths/Quaternion.h"
#include "paths/Vector3.h"

struct PathState {
    Vector3 position;        // model units
    Quaternion orientation;  // unit quaternion, w first
};

static_assert(sizeof(PathState) == 7 * sizeof(float), "a pose is seven packed floats");
