// Music: (keyword in the type table).
#pragma once

#include "database/Object.h"

class Music : public Object {
public:
    using Object::Object;
    Object* castTo(ObjectType type) override;
};
