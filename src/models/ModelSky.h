// ModelSky: (keyword in the type table).
#pragma once

#include "models/Model.h"

class ModelSky : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
};
