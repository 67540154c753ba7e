// ModelGroup: the scene graph's node. Each item places a model along a path: the world matrix is
// the path's scale, then its pose, then the parent's WORLD. Items keep the names they were loaded
// with, resolved or not, and save writes exactly those back. An item that would make the group
// hold itself (directly or through nested groups) is refused at load and never drawn.
#pragma once

#include "models/Model.h"

#include <string>
#include <vector>

class Path;

struct ModelItem {
    std::string modelName;   // the item's "model" attribute as read
    std::string pathName;    // the item's "path" attribute as read
    Model* model = nullptr;  // not owned; none: the item is not drawn
    Path* path = nullptr;    // not owned; none: the item is not drawn
};

class ModelGroup : public Model {
public:
    using Model::Model;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    bool save(TiXmlElement* element) override;
    void render(float time, float delta) override;
    float getSize() override { return size; }

    const std::vector<ModelItem>& getItems() const { return items; }

private:
    bool holds(const Model* model) const;  // whether model is this group or drawn somewhere inside it

    std::vector<ModelItem> items;  // document order
    float size = 100.0f;           // what the editor's preview frames
};
