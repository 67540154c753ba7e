#include "visuals/VisualGroup.h"

#include "app/Device.h"
#include "database/Database.h"
#include "database/ReferenceCycle.h"

#include <tinyxml.h>

Object* VisualGroup::castTo(ObjectType type) {
    return answerFor(type, TypeVisual, TypeVisualGroup);
}

bool VisualGroup::load(TiXmlElement* element) {
    items.clear();
    for (TiXmlElement* item = element->FirstChildElement("item"); item; item = item->NextSiblingElement("item")) {
        const char* name = item->Attribute("visual");
        if (name == nullptr) return false;
        Object* found = database->find(name, TypeVisual);
        if (found == nullptr && database->leavesOutBrokenItems()) {
            database->leaveOut(element, name);  // kept by name, so a save writes it back
            items.push_back({name, nullptr});
            continue;
        }
        if (found == nullptr) return false;
        const bool cycle = refuseCycle(database, element, "item", name, found);
        items.push_back({name, cycle ? nullptr : static_cast<Visual*>(found)});
    }
    return true;
}

bool VisualGroup::save(TiXmlElement* element) {
    element->Clear();
    for (const VisualItem& item : items) {
        TiXmlElement written("item");
        written.SetAttribute("visual", item.name.c_str());
        if (element->InsertEndChild(written) == nullptr) return false;
    }
    return true;
}

bool VisualGroup::render(float time, float delta) {
    // Every item is asked, whatever the earlier ones answered: each leaf decides by itself.
    bool drawn = false;
    for (const VisualItem& item : items) {
        if (!item.visual) continue;
        const bool marked = D3DPERF_GetStatus() != 0;  // a profiler names the draws after the item
        if (marked) D3DPERF_BeginEvent(0, item.name.c_str());
        drawn = item.visual->render(time, delta) || drawn;
        if (marked) D3DPERF_EndEvent();
    }
    return drawn;
}

void VisualGroup::setRect(const Rect& r) {
    rect = r;
    for (const VisualItem& item : items) {
        if (item.visual) item.visual->setRect(r);
    }
}
