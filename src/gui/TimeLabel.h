// TimeLabel: a Label showing a prefix and a time as minutes:seconds:milliseconds ("Time: 1:15:500").
// Minutes wrap at 10. The text is formatted in place into a buffer sized once by init.
#pragma once

#include "gui/Label.h"

class TimeLabel : public Label {
public:
    bool init(const char* prefix);  // false without a font
    void setTime(float seconds);
    float getTime() const { return time; }

    // Writes "m:ss:mmm" (with "-" before negative times) to out, which holds at least 10
    // characters; returns the characters written.
    static int format(float seconds, char* out);

private:
    int prefixLength = 0;
    float time = 0.0f;  // seconds last shown
};
