#include "paths/Matrix4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(actual(i, j), expected(i, j), tolerance) << "at [" << i << "][" << j << "]";
        }
    }
}

// A row vector (x, y, z, 1) times m.
Vector3 transformPoint(const Vector3& p, const Matrix4& m) {
    return {p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
            p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
            p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2)};
}

PathState randomPose(std::mt19937& random) {
    std::uniform_real_distribution<float> coordinate(-5000.0f, 5000.0f);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    Vector3 axis{unit(random), unit(random), unit(random) + 1.5f};
    return {{coordinate(random), coordinate(random), coordinate(random)},
            quaternionFromAxisAngle(axis, 3.0f * unit(random))};
}

}  // namespace

TEST(Matrix4Test, QuaternionToMatrixOfKnownRotations) {
    expectMatrixNear(quaternionToMatrix(Quaternion{}), identityMatrix(), 0.0f);

    const float c = std::cos(0.7853982f), s = std::sin(0.7853982f);
    Matrix4 quarterY = quaternionToMatrix({c, 0, s, 0});
    Matrix4 expected = identityMatrix();
    expected.m[0][0] = 0; expected.m[0][2] = 1;
    expected.m[2][0] = -1; expected.m[2][2] = 0;
    expectMatrixNear(quarterY, expected, 1e-6f);
}

TEST(Matrix4Test, ProductAppliesTheLeftMatrixFirst) {
    Matrix4 move = identityMatrix();
    move.m[3][0] = 10.0f;
    Matrix4 scale = scaleMatrix(2.0f);
    // Scale then move: (1,0,0) -> (2,0,0) -> (12,0,0); the other order gives 22.
    EXPECT_FLOAT_EQ(transformPoint({1, 0, 0}, multiplyMatrix(scale, move)).x, 12.0f);
    EXPECT_FLOAT_EQ(transformPoint({1, 0, 0}, multiplyMatrix(move, scale)).x, 22.0f);

    Matrix4 inPlace = scale;
    multiplyMatrixInPlace(inPlace, move);
    expectMatrixNear(inPlace, multiplyMatrix(scale, move), 0.0f);
    // The in-place product reads a while writing it: squaring a rotation must still be right.
    Matrix4 rotation = quaternionToMatrix(quaternionFromAxisAngle({0, 0, 1}, 0.5f));
    Matrix4 squared = rotation;
    multiplyMatrixInPlace(squared, squared);
    expectMatrixNear(squared, quaternionToMatrix(quaternionFromAxisAngle({0, 0, 1}, 1.0f)), 1e-6f);
}

TEST(Matrix4Test, ScaleInPlaceIsAProductWithTheScaleMatrix) {
    std::mt19937 random(7);
    Matrix4 m = identityMatrix();
    applyPose(m, randomPose(random));
    Matrix4 scaled = m;
    scaleMatrixInPlace(scaled, 3.5f);
    expectMatrixNear(scaled, multiplyMatrix(m, scaleMatrix(3.5f)), 1e-3f);
    EXPECT_FLOAT_EQ(scaled(3, 3), 1.0f);
}

TEST(Matrix4Test, ApplyPoseRotatesThenMoves) {
    const float c = std::cos(0.7853982f), s = std::sin(0.7853982f);
    PathState pose{{100, 200, 300}, {c, 0, s, 0}};
    Matrix4 world = identityMatrix();
    applyPose(world, pose);
    // The local origin lands on the position; local x turns into row 0 of the rotation, (0,0,1).
    Vector3 origin = transformPoint({0, 0, 0}, world);
    EXPECT_FLOAT_EQ(origin.x, 100.0f);
    EXPECT_FLOAT_EQ(origin.y, 200.0f);
    EXPECT_FLOAT_EQ(origin.z, 300.0f);
    Vector3 localX = transformPoint({1, 0, 0}, world);
    EXPECT_NEAR(localX.x, 100.0f, 1e-4f);
    EXPECT_NEAR(localX.z, 301.0f, 1e-4f);

    // Starting from S(scale) gives the model's world matrix S x R x T.
    Matrix4 scaledWorld = scaleMatrix(2.0f);
    applyPose(scaledWorld, pose);
    EXPECT_NEAR(transformPoint({1, 0, 0}, scaledWorld).z, 302.0f, 1e-4f);
}

TEST(Matrix4Test, PoseToViewInvertsApplyPose) {
    std::mt19937 random(1234);
    for (int i = 0; i < 200; ++i) {
        PathState pose = randomPose(random);
        Matrix4 world = identityMatrix();
        applyPose(world, pose);
        Matrix4 view = poseToView(pose);
        expectMatrixNear(multiplyMatrix(world, view), identityMatrix(), 2e-3f);
        // The camera's own position is the view's origin.
        Vector3 eye = transformPoint(pose.position, view);
        EXPECT_NEAR(eye.x, 0.0f, 2e-3f);
        EXPECT_NEAR(eye.y, 0.0f, 2e-3f);
        EXPECT_NEAR(eye.z, 0.0f, 2e-3f);
    }
}

TEST(Matrix4Test, IsADeviceMatrix) {
    // Handed to the device as a D3DMATRIX, element for element.
    Matrix4 m = identityMatrix();
    m.m[3][1] = 42.0f;
    const D3DMATRIX* device = &m;
    EXPECT_EQ(device->m[3][1], 42.0f);
    EXPECT_EQ(reinterpret_cast<const float*>(device)[13], 42.0f);
    D3DMATRIX other{};
    other.m[2][2] = 5.0f;
    Matrix4 copy(other);
    EXPECT_EQ(copy(2, 2), 5.0f);
}
