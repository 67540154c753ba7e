// Quaternion: a rotation as w, x, y, z, scalar first in memory (spline keys and poses rely on the
// order). q and -q are the same rotation. All arithmetic is single-precision; nothing here
// renormalises, so the results are exactly what stored documents were made with.
#pragma once

#include "paths/Vector3.h"

struct Quaternion {
    float w = 1.0f;  // a default quaternion is the identity rotation
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

Quaternion addQuaternion(const Quaternion& a, const Quaternion& b);  // component-wise
Quaternion scaleQuaternion(const Quaternion& a, float s);           // every component times s
float dotQuaternion(const Quaternion& a, const Quaternion& b);      // four components, w first

// The Hamilton product a (x) b; the in-place form sets a to a (x) b.
Quaternion multiplyQuaternion(const Quaternion& a, const Quaternion& b);
void multiplyQuaternionInPlace(Quaternion& a, const Quaternion& b);

// Angle in radians; the axis need not be unit length (a zero axis gives a non-finite result).
Quaternion quaternionFromAxisAngle(const Vector3& axis, float angle);

// Great-circle interpolation without a shortest-arc flip and without clamping u, so u outside
// [0, 1] extrapolates; below an angle of 0.00001 (or when the dot product leaves [-1, 1]) it
// falls back to the straight line.
Quaternion slerpQuaternion(const Quaternion& a, const Quaternion& b, float u);
