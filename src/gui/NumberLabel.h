// NumberLabel: a Label showing a prefix and a number with a fixed count of significant digits
// ("Value: 12.50"); a number with more integer digits than fit ends in "!". The text is
// formatted in place into a buffer sized once by init.
#pragma once

#include "gui/Label.h"

class NumberLabel : public Label {
public:
    bool init(const char* prefix, int digits);  // false for digits <= 0 or without a font
    void setNumber(float v);
    float getNumber() const { return number; }

    // Writes v with `digits` significant digits to out, at most digits + 2 characters and a NUL
    // (room enough for a sign or "!" and the point); returns the characters written.
    static int format(float v, int digits, char* out);

private:
    int prefixLength = 0;
    int digits = 0;       // significant digits shown
    float number = 0.0f;  // the value last shown
};
