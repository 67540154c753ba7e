// The key text of path.spline: integers in a fixed-width form, orientations and controls scaled
// by 999 and 99. Documents were made with exactly this single-precision reading. Orientations and
// controls are written rounded to the nearest integer: a stored n reads back as n * (1/999) a hair
// below n / 999, and truncating that lost one unit per save, so every save drifted every key.
#include "paths/PathSpline.h"

#include "database/XmlNumbers.h"

#include <tinyxml.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxValueLength = 122;         // longer values are cut here
constexpr float kOneOver999 = 1.0f / 999.0f;  // 0.001001001
constexpr float kOneOver99 = 1.0f / 99.0f;    // 0.01010101

bool isDelimiter(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The integers of an attribute value, taken as strtok splits and atoi converts them, except
// that a value beyond the int range saturates instead of being undefined.
class TokenReader {
public:
    explicit TokenReader(const char* value) {
        std::strncpy(buffer, value, kMaxValueLength);
        buffer[kMaxValueLength] = '\0';
    }

    bool next(int& value) {
        while (buffer[cursor] && isDelimiter(buffer[cursor])) ++cursor;
        if (!buffer[cursor]) return false;
        int start = cursor;
        while (buffer[cursor] && !isDelimiter(buffer[cursor])) ++cursor;
        value = toInt(buffer + start, buffer + cursor);
        return true;
    }

private:
    static int toInt(const char* p, const char* end) {
        while (p < end && (*p == '\v' || *p == '\f')) ++p;  // other space, as atoi skips it
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
        long long magnitude = 0;
        for (; p < end && *p >= '0' && *p <= '9'; ++p) {
            magnitude = magnitude * 10 + (*p - '0');
            if (magnitude > static_cast<long long>(INT_MAX) + 1) magnitude = static_cast<long long>(INT_MAX) + 1;
        }
        long long result = negative ? -magnitude : magnitude;
        if (result > INT_MAX) result = INT_MAX;
        return static_cast<int>(result);
    }

    char buffer[kMaxValueLength + 1] = {};
    int cursor = 0;
};

// Truncation toward zero as a cast does it, defined for every float: NaN writes 0 and values
// beyond the int range write its nearest end.
int truncateToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT_MAX;
    if (value <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(value);
}

// The nearest integer, halves away from zero (symmetric, so -q writes the negation of q).
int roundToInt(float value) {
    return truncateToInt(std::round(value));
}

}  // namespace

void PathSpline::readKey(SplineKey& key, TiXmlElement* element, float time) {
    key.time = time;
    const char* p = element->Attribute("p");
    if (!p) return;

    TokenReader positionReader(p);
    int value = 0;
    float* positionFields[3] = {&key.position.x, &key.position.y, &key.position.z};
    for (float* field : positionFields) {
        if (!positionReader.next(value)) return;
        *field = static_cast<float>(value);
    }
    float* axisFields[3] = {&key.orientation.x, &key.orientation.y, &key.orientation.z};
    for (float* field : axisFields) {
        if (!positionReader.next(value)) return;
        *field = static_cast<float>(value) * kOneOver999;
    }
    const Quaternion& q = key.orientation;
    // A vector part longer than one has no unit quaternion; the nearest one has w = 0.
    float radicand = 1.0f - (q.x * q.x + q.y * q.y + q.z * q.z);
    key.orientation.w = std::sqrt(radicand > 0.0f ? radicand : 0.0f);

    const char* tcb = element->Attribute("tcb");
    if (!tcb) return;
    TokenReader controlReader(tcb);
    float* controlFields[3] = {&key.tension, &key.continuity, &key.bias};
    for (float* field : controlFields) {
        if (!controlReader.next(value)) return;
        *field = static_cast<float>(value) * kOneOver99;
    }
}

void PathSpline::writeKey(const SplineKey& key, TiXmlElement* element) {
    const Quaternion& q = key.orientation;
    int axis[3] = {roundToInt(999.0f * q.x), roundToInt(999.0f * q.y), roundToInt(999.0f * q.z)};
    // Rounding near a half turn can make the vector part longer than 999 (-707 +706 +0), which has
    // no unit quaternion and reads differently on the next load: the largest number gives way.
    for (int& value : axis) value = value < -999 ? -999 : value > 999 ? 999 : value;  // a quaternion that is none
    auto squaredLength = [&axis] {
        long long sum = 0;
        for (int value : axis) sum += static_cast<long long>(value) * value;
        return sum;
    };
    while (squaredLength() > 999LL * 999LL) {
        int* largest = &axis[0];
        for (int& value : axis)
            if (std::abs(value) > std::abs(*largest)) largest = &value;
        *largest += *largest > 0 ? -1 : 1;
    }
    // q and -q are one rotation; the file always shows the one with w >= 0. With w = 0 both have
    // it, and a fixed choice (the first non-zero number positive) keeps such a key from flipping
    // at every save.
    bool negate = key.orientation.w < 0.0f;
    if (key.orientation.w == 0.0f) {
        for (int value : axis) {
            if (value == 0) continue;
            negate = value < 0;
            break;
        }
    }
    if (negate) {
        for (int& value : axis) value = value == INT_MIN ? INT_MAX : -value;
    }
    char text[128];
    std::snprintf(text, sizeof text, "%+5i %+5i %+5i %+4i %+4i %+4i",
                  truncateToInt(key.position.x), truncateToInt(key.position.y),
                  truncateToInt(key.position.z), axis[0], axis[1], axis[2]);
    element->SetAttribute("p", text);
    std::snprintf(text, sizeof text, "%+3i %+3i %+3i", roundToInt(key.tension * 99.0f),
                  roundToInt(key.continuity * 99.0f), roundToInt(key.bias * 99.0f));
    element->SetAttribute("tcb", text);
    writeFloat(element, "t", key.time);
}

void PathSpline::alignOrientations() {
    for (int i = 1; i < keyCount; ++i) {
        if (dotQuaternion(keys[i - 1].orientation, keys[i].orientation) < 0.0f) {
            keys[i].orientation = scaleQuaternion(keys[i].orientation, -1.0f);
        }
    }
}
