#include "gui/TimeRanges.h"

#include "database/Database.h"

#include "models/ModelGroup.h"
#include "paths/PathSpline.h"
#include "textures/TextureTarget.h"
#include "visuals/VisualGroup.h"
#include "visuals/VisualOverlay.h"
#include "visuals/VisualScene.h"

namespace {

constexpr int deepest = 16;  // nested groups followed; cycles are cut at load, this is a backstop

void addPathRange(Path* path, std::vector<TimeRange>& into) {
    if (path) into.push_back({path->startTime(), path->endTime()});
}

// Everything a visual shows, flattened onto one row.
void addVisual(Object* object, std::vector<TimeRange>& into, int depth) {
    if (!object || depth > deepest) return;
    if (Object* found = object->castTo(TypeVisualOverlay)) {
        auto* overlay = static_cast<VisualOverlay*>(found);
        into.push_back({overlay->getStart(), overlay->getStop()});
    } else if (Object* scene = object->castTo(TypeVisualScene)) {
        addPathRange(static_cast<VisualScene*>(scene)->getCamera(), into);
    } else if (Object* group = object->castTo(TypeVisualGroup)) {
        for (const VisualItem& item : static_cast<VisualGroup*>(group)->getItems())
            addVisual(item.visual, into, depth + 1);
    }
}

}  // namespace

// Above the ranges, a row of key ticks per driven attribute of the object itself. Its element is
// read when the selection changes; the floats are found by name each time, as their keys change
// and a reload makes new ones.
template <typename NextRow>
void TimeRanges::addDriven(Object* object, NextRow& nextRow) {
    if (object != usesOf) {
        usesOf = object;
        uses.clear();
        if (object->database) uses = drivenUses(object->database, object->database->indexOf(object));
    }
    for (const DrivenUse& use : uses) {
        Object* found = object->database->find(use.floatName.c_str(), TypeFloat);
        auto* track = found ? static_cast<FloatObject*>(found->castTo(TypeFloat)) : nullptr;
        if (!track) continue;
        TimeRow& row = nextRow(use.attribute);
        for (const FloatKey& key : track->track.keys) row.ticks.push_back(key.time);
    }
}

void TimeRanges::measure(Object* object) {
    Object* const original = object;
    rowCount = 0;
    ticks.clear();
    auto nextRow = [&](const std::string& name) -> TimeRow& {
        if (static_cast<int>(rows.size()) <= rowCount) rows.emplace_back();
        TimeRow& row = rows[static_cast<std::size_t>(rowCount++)];
        row.name = name;
        row.ranges.clear();
        row.ticks.clear();
        return row;
    };
    if (!object) {
        usesOf = nullptr;
        return;
    }
    if (Object* target = object->castTo(TypeTextureTarget)) object = static_cast<TextureTarget*>(target)->getVisual();
    if (!object) return addDriven(original, nextRow);
    if (Object* group = object->castTo(TypeVisualGroup)) {
        for (const VisualItem& item : static_cast<VisualGroup*>(group)->getItems())
            addVisual(item.visual, nextRow(item.name).ranges, 1);
    } else if (Object* models = object->castTo(TypeModelGroup)) {
        for (const ModelItem& item : static_cast<ModelGroup*>(models)->getItems())
            addPathRange(item.path, nextRow(item.modelName).ranges);
    } else if (object->castTo(TypeVisualOverlay) || object->castTo(TypeVisualScene)) {
        addVisual(object, nextRow("").ranges, 0);
    } else if (Object* path = object->castTo(TypePathSpline)) {
        auto* spline = static_cast<PathSpline*>(path);
        for (int i = 0; i < spline->getKeyCount(); ++i) ticks.push_back(spline->keyAt(i).time);
    }
    addDriven(original, nextRow);
}
