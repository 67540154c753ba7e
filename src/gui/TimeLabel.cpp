#include "gui/TimeLabel.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

bool TimeLabel::init(const char* prefix) {
    if (!prefix) prefix = "";
    const std::string widest = std::string(prefix) + "-0:00:000";
    if (!setText(widest.c_str())) return false;
    prefixLength = static_cast<int>(std::strlen(prefix));
    text.resize(prefixLength + 11, '\0');  // the longest time and its NUL
    setTime(0.0f);
    return true;
}

void TimeLabel::setTime(float t) {
    time = t;
    if (text.size() < static_cast<size_t>(prefixLength) + 11) return;  // not initialised
    length = prefixLength + format(t, text.data() + prefixLength);
}

int TimeLabel::format(float t, char* out) {
    float a = std::fabs(t);
    if (!std::isfinite(a) || a > 4.0e9f) a = 0.0f;  // keeps the unsigned conversions defined
    // 1/60 as a single-precision constant, as the display has always computed it.
    constexpr float oneSixtieth = 0.016666666f;
    const unsigned minutes = static_cast<unsigned>(a * oneSixtieth) % 10u;
    float rest = a - 60.0f * static_cast<float>(minutes);
    if (rest < 0.0f) rest = 0.0f;  // a rounding step past a minute boundary
    const unsigned seconds = static_cast<unsigned>(rest) % 60u;
    const unsigned milliseconds = static_cast<unsigned>(
        static_cast<unsigned long long>((rest - static_cast<float>(seconds)) * 1000.0f) % 1000u);
    const int written = std::snprintf(out, 11, t >= 0 ? "%1u:%02u:%03u" : "-%1u:%02u:%03u", minutes, seconds,
                                      milliseconds);
    return written > 0 ? written : 0;
}
