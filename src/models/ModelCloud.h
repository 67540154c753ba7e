// ModelCloud: (keyword in the type table).
#pragma once

#include "models/Model.h"

class ModelCloud : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
};
