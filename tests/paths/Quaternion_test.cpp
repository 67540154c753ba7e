#include "paths/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectNear(const Quaternion& actual, const Quaternion& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.w, expected.w, tolerance);
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

const float kHalfSqrt2 = std::sqrt(0.5f);

}  // namespace

TEST(QuaternionTest, HamiltonProductFollowsTheUnitRules) {
    Quaternion i{0, 1, 0, 0}, j{0, 0, 1, 0}, k{0, 0, 0, 1};
    expectNear(multiplyQuaternion(i, j), k, 0.0f);
    expectNear(multiplyQuaternion(j, i), scaleQuaternion(k, -1.0f), 0.0f);
    expectNear(multiplyQuaternion(j, k), i, 0.0f);
    expectNear(multiplyQuaternion(k, i), j, 0.0f);
    expectNear(multiplyQuaternion(i, i), Quaternion{-1, 0, 0, 0}, 0.0f);

    // A general product against the expanded formula, and the in-place form agreeing with it.
    Quaternion a{0.5f, -0.25f, 0.75f, 2.0f}, b{-1.5f, 0.5f, 0.125f, -0.5f};
    Quaternion expected{a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
                        a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                        a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
    expectNear(multiplyQuaternion(a, b), expected, 0.0f);
    Quaternion inPlace = a;
    multiplyQuaternionInPlace(inPlace, b);
    expectNear(inPlace, expected, 0.0f);
}

TEST(QuaternionTest, FromAxisAngleNormalisesTheAxis) {
    expectNear(quaternionFromAxisAngle({0, 5, 0}, 1.5707964f), Quaternion{kHalfSqrt2, 0, kHalfSqrt2, 0});
    // Rotations compose: two quarter turns about z make a half turn.
    Quaternion quarter = quaternionFromAxisAngle({0, 0, 0.1f}, 1.5707964f);
    expectNear(multiplyQuaternion(quarter, quarter), Quaternion{0, 0, 0, 1});
    Quaternion q = quaternionFromAxisAngle({1, 2, 3}, 0.7f);
    EXPECT_NEAR(dotQuaternion(q, q), 1.0f, 1e-6f);
}

TEST(QuaternionTest, SlerpFollowsTheGreatCircleAndExtrapolates) {
    Quaternion identity;
    Quaternion quarterY{kHalfSqrt2, 0, kHalfSqrt2, 0};
    Quaternion eighthY{std::cos(0.3926991f), 0, std::sin(0.3926991f), 0};
    expectNear(slerpQuaternion(identity, quarterY, 0.5f), eighthY);
    expectNear(slerpQuaternion(identity, quarterY, 0.0f), identity, 0.0f);
    // Unclamped: u = 2 goes on to a half turn, u = -1 the same distance backwards.
    expectNear(slerpQuaternion(identity, quarterY, 2.0f), Quaternion{0, 0, 1, 0});
    expectNear(slerpQuaternion(identity, quarterY, -1.0f), Quaternion{kHalfSqrt2, 0, -kHalfSqrt2, 0});
    // No shortest-arc flip: towards -q is the long way round, through the half turn.
    Quaternion halfway = slerpQuaternion(identity, scaleQuaternion(quarterY, -1.0f), 0.5f);
    EXPECT_NEAR(std::fabs(halfway.y), std::sin(0.5f * (3.1415927f - 0.7853982f)) / std::sin(2.3561945f) * kHalfSqrt2, 1e-5f);
    EXPECT_LT(halfway.y, 0.0f);
}

TEST(QuaternionTest, SlerpOfEqualQuaternionsTakesTheLinearBranch) {
    // Self dot products of exactly 1: arccos gives 0 and the straight line returns q for any u.
    for (Quaternion q : {Quaternion{}, Quaternion{0, 0, -1, 0}, Quaternion{0.5f, -0.5f, 0.5f, 0.5f}}) {
        for (float u : {-3.0f, 0.0f, 0.3f, 1.0f, 7.5f}) {
            Quaternion r = slerpQuaternion(q, q, u);
            EXPECT_FLOAT_EQ(r.w, q.w);
            EXPECT_FLOAT_EQ(r.x, q.x);
            EXPECT_FLOAT_EQ(r.y, q.y);
            EXPECT_FLOAT_EQ(r.z, q.z);
        }
    }
    // A dot product rounded past 1 must not turn into NaN through arccos.
    Quaternion a{1.0000001f, 0, 0, 0};
    Quaternion r = slerpQuaternion(a, a, 0.5f);
    EXPECT_FLOAT_EQ(r.w, a.w);
    // A unit quaternion whose self dot rounds just below 1 takes the sine branch, which still
    // gives q back to within rounding.
    Quaternion q = quaternionFromAxisAngle({1, -2, 0.5f}, 2.1f);
    expectNear(slerpQuaternion(q, q, 7.5f), q, 1e-5f);
}
