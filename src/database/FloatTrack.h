// FloatTrack: the keys of a float, a value that follows the demo time. Each key holds a time, a
// value and how the value goes on from it to the next key (its ease):
//   step    holds the key's value until the next key;
//   linear  a straight line, v0 + (v1 - v0) u, u the part of the gap passed (0..1);
//   smooth  v0 + (v1 - v0) (3u^2 - 2u^3): starts and arrives at rest;
//   ramp    v0 + (v1 - v0) u^2: starts at rest and speeds up (ease in).
// Before the first key the value is the first key's, after the last the last key's. Keys stay in
// time order (a document with them out of order is put in order at load, and reported by the
// check); evaluation is a bisection without allocation.
#pragma once

#include <vector>

enum class Ease { Step, Linear, Smooth, Ramp };

struct FloatKey {
    float time = 0.0f;
    float value = 0.0f;
    Ease ease = Ease::Step;
    bool operator==(const FloatKey& other) const {
        return time == other.time && value == other.value && ease == other.ease;
    }
};

// The ease of a keyword, false for a word that is none ("step", "linear", "smooth", "ramp").
bool easeFromName(const char* name, Ease& ease);
const char* easeName(Ease ease);

class FloatTrack {
public:
    bool empty() const { return keys.empty(); }
    float valueAt(float time) const;  // keys must not be empty
    // The key at exactly that time is given the value; otherwise one is made there, taking the
    // ease of the key before it (step when there is none). Returns its index.
    int setKey(float time, float value);
    void sortKeys();  // stable: keys of equal time keep their order

    std::vector<FloatKey> keys;
};
