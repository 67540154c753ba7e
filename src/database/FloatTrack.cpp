#include "database/FloatTrack.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const easeNames[] = {"step", "linear", "smooth", "ramp"};

}  // namespace

bool easeFromName(const char* name, Ease& ease) {
    for (int i = 0; i < 4; ++i) {
        if (name && std::strcmp(name, easeNames[i]) == 0) {
            ease = static_cast<Ease>(i);
            return true;
        }
    }
    return false;
}

const char* easeName(Ease ease) {
    return easeNames[static_cast<int>(ease)];
}

float FloatTrack::valueAt(float time) const {
    const FloatKey& first = keys.front();
    if (!(time > first.time)) return first.value;  // also for a NaN time
    const FloatKey& last = keys.back();
    if (time >= last.time) return last.value;
    // The first key later than the time; the one before it starts the gap, so t1 > t0 always.
    const auto next = std::upper_bound(keys.begin(), keys.end(), time,
                                       [](float t, const FloatKey& key) { return t < key.time; });
    const FloatKey& a = *(next - 1);
    const FloatKey& b = *next;
    float u = (time - a.time) / (b.time - a.time);
    switch (a.ease) {
    case Ease::Step: return a.value;
    case Ease::Linear: break;
    case Ease::Smooth: u = u * u * (3.0f - 2.0f * u); break;
    case Ease::Ramp: u = u * u; break;
    }
    return a.value + (b.value - a.value) * u;
}

int FloatTrack::setKey(float time, float value) {
    auto at = std::lower_bound(keys.begin(), keys.end(), time,
                               [](const FloatKey& key, float t) { return key.time < t; });
    if (at != keys.end() && at->time == time) {
        at->value = value;
        return static_cast<int>(at - keys.begin());
    }
    FloatKey key{time, value, at == keys.begin() ? Ease::Step : (at - 1)->ease};
    at = keys.insert(at, key);
    return static_cast<int>(at - keys.begin());
}

void FloatTrack::sortKeys() {
    std::stable_sort(keys.begin(), keys.end(), [](const FloatKey& a, const FloatKey& b) { return a.time < b.time; });
}
