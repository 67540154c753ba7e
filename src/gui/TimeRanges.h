// TimeRanges: when an object is active on the demo's time line, as the editor's time line shows it:
// rows of ranges (an overlay's window, a scene's camera keys, one row per item of a group), the
// key times of a path as ticks, and a row per driven attribute with its float's key times. An
// object without a time of its own has none of these.
#pragma once

#include "database/DrivenAttributes.h"

#include <string>
#include <vector>

class Object;

struct TimeRange {
    float start = 0.0f;  // seconds
    float stop = 0.0f;
};

struct TimeRow {
    std::string name;               // the item's, for a group's row; empty otherwise
    std::vector<TimeRange> ranges;  // in the order found
    std::vector<float> ticks;       // a driven attribute's row: its float's key times
};

struct TimeRanges {
    std::vector<TimeRow> rows;
    int rowCount = 0;           // rows in use; the vectors keep their room between calls
    std::vector<float> ticks;   // a path's key times

    // Replaces what is held with the ranges of object (none: nothing).
    void measure(Object* object);

private:
    template <typename NextRow>
    void addDriven(Object* object, NextRow& nextRow);
    // The selected object's driven attributes, read from its element when the selection changes.
    const Object* usesOf = nullptr;
    std::vector<DrivenUse> uses;
};
