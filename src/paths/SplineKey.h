// SplineKey: one key of a spline path, eleven packed floats: the pose (as in PathState), its
// moment of demo time and the tension, continuity and bias controls. A default key is the fresh
// key: at the origin, unrotated, at time 0, with all three controls 0.
#pragma once

#include "paths/Quaternion.h"
#include "paths/Vector3.h"

struct SplineKey {
    Vector3 position;        // model units
    Quaternion orientation;  // unit quaternion, w first
    float time = 0.0f;       // seconds of demo time; a blended key holds its blend factor here
    float tension = 0.0f;    // normally in [-1, 1]
    float continuity = 0.0f; // normally in [-1, 1]
    float bias = 0.0f;       // normally in [-1, 1]
};

static_assert(sizeof(SplineKey) == 11 * sizeof(float), "a key is eleven packed floats");
