#include "gui/NumberLabel.h"

#include <cmath>
#include <cstring>
#include <string>

bool NumberLabel::init(const char* prefix, int count) {
    if (count <= 0) return false;
    if (!prefix) prefix = "";
    // The widest text decides the hint: a sign, a point and every digit.
    const std::string widest = std::string(prefix) + "-." + std::string(count, '0');
    if (!setText(widest.c_str())) return false;
    prefixLength = static_cast<int>(std::strlen(prefix));
    digits = count;
    // Room for the prefix, a sign or "!", a point and the digits.
    text.assign(prefixLength + digits + 3, '\0');
    std::memcpy(text.data(), prefix, prefixLength);
    setNumber(0.0f);
    return true;
}

void NumberLabel::setNumber(float v) {
    number = v;
    if (digits <= 0) return;
    length = prefixLength + format(v, digits, text.data() + prefixLength);
}

int NumberLabel::format(float v, int digits, char* out) {
    char* const begin = out;
    char* const end = out + digits + 2;  // the NUL goes at end at the latest
    auto put = [&](char c) {
        if (out < end) *out++ = c;
    };
    if (digits <= 0) {
        *out = '\0';
        return 0;
    }
    if (!std::isfinite(v)) {
        // Nothing to show digit by digit: overflow, as for a number that does not fit.
        if (std::isnan(v) || v < 0) put('-');
        put('!');
    } else {
        if (v < 0) {
            put('-');
            v = -v;
        }
        int k = v < 10.0f ? 1 : static_cast<int>(std::log10(v)) + 1;  // integer digits
        // Scaled so that the first digit is the units digit, rounded at the last digit shown.
        float m = v * std::pow(10.0f, static_cast<float>(1 - k)) + 0.5f * std::pow(10.0f, static_cast<float>(1 - digits));
        if (m >= 10.0f) {
            m *= 0.1f;
            ++k;
        }
        int used = 0;
        auto digit = [&]() {
            const int d = static_cast<int>(m);
            put(static_cast<char>('0' + (d < 0 ? 0 : d > 9 ? 9 : d)));
            m = (m - static_cast<float>(d)) * 10.0f;
            ++used;
        };
        bool overflow = false;
        for (int i = 0; i < k; ++i) {
            if (used >= digits) {
                put('!');
                overflow = true;
                break;
            }
            digit();
        }
        if (!overflow && used < digits) {
            put('.');
            while (used < digits) digit();
        }
    }
    *out = '\0';
    return static_cast<int>(out - begin);
}
