// HBox: a Box whose children stand side by side, left to right.
#pragma once

#include "gui/Box.h"

class HBox : public Box {
public:
    HBox() : Box(true) {}
};
