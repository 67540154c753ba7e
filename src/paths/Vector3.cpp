#include "paths/Vector3.h"

Vector3 addVector(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vector3 subtractVector(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector3 scaleVector(const Vector3& a, float s) {
    return {s * a.x, s * a.y, s * a.z};
}
