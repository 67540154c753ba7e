// ModelTeapot: (keyword in the type table).
#pragma once

#include "models/Model.h"

class ModelTeapot : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
};
