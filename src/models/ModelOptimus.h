// ModelOptimus: (keyword in the type table).
#pragma once

#include "models/Model.h"

class ModelOptimus : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
};
