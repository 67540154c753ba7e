// Vector3: a position or direction in model units, three single-precision floats. The operations
// return new values; the spline keys and poses hold this type directly.
#pragma once

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

Vector3 addVector(const Vector3& a, const Vector3& b);       // a + b
Vector3 subtractVector(const Vector3& a, const Vector3& b);  // a - b
Vector3 scaleVector(const Vector3& a, float s);              // s * a
