#include "paths/Quaternion.h"

#include <cmath>

Quaternion addQuaternion(const Quaternion& a, const Quaternion& b) {
    return {a.w + b.w, a.x + b.x, a.y + b.y, a.z + b.z};
}

Quaternion scaleQuaternion(const Quaternion& a, float s) {
    return {a.w * s, a.x * s, a.y * s, a.z * s};
}

float dotQuaternion(const Quaternion& a, const Quaternion& b) {
    return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
}

Quaternion multiplyQuaternion(const Quaternion& a, const Quaternion& b) {
    Quaternion r;
    r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
    r.y = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x;
    r.z = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w;
    return r;
}

void multiplyQuaternionInPlace(Quaternion& a, const Quaternion& b) {
    a = multiplyQuaternion(a, b);
}

Quaternion quaternionFromAxisAngle(const Vector3& axis, float angle) {
    float half = angle / 2.0f;
    float length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    float s = std::sin(half) / length;
    return {std::cos(half), axis.x * s, axis.y * s, axis.z * s};
}

Quaternion slerpQuaternion(const Quaternion& a, const Quaternion& b, float u) {
    // acos of a dot product that rounding pushed past 1 is NaN, and NaN fails the test below:
    // such nearly equal quaternions take the straight line, as equal ones do.
    float angle = std::acos(dotQuaternion(a, b));
    if (angle > 0.00001f) {
        float sinAngle = std::sin(angle);
        float wa = std::sin((1.0f - u) * angle) / sinAngle;
        float wb = std::sin(u * angle) / sinAngle;
        return addQuaternion(scaleQuaternion(a, wa), scaleQuaternion(b, wb));
    }
    return addQuaternion(scaleQuaternion(a, 1.0f - u), scaleQuaternion(b, u));
}
