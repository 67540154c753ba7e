#include "SplineDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// An independent Kochanek-Bartels position curve in double precision: tangents from the
// (1-t)(1+-c)(1+-b)/2 formula with the 2*d/(dIn+dOut) spacing factor faded by 1-|c|, and each
// segment written as a Bernstein cubic rather than by repeated blends.
struct ReferenceCurve {
    struct Point { double x, y, z; };
    std::vector<Point> p;
    std::vector<double> t, tension, continuity, bias;

    explicit ReferenceCurve(const PathSpline& path) {
        for (int i = 0; i < path.getKeyCount(); ++i) {
            SplineKey k = path.keyAt(i);
            p.push_back({k.position.x, k.position.y, k.position.z});
            t.push_back(k.time);
            tension.push_back(k.tension);
            continuity.push_back(k.continuity);
            bias.push_back(k.bias);
        }
    }

    static Point add(Point a, Point b, double s) { return {a.x + s * b.x, a.y + s * b.y, a.z + s * b.z}; }
    static Point sub(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

    Point control(int i, bool incoming) const {
        const int n = static_cast<int>(p.size());
        const double tt = tension[i];
        if (i == 0 || i == n - 1) {
            int other = i == 0 ? 1 : n - 2;
            if (n == 2) return add(p[i], sub(p[other], p[i]), (1 - tt) / 3);
            Point aim = control(other, i == 0);
            return add(p[i], sub(aim, p[i]), (1 - tt) / 2);
        }
        const double c = continuity[i], b = bias[i];
        Point in = sub(p[i], p[i - 1]), out = sub(p[i + 1], p[i]);
        double dIn = t[i] - t[i - 1], dOut = t[i + 1] - t[i];
        double m = 1 - std::fabs(c);
        double spacing = dIn + dOut == 0 ? 1 : 2 * (incoming ? dIn : dOut) / (dIn + dOut);
        double factor = 1 + m * (spacing - 1);
        Point tangent;
        if (incoming) {
            tangent = add(add({0, 0, 0}, in, (1 - c) * (1 + b) / 2), out, (1 + c) * (1 - b) / 2);
        } else {
            tangent = add(add({0, 0, 0}, in, (1 + c) * (1 + b) / 2), out, (1 - c) * (1 - b) / 2);
        }
        return add(p[i], tangent, (incoming ? -1.0 : 1.0) * (1 - tt) * factor / 3);
    }

    Point at(double time) const {
        const int n = static_cast<int>(p.size());
        int lo = 0;
        while (lo < n - 2 && time >= t[lo + 1]) ++lo;
        double u = (time - t[lo]) / (t[lo + 1] - t[lo]);
        Point a = p[lo], b = control(lo, false), c = control(lo + 1, true), d = p[lo + 1];
        double v = 1 - u;
        double wa = v * v * v, wb = 3 * v * v * u, wc = 3 * v * u * u, wd = u * u * u;
        return {wa * a.x + wb * b.x + wc * c.x + wd * d.x, wa * a.y + wb * b.y + wc * c.y + wd * d.y,
                wa * a.z + wb * b.z + wc * c.z + wd * d.z};
    }
};

PathState poseAt(PathSpline& path, float time) {
    PathState state;
    EXPECT_TRUE(path.evaluate(state, time)) << "at " << time;
    return state;
}

void expectPose(const PathState& state, const SplineKey& key) {
    EXPECT_EQ(state.position.x, key.position.x);
    EXPECT_EQ(state.position.y, key.position.y);
    EXPECT_EQ(state.position.z, key.position.z);
    EXPECT_EQ(state.orientation.w, key.orientation.w);
    EXPECT_EQ(state.orientation.x, key.orientation.x);
    EXPECT_EQ(state.orientation.y, key.orientation.y);
    EXPECT_EQ(state.orientation.z, key.orientation.z);
}

float distance(const Vector3& a, const Vector3& b) {
    Vector3 d = subtractVector(a, b);
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

std::vector<KeyNumbers> randomKeys(std::mt19937& random, int count, bool controls, bool evenSpacing) {
    std::uniform_int_distribution<int> coordinate(-2000, 2000), axis(-400, 400), control(-99, 99);
    std::uniform_real_distribution<float> step(0.5f, 4.0f);
    std::vector<KeyNumbers> keys;
    float time = 1.0f;
    for (int i = 0; i < count; ++i) {
        keys.push_back({coordinate(random), coordinate(random), coordinate(random), axis(random), axis(random),
                        axis(random), controls ? control(random) : 0, controls ? control(random) : 0,
                        controls ? control(random) : 0, time});
        time += evenSpacing ? 2.0f : step(random);
    }
    return keys;
}

}  // namespace

TEST(PathSplineEvaluateTest, BlendKeysExtrapolatesWithoutClamping) {
    SplineKey a, b;
    a.position = {1, 2, 3};
    b.position = {3, 6, 11};
    b.orientation = quaternionFromAxisAngle({0, 1, 0}, 0.5f);
    a.tension = b.tension = 0.7f;
    SplineKey before = PathSpline::blendKeys(a, b, -1.0f);
    EXPECT_EQ(before.position.x, -1.0f);
    EXPECT_EQ(before.position.z, -5.0f);
    Quaternion expected = quaternionFromAxisAngle({0, 1, 0}, -0.5f);
    EXPECT_NEAR(before.orientation.y, expected.y, 1e-6f);
    SplineKey beyond = PathSpline::blendKeys(a, b, 1.5f);
    EXPECT_EQ(beyond.position.y, 8.0f);
    EXPECT_EQ(beyond.time, 1.5f);      // the blend factor, not a time
    EXPECT_EQ(beyond.tension, 0.0f);
}

TEST(PathSplineEvaluateTest, PathsWithoutKeysOrWithOneKey) {
    Database database;
    PathSpline empty(&database);
    auto none = splineElement(std::vector<KeyText>{});
    ASSERT_TRUE(empty.load(none.get()));
    PathState state{{7, 7, 7}, {}};
    EXPECT_FALSE(empty.evaluate(state, 0.0f));
    EXPECT_EQ(state.position.x, 7.0f);
    EXPECT_EQ(empty.startTime(), 0.0f);
    EXPECT_EQ(empty.endTime(), 0.0f);
    EXPECT_EQ(empty.controlPoint(0, true).orientation.w, 1.0f);

    LoadedPath one(std::vector<KeyText>{{"5 6 7 100 0 0", nullptr, "3"}});
    for (float time : {-100.0f, 3.0f, 1e6f}) expectPose(poseAt(one.path, time), one.path.keyAt(0));
}

TEST(PathSplineEvaluateTest, OutsideTheKeysThereIsNoPose) {
    LoadedPath path(std::vector<KeyText>{{"0 0 0", nullptr, "119.77"}, {"10 0 0", nullptr, "200"}, {"0 10 0", nullptr, "300"}});
    PathState state{{7, 7, 7}, {}};
    EXPECT_FALSE(path.path.evaluate(state, 119.76f));
    EXPECT_FALSE(path.path.evaluate(state, 300.01f));
    EXPECT_EQ(state.position.x, 7.0f);  // untouched
    EXPECT_TRUE(path.path.evaluate(state, 119.77f));
    EXPECT_EQ(path.path.startTime(), 119.77f);
    EXPECT_EQ(path.path.endTime(), 300.0f);
}

TEST(PathSplineEvaluateTest, EndPointsAreTheKeys) {
    std::mt19937 random(5);
    for (int count : {2, 3, 4, 9}) {
        LoadedPath path(randomKeys(random, count, true, false));
        SplineKey first = path.path.keyAt(0), last = path.path.keyAt(count - 1);
        expectPose(poseAt(path.path, first.time), first);
        PathState end = poseAt(path.path, last.time);
        EXPECT_FLOAT_EQ(end.position.x, last.position.x);
        EXPECT_FLOAT_EQ(end.position.y, last.position.y);
        EXPECT_FLOAT_EQ(end.position.z, last.position.z);
        EXPECT_FLOAT_EQ(end.orientation.w, last.orientation.w);
        EXPECT_FLOAT_EQ(end.orientation.x, last.orientation.x);
        // Every interior key is passed exactly at its time (u = 0 of its outgoing segment).
        for (int i = 1; i < count - 1; ++i) expectPose(poseAt(path.path, path.path.keyAt(i).time), path.path.keyAt(i));
    }
}

TEST(PathSplineEvaluateTest, PositionsMatchAnIndependentKochanekBartelsCurve) {
    std::mt19937 random(17);
    for (int round = 0; round < 20; ++round) {
        int count = 2 + round % 6;
        LoadedPath path(randomKeys(random, count, true, false));
        ReferenceCurve reference(path.path);
        float start = path.path.startTime(), end = path.path.endTime();
        for (int s = 0; s <= 200; ++s) {
            float time = start + (end - start) * static_cast<float>(s) / 200.0f;
            if (time > end) time = end;
            PathState state = poseAt(path.path, time);
            ReferenceCurve::Point expected = reference.at(time);
            EXPECT_NEAR(state.position.x, expected.x, 0.05) << "keys " << count << " time " << time;
            EXPECT_NEAR(state.position.y, expected.y, 0.05) << "keys " << count << " time " << time;
            EXPECT_NEAR(state.position.z, expected.z, 0.05) << "keys " << count << " time " << time;
        }
    }
}

TEST(PathSplineEvaluateTest, ZeroControlsAndEvenSpacingGiveCatmullRom) {
    std::mt19937 random(3);
    LoadedPath path(randomKeys(random, 6, false, true));
    for (int segment = 1; segment <= 3; ++segment) {  // segments whose both ends are interior keys
        Vector3 p0 = path.path.keyAt(segment - 1).position, p1 = path.path.keyAt(segment).position;
        Vector3 p2 = path.path.keyAt(segment + 1).position, p3 = path.path.keyAt(segment + 2).position;
        float t1 = path.path.keyAt(segment).time;
        for (int s = 0; s <= 10; ++s) {
            double u = s / 10.0;
            auto catmullRom = [u](double a, double b, double c, double d) {
                return 0.5 * (2 * b + (-a + c) * u + (2 * a - 5 * b + 4 * c - d) * u * u +
                              (-a + 3 * b - 3 * c + d) * u * u * u);
            };
            PathState state = poseAt(path.path, t1 + 2.0f * static_cast<float>(u));
            EXPECT_NEAR(state.position.x, catmullRom(p0.x, p1.x, p2.x, p3.x), 0.02);
            EXPECT_NEAR(state.position.y, catmullRom(p0.y, p1.y, p2.y, p3.y), 0.02);
            EXPECT_NEAR(state.position.z, catmullRom(p0.z, p1.z, p2.z, p3.z), 0.02);
        }
    }
}

TEST(PathSplineEvaluateTest, TensionOneIsStraightAndMinusOneDoublesTangents) {
    std::mt19937 random(11);
    std::vector<KeyNumbers> keys = randomKeys(random, 5, false, false);
    for (KeyNumbers& k : keys) k.tension = 99;
    LoadedPath tight(keys);
    for (int i = 0; i < 5; ++i) {
        // Tension 1 puts both control keys on the key itself.
        for (bool incoming : {true, false}) {
            SplineKey control = tight.path.controlPoint(i, incoming);
            expectPose({control.position, control.orientation}, tight.path.keyAt(i));
        }
    }
    // Positions on the straight line, orientations on the great circle between the keys.
    SplineKey a = tight.path.keyAt(1), b = tight.path.keyAt(2);
    for (int s = 1; s < 10; ++s) {
        PathState state = poseAt(tight.path, a.time + (b.time - a.time) * static_cast<float>(s) / 10.0f);
        Vector3 ab = subtractVector(b.position, a.position), as = subtractVector(state.position, a.position);
        Vector3 cross{ab.y * as.z - ab.z * as.y, ab.z * as.x - ab.x * as.z, ab.x * as.y - ab.y * as.x};
        EXPECT_LT(std::sqrt(cross.x * cross.x + cross.y * cross.y + cross.z * cross.z) /
                      std::sqrt(ab.x * ab.x + ab.y * ab.y + ab.z * ab.z), 0.01f);
        // q lies in the plane of a and b: removing its components along a and b leaves nothing.
        double aa = dotQuaternion(a.orientation, a.orientation), bb = dotQuaternion(b.orientation, b.orientation);
        double ab4 = dotQuaternion(a.orientation, b.orientation);
        double qa = dotQuaternion(state.orientation, a.orientation), qb = dotQuaternion(state.orientation, b.orientation);
        double det = aa * bb - ab4 * ab4;
        double ca = (qa * bb - qb * ab4) / det, cb = (qb * aa - qa * ab4) / det;
        Quaternion rest = addQuaternion(state.orientation,
                                        addQuaternion(scaleQuaternion(a.orientation, static_cast<float>(-ca)),
                                                      scaleQuaternion(b.orientation, static_cast<float>(-cb))));
        EXPECT_LT(dotQuaternion(rest, rest), 1e-8f);
    }

    // Tension -1 doubles every interior tangent of tension 0.
    std::vector<KeyNumbers> loose = randomKeys(random, 5, false, false);
    LoadedPath zero(loose);
    for (KeyNumbers& k : loose) k.tension = -99;
    LoadedPath doubled(loose);
    for (int i = 1; i < 4; ++i) {
        for (bool incoming : {true, false}) {
            Vector3 k = zero.path.keyAt(i).position;
            Vector3 single = subtractVector(zero.path.controlPoint(i, incoming).position, k);
            Vector3 twice = subtractVector(doubled.path.controlPoint(i, incoming).position, k);
            EXPECT_NEAR(twice.x, 2.0f * single.x, 0.01f);
            EXPECT_NEAR(twice.y, 2.0f * single.y, 0.01f);
            EXPECT_NEAR(twice.z, 2.0f * single.z, 0.01f);
        }
    }
}

TEST(PathSplineEvaluateTest, CutsJumpToTheLaterKey) {
    LoadedPath path(std::vector<KeyText>{{"0 0 0", " +0  +0  +0", "0"},
                                         {"100 0 0 0 500 0", " +0 -99  +0", "2"},
                                         {"-500 300 0 0 -500 0", " +0 -99  +0", "2"},
                                         {"-400 300 100", " +0  +0  +0", "4"}});
    expectPose(poseAt(path.path, 2.0f), path.path.keyAt(2));
    PathState before = poseAt(path.path, std::nextafter(2.0f, 0.0f));
    EXPECT_LT(distance(before.position, path.path.keyAt(1).position), 0.01f);
    EXPECT_NEAR(before.orientation.y, path.path.keyAt(1).orientation.y, 1e-4f);

    // Two keys sharing the start time: the second one holds at that time.
    LoadedPath start(std::vector<KeyText>{{"0 0 0", nullptr, "1"}, {"50 0 0", nullptr, "1"}, {"60 10 0", nullptr, "3"}});
    expectPose(poseAt(start.path, 1.0f), start.path.keyAt(1));
}

TEST(PathSplineEvaluateTest, ZeroLengthSegmentsGiveSoundPoses) {
    // The last two keys share a time: at that time the later key holds, before it the curve
    // comes to the earlier key.
    LoadedPath end(std::vector<KeyText>{{"0 0 0", nullptr, "0"}, {"50 0 0 300 0 0", nullptr, "2"}, {"90 40 0", nullptr, "2"}});
    expectPose(poseAt(end.path, 2.0f), end.path.keyAt(2));
    PathState before = poseAt(end.path, std::nextafter(2.0f, 0.0f));
    EXPECT_LT(distance(before.position, end.path.keyAt(1).position), 0.01f);

    // A key whose neighbours share its time has control keys without timing adjustment.
    LoadedPath middle(std::vector<KeyText>{
        {"0 0 0", nullptr, "0"}, {"10 0 0", nullptr, "1"}, {"20 5 0", nullptr, "1"}, {"30 0 0", nullptr, "1"}, {"40 0 0", nullptr, "2"}});
    ReferenceCurve reference(middle.path);
    for (bool incoming : {true, false}) {
        SplineKey control = middle.path.controlPoint(2, incoming);
        ReferenceCurve::Point expected = reference.control(2, incoming);
        EXPECT_NEAR(control.position.x, expected.x, 1e-4);
        EXPECT_NEAR(control.position.y, expected.y, 1e-4);
        EXPECT_FALSE(std::isnan(control.orientation.w));
    }
    for (float time : {0.0f, 0.5f, 1.0f, 1.5f, 2.0f}) {
        PathState state = poseAt(middle.path, time);
        EXPECT_FALSE(std::isnan(state.position.x) || std::isnan(state.orientation.w)) << time;
    }
}

TEST(PathSplineEvaluateTest, PoseIsContinuousInsideSegments) {
    std::mt19937 random(23);
    for (int round = 0; round < 10; ++round) {
        LoadedPath path(randomKeys(random, 3 + round, true, false));
        for (int i = 0; i + 1 < path.path.getKeyCount(); ++i) {
            float a = path.path.keyAt(i).time, b = path.path.keyAt(i + 1).time;
            PathState previous = poseAt(path.path, a);
            for (int s = 1; s <= 400; ++s) {
                PathState state = poseAt(path.path, a + (b - a) * static_cast<float>(s) / 400.0f);
                // 4000 units and a few radians is far more than any key step; 400 samples
                // leave well under 1/20 of that between neighbours.
                EXPECT_LT(distance(state.position, previous.position), 200.0f);
                Quaternion d = addQuaternion(state.orientation, scaleQuaternion(previous.orientation, -1.0f));
                EXPECT_LT(dotQuaternion(d, d), 0.01f);
                previous = state;
            }
        }
    }
}
