// ModelArrow: (keyword in the type table).
#pragma once

#include "models/Model.h"

class ModelArrow : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
};
