// VisualOverlay: (keyword in the type table).
#pragma once

#include "visuals/Visual.h"

class VisualOverlay : public Visual {
public:
    using Visual::Visual;
    Object* castTo(ObjectType type) override;
};
