#include "paths/Matrix4.h"

Matrix4 identityMatrix() {
    return scaleMatrix(1.0f);
}

Matrix4 scaleMatrix(float s) {
    Matrix4 r;
    r.m[0][0] = s;
    r.m[1][1] = s;
    r.m[2][2] = s;
    r.m[3][3] = 1.0f;
    return r;
}

Matrix4 multiplyMatrix(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

void multiplyMatrixInPlace(Matrix4& a, const Matrix4& b) {
    Matrix4 r = multiplyMatrix(a, b);
    a = r;
}

void scaleMatrixInPlace(Matrix4& a, float s) {
    for (int i = 0; i < 4; ++i) {
        a.m[i][0] *= s;
        a.m[i][1] *= s;
        a.m[i][2] *= s;
    }
}

Matrix4 quaternionToMatrix(const Quaternion& q) {
    Matrix4 r;
    r.m[0][0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    r.m[0][1] = 2.0f * (q.x * q.y - q.w * q.z);
    r.m[0][2] = 2.0f * (q.x * q.z + q.w * q.y);
    r.m[1][0] = 2.0f * (q.x * q.y + q.w * q.z);
    r.m[1][1] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
    r.m[1][2] = 2.0f * (q.y * q.z - q.w * q.x);
    r.m[2][0] = 2.0f * (q.x * q.z - q.w * q.y);
    r.m[2][1] = 2.0f * (q.y * q.z + q.w * q.x);
    r.m[2][2] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    r.m[3][3] = 1.0f;
    return r;
}

void applyPose(Matrix4& m, const PathState& pose) {
    Matrix4 translation = identityMatrix();
    translation.m[3][0] = pose.position.x;
    translation.m[3][1] = pose.position.y;
    translation.m[3][2] = pose.position.z;
    multiplyMatrixInPlace(m, quaternionToMatrix(pose.orientation));
    multiplyMatrixInPlace(m, translation);
}

Matrix4 poseToView(const PathState& pose) {
    Matrix4 rotation = quaternionToMatrix(pose.orientation);
    const Vector3& p = pose.position;
    Matrix4 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r.m[i][j] = rotation.m[j][i];
        r.m[3][i] = -(p.x * rotation.m[i][0] + p.y * rotation.m[i][1] + p.z * rotation.m[i][2]);
    }
    r.m[3][3] = 1.0f;
    return r;
}
