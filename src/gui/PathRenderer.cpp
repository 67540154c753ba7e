#include "gui/PathRenderer.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"
#include "paths/Matrix4.h"
#include "paths/PathSpline.h"

#include <algorithm>
#include <bit>
#include <cmath>

int PathRenderer::instances = 0;
ComRef<IDirect3DStateBlock9> PathRenderer::stateBlock;

namespace {

constexpr float TrailReach = 5.0f;        // seconds either side of the moment
constexpr float SampleStep = 0.1f;        // seconds between the trail's samples
constexpr D3DCOLOR CurrentKeyColour = 0xFFC018;
constexpr D3DCOLOR OtherKeyColour = 0xFFFFFF;
constexpr float PyramidLength = 500.0f;   // model units from the eye to the pyramid's base

// Opaque at the moment, gone TrailReach seconds away.
D3DCOLOR trailAlpha(float t, float time) {
    const float d = t - time;
    const float a = std::floor((1.0f - 0.04f * d * d) * 255.0f);
    if (!(a > 0.0f)) return 0;  // also for a time that is no number
    return static_cast<D3DCOLOR>(std::min(a, 255.0f)) << 24;
}

Vector3 row(const Matrix4& m, int r) {
    return {m.m[r][0], m.m[r][1], m.m[r][2]};
}

}  // namespace

PathRenderer::PathRenderer(PathSpline* path) : path(path) {
    ++instances;
}

PathRenderer::~PathRenderer() {
    if (--instances == 0) stateBlock.reset();
}

int PathRenderer::buildTrail(float time, D3DCOLOR odd, D3DCOLOR even, WorldVertex* out) const {
    if (!path || path->getKeyCount() == 0 || !std::isfinite(time)) return 0;
    const float first = path->startTime(), last = path->endTime();
    if (last < time - TrailReach || first > time + TrailReach) return 0;
    const float start = std::max(time - TrailReach, first);
    const float end = std::min(time + TrailReach, last);
    // Tenths of a second are counted in double so that no document time overflows an int.
    const double firstTenth = std::floor(10.0 * static_cast<double>(start));
    const double lastTenth = std::floor(10.0 * static_cast<double>(end));
    if (!(std::fabs(firstTenth) < 1e9 && std::fabs(lastTenth) < 1e9)) return 0;
    const long long k0 = static_cast<long long>(firstTenth), k1 = static_cast<long long>(lastTenth);

    PathState pose;
    path->evaluate(pose, start);
    Vector3 from = pose.position;
    float fromTime = start;
    long long fromTenth = k0;
    int count = 0;
    // Samples: start, every tenth after it up to the last one before end, then end itself.
    for (long long k = k0 + 1; k <= k1 + 1 && count + 2 <= TrailCapacity; ++k) {
        const float t = k <= k1 ? static_cast<float>(k) * SampleStep : end;
        path->evaluate(pose, t);  // a time the path covers; a refusal keeps the last pose
        const D3DCOLOR rgb = (fromTenth & 1) ? odd : even;
        out[count++] = worldVertex(from, trailAlpha(fromTime, time) | rgb);
        out[count++] = worldVertex(pose.position, trailAlpha(t, time) | rgb);
        from = pose.position;
        fromTime = t;
        fromTenth = k;
    }
    return count;
}

int PathRenderer::buildKeyPoints(WorldVertex* out) const {
    if (!path || path->getKeyCount() == 0) return 0;
    const int current = path->getCurrentKey();
    const int lo = std::max(0, current - KeyReach);
    const int hi = std::min(path->getKeyCount() - 1, current + KeyReach);
    int count = 0;
    for (int i = lo; i <= hi; ++i) {
        const int k = i - current;
        const D3DCOLOR alpha = static_cast<D3DCOLOR>(255 - static_cast<int>(std::floor(2.55f * static_cast<float>(k * k))));
        out[count++] = worldVertex(path->keyAt(i).position,
                                   (std::min<D3DCOLOR>(alpha, 255) << 24) | (k == 0 ? CurrentKeyColour : OtherKeyColour));
    }
    return count;
}

bool PathRenderer::buildAxes(float axisSize, WorldVertex* out) const {
    if (!path || path->getKeyCount() == 0) return false;
    const SplineKey key = path->keyAt(path->getCurrentKey());
    Matrix4 m = quaternionToMatrix(key.orientation);
    scaleMatrixInPlace(m, std::sqrt(std::fabs(axisSize)));
    const D3DCOLOR colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (int axis = 0; axis < 3; ++axis) {
        out[2 * axis] = worldVertex(key.position, colours[axis]);
        out[2 * axis + 1] = worldVertex(addVector(key.position, row(m, axis)), colours[axis]);
    }
    return true;
}

bool PathRenderer::buildPyramid(float time, float fieldOfView, WorldVertex* out) const {
    if (!path) return false;
    PathState pose;
    if (!path->evaluate(pose, time)) return false;
    Matrix4 m = quaternionToMatrix(pose.orientation);
    scaleMatrixInPlace(m, PyramidLength);
    const float s = std::sin(fieldOfView / 2.0f);
    const Vector3 across = scaleVector(row(m, 0), s);
    const Vector3 upward = scaleVector(row(m, 1), 0.75f * s);
    const Vector3 ahead = addVector(pose.position, row(m, 2));
    const float signs[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        const Vector3 corner = addVector(ahead, addVector(scaleVector(across, signs[i][0]), scaleVector(upward, signs[i][1])));
        out[2 * i] = worldVertex(pose.position, 0xFFFFFFFF);
        out[2 * i + 1] = worldVertex(corner, 0x00FFFFFF);
    }
    return true;
}

void PathRenderer::draw(float time, float, float axisSize, float fieldOfView) {
    if (!device || !path) return;
    if (!stateBlock) {
        recordColourState(
            {
                {D3DRS_POINTSPRITEENABLE, FALSE},
                {D3DRS_POINTSCALEENABLE, FALSE},
                {D3DRS_POINTSIZE, std::bit_cast<DWORD>(4.0f)},
                {D3DRS_ZWRITEENABLE, TRUE},
            },
            WorldVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), WorldVertexFvf);
    device->SetTexture(0, nullptr);

    D3DCOLOR odd = 0x606060, even = 0xA0A0A0;  // a path that is only shown
    if (axisSize != 0.0f) {
        odd = 0x000000;
        even = 0xFFFFFF;
        WorldVertex axes[6];
        if (buildAxes(axisSize, axes)) device->DrawPrimitiveUP(D3DPT_LINELIST, 3, axes, sizeof(WorldVertex));
        WorldVertex points[KeyPointCapacity];
        const int n = buildKeyPoints(points);
        if (n >= 2) {
            // the strip through the keys in black, each vertex keeping its key's alpha
            WorldVertex strip[KeyPointCapacity];
            for (int i = 0; i < n; ++i) strip[i] = {points[i].x, points[i].y, points[i].z, points[i].colour & 0xFF000000};
            device->DrawPrimitiveUP(D3DPT_LINESTRIP, n - 1, strip, sizeof(WorldVertex));
        }
        if (n > 0) device->DrawPrimitiveUP(D3DPT_POINTLIST, n, points, sizeof(WorldVertex));
    }
    if (fieldOfView != 0.0f) {
        WorldVertex pyramid[8];
        if (buildPyramid(time, fieldOfView, pyramid)) device->DrawPrimitiveUP(D3DPT_LINELIST, 4, pyramid, sizeof(WorldVertex));
    }
    WorldVertex trail[TrailCapacity];
    const int n = buildTrail(time, odd, even, trail);
    if (n >= 2) device->DrawPrimitiveUP(D3DPT_LINELIST, n / 2, trail, sizeof(WorldVertex));
}
