// VisualGroup: (keyword in the type table).
#pragma once

#include "visuals/Visual.h"

class VisualGroup : public Visual {
public:
    using Visual::Visual;
    Object* castTo(ObjectType type) override;
};
