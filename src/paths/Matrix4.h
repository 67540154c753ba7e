// Matrix4: a 4x4 single-precision matrix with Direct3D 9's layout and conventions: m[row][column],
// points are row vectors multiplied on the left, the translation sits in row 3, and A x B applies
// A first. It is a D3DMATRIX, so a Matrix4 is handed to the device's SetTransform as it is.
#pragma once

#include "paths/PathState.h"
#include "paths/Quaternion.h"
#include "platform/d3d9/d3d9types.h"

struct Matrix4 : D3DMATRIX {
    Matrix4() : D3DMATRIX{} {}                          // all zero
    Matrix4(const D3DMATRIX& other) : D3DMATRIX(other) {}  // e.g. a D3DXMATRIX from the helpers
    float& operator()(int row, int column) { return m[row][column]; }
    float operator()(int row, int column) const { return m[row][column]; }
};

static_assert(sizeof(Matrix4) == sizeof(D3DMATRIX), "Matrix4 must stay layout-compatible");

Matrix4 identityMatrix();
Matrix4 scaleMatrix(float s);  // diagonal (s, s, s, 1)

// The ordinary product; the in-place form sets a to a x b through a temporary.
Matrix4 multiplyMatrix(const Matrix4& a, const Matrix4& b);
void multiplyMatrixInPlace(Matrix4& a, const Matrix4& b);

// a <- a x scaleMatrix(s): columns 0 to 2 of every row times s.
void scaleMatrixInPlace(Matrix4& a, float s);

// Row i is the image of local axis i. World, view and the editor's gizmos all use this one
// matrix, so its sign convention (the conjugate rotation as column vectors would read it) is
// the system's and must not be "fixed".
Matrix4 quaternionToMatrix(const Quaternion& q);

// m <- m x R(q) x T(p): with row vectors the pose's rotation comes first, then its position.
void applyPose(Matrix4& m, const PathState& pose);

// The inverse of R(q) x T(p): the view matrix of a camera standing at the pose.
Matrix4 poseToView(const PathState& pose);
