// Spacer: an empty widget that only takes room (zero and stretching both ways unless given a hint).
#pragma once

#include "gui/Widget.h"

class Spacer : public Widget {
public:
    Spacer() { setTakesFocus(false); }
};
