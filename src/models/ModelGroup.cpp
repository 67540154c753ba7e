#include "models/ModelGroup.h"

#include "app/Device.h"
#include "database/Database.h"
#include "paths/Matrix4.h"
#include "paths/Path.h"
#include "paths/PathState.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>

Object* ModelGroup::castTo(ObjectType type) {
    return answerFor(type, TypeModel, TypeModelGroup);
}

bool ModelGroup::holds(const Model* model) const {
    if (model == this) return true;
    for (const ModelItem& item : items) {
        if (item.model == nullptr) continue;
        if (Object* group = item.model->castTo(TypeModelGroup))
            if (static_cast<ModelGroup*>(group)->holds(model)) return true;
    }
    return false;
}

bool ModelGroup::load(TiXmlElement* element) {
    items.clear();
    const char* ownName = element->Attribute("name");
    for (TiXmlElement* child = element->FirstChildElement("item"); child; child = child->NextSiblingElement("item")) {
        ModelItem item;
        // An absent attribute is kept as empty text and finds nothing, so the item is never drawn.
        if (const char* text = child->Attribute("model")) item.modelName = text;
        if (const char* text = child->Attribute("path")) item.pathName = text;
        if (!item.modelName.empty()) item.model = static_cast<Model*>(database->find(item.modelName.c_str(), TypeModel));
        if (!item.pathName.empty()) item.path = static_cast<Path*>(database->find(item.pathName.c_str(), TypePath));
        // An item whose model already holds this group would close a loop, and drawing would
        // recurse without end. Checked as each link is made, so the last link of a loop is the one
        // refused. Links through other objects (a mesh showing a render target) draw no loop.
        if (item.model) {
            Object* group = item.model->castTo(TypeModelGroup);
            if (group && static_cast<ModelGroup*>(group)->holds(this)) {
                std::fprintf(stderr, "Warning: model.group \"%s\": item \"%s\" would hold \"%s\" inside itself; it is not drawn.\n",
                             ownName ? ownName : "", item.modelName.c_str(), ownName ? ownName : "");
                item.model = nullptr;
            }
        }
        items.push_back(std::move(item));
    }
    size = 100.0f;
    if (const char* text = element->Attribute("size")) size = static_cast<float>(std::atof(text));
    return true;
}

bool ModelGroup::save(TiXmlElement* element) {
    element->Clear();
    for (const ModelItem& item : items) {
        TiXmlElement written("item");
        // An attribute the item did not have is not made up (it was kept as empty text).
        if (!item.modelName.empty()) written.SetAttribute("model", item.modelName.c_str());
        if (!item.pathName.empty()) written.SetAttribute("path", item.pathName.c_str());
        if (element->InsertEndChild(written) == nullptr) return false;
    }
    return true;
}

void ModelGroup::render(float time, float delta) {
    // Groups refuse items that would hold themselves, but another model type that draws a group
    // could still close a loop: past this depth nothing more is drawn instead of the stack running out.
    constexpr int maxNesting = 64;
    static int nesting = 0;
    if (nesting >= maxNesting) return;
    struct Nested {
        Nested() { ++nesting; }
        ~Nested() { --nesting; }
    } nested;

    Matrix4 parent;
    device->GetTransform(D3DTS_WORLD, &parent);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);  // scaled items keep their lighting right
    for (const ModelItem& item : items) {
        if (item.model == nullptr || item.path == nullptr) continue;
        PathState state;
        if (!item.path->evaluate(state, time)) continue;
        Matrix4 world = scaleMatrix(item.path->getScale());
        applyPose(world, state);
        multiplyMatrixInPlace(world, parent);
        // Left set after the loop: the last drawn item's matrix stays in WORLD.
        device->SetTransform(D3DTS_WORLD, &world);
        const bool marked = D3DPERF_GetStatus() != 0;  // a profiler names the draws after the item
        if (marked) D3DPERF_BeginEvent(0, item.modelName.c_str());
        item.model->render(time, delta);
        if (marked) D3DPERF_EndEvent();
    }
}
