// VBox: a Box whose children stand one below the other, top to bottom.
#pragma once

#include "gui/Box.h"

class VBox : public Box {
public:
    VBox() : Box(false) {}
};
