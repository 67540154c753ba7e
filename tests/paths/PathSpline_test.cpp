#include "SplineDocument.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<KeyText> fourKeys() {
    return {{"0 0 0 0 0 0", "0 0 0", "1"},
            {"100 0 0 0 300 0", "20 -30 40", "2"},
            {"100 100 0 0 600 0", "0 0 0", "4"},
            {"0 100 50 0 0 0", "0 0 0", "5"}};
}

PathState pose(float x, float y, float z, Quaternion q) {
    return {{x, y, z}, q};
}

}  // namespace

TEST(PathSplineTest, IsAPathSplineObjectAndNothingElse) {
    PathSpline path(nullptr);
    EXPECT_EQ(path.castTo(TypeObject), &path);
    EXPECT_EQ(path.castTo(TypePath), &path);
    EXPECT_EQ(path.castTo(TypePathSpline), &path);
    EXPECT_EQ(path.castTo(TypeModel), nullptr);
    EXPECT_EQ(path.castTo(TypeVisual), nullptr);
    EXPECT_EQ(path.getEditor(), nullptr);
    EXPECT_EQ(path.getScale(), 1.0f);
}

TEST(PathSplineTest, SelectAndReadKeysAreClamped) {
    LoadedPath p(fourKeys());
    p.path.selectKey(2);
    EXPECT_EQ(p.path.getCurrentKey(), 2);
    p.path.selectKey(17);
    EXPECT_EQ(p.path.getCurrentKey(), 3);
    p.path.selectKey(-4);
    EXPECT_EQ(p.path.getCurrentKey(), 0);
    EXPECT_EQ(p.path.keyAt(-1).time, 1.0f);
    EXPECT_EQ(p.path.keyAt(9).time, 5.0f);
    EXPECT_EQ(p.path.keyAt(1).position.x, 100.0f);
}

TEST(PathSplineTest, KeyTimeStaysBetweenItsNeighbours) {
    LoadedPath p(fourKeys());
    p.path.selectKey(1);
    p.path.setKeyTime(3.5f);
    EXPECT_EQ(p.path.keyAt(1).time, 3.5f);
    p.path.setKeyTime(9.0f);
    EXPECT_EQ(p.path.keyAt(1).time, 4.0f);
    p.path.setKeyTime(0.5f);
    EXPECT_EQ(p.path.keyAt(1).time, 1.0f);
    p.path.setKeyTime(std::nanf(""));
    EXPECT_EQ(p.path.keyAt(1).time, 1.0f);

    p.path.selectKey(0);
    p.path.setKeyTime(-3.0f);  // never before 0
    EXPECT_EQ(p.path.keyAt(0).time, 0.0f);
    p.path.selectKey(3);
    p.path.setKeyTime(60.0f);  // the last key has no upper neighbour
    EXPECT_EQ(p.path.keyAt(3).time, 60.0f);
}

TEST(PathSplineTest, AKeyBetweenEqualNeighboursIsPinned) {
    LoadedPath p(std::vector<KeyText>{{"0 0 0 0 0 0", "0 0 0", "2"}, {"5 0 0 0 0 0", "0 0 0", "2"}, {"9 0 0 0 0 0", "0 0 0", "2"}});
    p.path.selectKey(1);
    for (float t : {0.0f, 1.9f, 2.1f, 50.0f}) {
        p.path.setKeyTime(t);
        EXPECT_EQ(p.path.keyAt(1).time, 2.0f) << t;
    }
}

TEST(PathSplineTest, ControlsAreClampedToPlusMinusOne) {
    LoadedPath p(fourKeys());
    p.path.selectKey(2);
    p.path.setKeyTension(1.5f);
    p.path.setKeyContinuity(-0.25f);
    p.path.setKeyBias(-7.0f);
    SplineKey key = p.path.keyAt(2);
    EXPECT_EQ(key.tension, 1.0f);
    EXPECT_EQ(key.continuity, -0.25f);
    EXPECT_EQ(key.bias, -1.0f);
    EXPECT_EQ(p.path.keyAt(1).tension, 20.0f * 0.01010101f);  // other keys untouched
    p.path.setScale(0.125f);
    EXPECT_EQ(p.path.getScale(), 0.125f);
}

TEST(PathSplineTest, SetKeyPoseAlignsAndFloorsThePosition) {
    LoadedPath p(fourKeys());
    p.path.selectKey(2);
    SplineKey before = p.path.keyAt(2);
    Quaternion turned = scaleQuaternion(before.orientation, -1.0f);  // same rotation, other hemisphere
    p.path.setKeyPose(pose(10.7f, -3.2f, 5.0f, turned));
    SplineKey key = p.path.keyAt(2);
    EXPECT_EQ(key.position.x, 10.0f);
    EXPECT_EQ(key.position.y, -4.0f);
    EXPECT_EQ(key.position.z, 5.0f);
    EXPECT_EQ(key.orientation.w, before.orientation.w);  // flipped back beside its predecessor
    EXPECT_EQ(key.orientation.y, before.orientation.y);
    for (int i = 1; i < p.path.getKeyCount(); ++i) {
        EXPECT_GE(dotQuaternion(p.path.keyAt(i - 1).orientation, p.path.keyAt(i).orientation), 0.0f);
    }
    EXPECT_EQ(key.time, before.time);
    EXPECT_EQ(key.bias, before.bias);
}

TEST(PathSplineTest, InsertedKeyLiesOnTheCurveAsItWas) {
    LoadedPath p(fourKeys());
    p.path.selectKey(1);
    PathState expected;
    ASSERT_TRUE(p.path.evaluate(expected, 3.0f));  // mean of 2 and 4
    SplineKey third = p.path.keyAt(2);
    p.path.insertKey();
    ASSERT_EQ(p.path.getKeyCount(), 5);
    EXPECT_EQ(p.path.getCurrentKey(), 2);
    SplineKey added = p.path.keyAt(2);
    EXPECT_EQ(added.time, 3.0f);
    EXPECT_EQ(added.position.x, expected.position.x);
    EXPECT_EQ(added.position.y, expected.position.y);
    EXPECT_EQ(added.orientation.w, expected.orientation.w);
    EXPECT_EQ(added.orientation.y, expected.orientation.y);
    EXPECT_EQ(added.tension, 0.0f);
    EXPECT_EQ(added.continuity, 0.0f);
    EXPECT_EQ(p.path.keyAt(3).position.y, third.position.y);  // later keys moved up by one
    EXPECT_EQ(p.path.keyAt(1).continuity, -30.0f * 0.01010101f);
    PathState now;
    ASSERT_TRUE(p.path.evaluate(now, 3.0f));
    EXPECT_EQ(now.position.x, expected.position.x);
}

TEST(PathSplineTest, InsertingAfterTheLastKeyMakesAnEndCut) {
    LoadedPath p(fourKeys());
    p.path.selectKey(3);
    p.path.insertKey();
    ASSERT_EQ(p.path.getKeyCount(), 5);
    EXPECT_EQ(p.path.getCurrentKey(), 4);
    EXPECT_EQ(p.path.keyAt(4).time, 5.0f);
    EXPECT_FLOAT_EQ(p.path.keyAt(4).position.z, 50.0f);
    // Both keys now share the end time; evaluating there is sound and gives the later key.
    p.path.setKeyPose(pose(7, 8, 9, Quaternion{}));
    PathState end;
    ASSERT_TRUE(p.path.evaluate(end, 5.0f));
    EXPECT_EQ(end.position.x, 7.0f);
    EXPECT_EQ(end.position.z, 9.0f);
    // And inserting again after it keeps working on the zero-length segment.
    p.path.insertKey();
    EXPECT_EQ(p.path.getKeyCount(), 6);
    EXPECT_EQ(p.path.keyAt(5).position.x, 7.0f);
}

TEST(PathSplineTest, DeleteShiftsKeysDownButKeepsOne) {
    LoadedPath p(fourKeys());
    p.path.selectKey(1);
    p.path.deleteKey();
    ASSERT_EQ(p.path.getKeyCount(), 3);
    EXPECT_EQ(p.path.getCurrentKey(), 0);
    EXPECT_EQ(p.path.keyAt(1).time, 4.0f);
    EXPECT_EQ(p.path.keyAt(2).time, 5.0f);
    p.path.deleteKey();  // current key 0 stays 0
    EXPECT_EQ(p.path.getCurrentKey(), 0);
    EXPECT_EQ(p.path.keyAt(0).time, 4.0f);
    p.path.deleteKey();
    p.path.deleteKey();
    ASSERT_EQ(p.path.getKeyCount(), 1);
    EXPECT_EQ(p.path.keyAt(0).time, 5.0f);

    TiXmlElement element("path.spline");
    ASSERT_TRUE(p.path.save(&element));
    EXPECT_EQ(keyLines(&element).size(), 1u);
}

TEST(PathSplineTest, EditingAPathWithoutKeysIsSafe) {
    LoadedPath p(std::vector<KeyText>{});
    ASSERT_EQ(p.path.getKeyCount(), 0);
    p.path.selectKey(3);
    p.path.setKeyTime(2.0f);
    p.path.setKeyTension(0.5f);
    p.path.setKeyPose(pose(1, 2, 3, Quaternion{}));
    p.path.deleteKey();
    EXPECT_EQ(p.path.getKeyCount(), 0);
    EXPECT_EQ(p.path.keyAt(0).orientation.w, 1.0f);
    p.path.insertKey();  // the first key is a fresh one
    ASSERT_EQ(p.path.getKeyCount(), 1);
    EXPECT_EQ(p.path.getCurrentKey(), 0);
    PathState state;
    EXPECT_TRUE(p.path.evaluate(state, 42.0f));
    EXPECT_EQ(state.position.x, 0.0f);
}

TEST(PathSplineTest, ReloadingWithFewerKeysKeepsTheSelectionInside) {
    LoadedPath p(fourKeys());
    p.path.selectKey(3);
    auto shorter = splineElement(std::vector<KeyText>{{"5 5 5", nullptr, "0"}});
    ASSERT_TRUE(p.path.load(shorter.get()));
    EXPECT_EQ(p.path.getCurrentKey(), 0);
    p.path.setKeyTime(1.0f);
    EXPECT_EQ(p.path.keyAt(0).time, 1.0f);
}
