// VisualGroup: a time line of visuals. Renders every item in document order (later items over
// earlier ones) and answers whether any of them drew; the rectangle goes down to every item.
// The items are owned by the database; the group keeps their names to write them back.
#pragma once

#include "visuals/Visual.h"

#include <string>
#include <vector>

struct VisualItem {
    std::string name;        // as read from the document, written back by save
    Visual* visual = nullptr;  // not owned; none for an item that would lead back to the group
};

class VisualGroup : public Visual {
public:
    using Visual::Visual;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // fails on any unresolved or mistyped item
    bool save(TiXmlElement* element) override;  // writes back only the item elements
    bool render(float time, float delta) override;
    void setRect(const Rect& r) override;

    const std::vector<VisualItem>& getItems() const { return items; }

private:
    std::vector<VisualItem> items;  // document order
};
