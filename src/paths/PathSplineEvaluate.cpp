// Evaluation: each segment is a cubic Bezier between two keys whose inner control keys come from
// the Kochanek-Bartels tangents, evaluated by de Casteljau with a position lerp and an
// orientation slerp at every step. Nothing is cached; each call rebuilds its two control keys.
#include "paths/PathSpline.h"

#include <cmath>

namespace {

constexpr float kOneThird = 1.0f / 3.0f;   // 0.33333334
constexpr float kTwoThirds = 2.0f / 3.0f;  // 0.6666667

}  // namespace

SplineKey PathSpline::blendKeys(const SplineKey& a, const SplineKey& b, float u) {
    SplineKey r;
    r.position.x = a.position.x + (b.position.x - a.position.x) * u;
    r.position.y = a.position.y + (b.position.y - a.position.y) * u;
    r.position.z = a.position.z + (b.position.z - a.position.z) * u;
    r.orientation = slerpQuaternion(a.orientation, b.orientation, u);
    r.time = u;
    return r;
}

SplineKey PathSpline::controlPoint(int index, bool incoming) const {
    const int n = keyCount;
    if (n < 2) return keyAt(index);  // no neighbour to bend toward
    if (index < 0) index = 0;
    if (index > n - 1) index = n - 1;
    const SplineKey& key = keys[index];
    const float t = key.tension;

    // End keys have no tangent of their own: they aim at the neighbour's control key.
    if (index == 0) {
        if (n == 2) return blendKeys(keys[0], keys[1], (1.0f - t) * kOneThird);
        return blendKeys(keys[0], controlPoint(1, true), (1.0f - t) * 0.5f);
    }
    if (index == n - 1) {
        if (n == 2) return blendKeys(keys[1], keys[0], (1.0f - t) * kOneThird);
        return blendKeys(keys[n - 1], controlPoint(n - 2, false), (1.0f - t) * 0.5f);
    }

    const SplineKey& previous = keys[index - 1];
    const SplineKey& next = keys[index + 1];
    const float c = key.continuity;
    const float b = key.bias;
    const float dIn = key.time - previous.time;
    const float dOut = next.time - key.time;
    const float span = dIn + dOut;
    const float m = 1.0f - std::fabs(c);
    float e;
    float sideContinuity;
    if (incoming) {
        // Both neighbours at the key's own time leave no spacing to adjust for.
        e = span != 0.0f ? -0.5f - m * (dIn / span - 0.5f) : -0.5f;
        sideContinuity = c;
    } else {
        e = span != 0.0f ? 0.5f + m * (dOut / span - 0.5f) : 0.5f;
        sideContinuity = -c;
    }
    SplineKey p = blendKeys(key, previous, -(1.0f + b));
    SplineKey q = blendKeys(key, next, 1.0f - b);
    SplineKey d = blendKeys(p, q, (sideContinuity + 1.0f) * 0.5f);
    return blendKeys(key, d, (1.0f - t) * e * kTwoThirds);
}

bool PathSpline::evaluate(PathState& state, float time) {
    const int n = keyCount;
    if (n == 0) return false;
    if (n == 1) {
        state.position = keys[0].position;
        state.orientation = keys[0].orientation;
        return true;
    }
    if (time < keys[0].time || time > keys[n - 1].time) return false;

    int lo = 0;
    int hi = n - 1;
    int mid = (n - 1) / 2;
    while (lo < mid) {
        if (time < keys[mid].time) {
            hi = mid;
        } else {
            lo = mid;
        }
        mid = (lo + hi) / 2;
    }

    const float length = keys[hi].time - keys[lo].time;
    if (length == 0.0f) {
        // Only the last segment can be empty here (a cut at the end): as at every cut, the later
        // key of the pair holds from its time on.
        state.position = keys[hi].position;
        state.orientation = keys[hi].orientation;
        return true;
    }
    const float u = (time - keys[lo].time) / length;

    SplineKey a1 = controlPoint(lo, false);
    SplineKey a2 = controlPoint(hi, true);
    SplineKey x1 = blendKeys(keys[lo], a1, u);
    SplineKey x2 = blendKeys(a1, a2, u);
    SplineKey x3 = blendKeys(a2, keys[hi], u);
    SplineKey y1 = blendKeys(x1, x2, u);
    SplineKey y2 = blendKeys(x2, x3, u);
    SplineKey z = blendKeys(y1, y2, u);
    state.position = z.position;
    state.orientation = z.orientation;
    return true;
}
