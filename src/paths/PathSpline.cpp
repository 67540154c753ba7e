#include "paths/PathSpline.h"

#include "database/Database.h"
#include "database/XmlNumbers.h"
#include "gui/PathPanel.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <new>

PathSpline::PathSpline(Database* database) : Path(database) {}
PathSpline::~PathSpline() = default;

Object* PathSpline::castTo(ObjectType type) {
    return answerFor(type, TypePath, TypePathSpline);
}

bool PathSpline::load(TiXmlElement* element) {
    const char* previewName = element->Attribute("preview");
    preview = (previewName && database) ? database->find(previewName, TypeObject) : nullptr;

    int count = 0;
    for (TiXmlElement* child = element->FirstChildElement("key"); child;
         child = child->NextSiblingElement("key")) {
        ++count;
    }
    std::unique_ptr<SplineKey[]> loaded(new (std::nothrow) SplineKey[count]);
    if (!loaded) return false;

    int index = 0;
    for (TiXmlElement* child = element->FirstChildElement("key"); child;
         child = child->NextSiblingElement("key")) {
        // an absent t is 0, not the previous key's time
        readKey(loaded[index++], child, readFloat(child, "t", 0.0f));
    }
    keys = std::move(loaded);
    keyCount = count;
    if (currentKey >= keyCount) currentKey = keyCount > 0 ? keyCount - 1 : 0;
    alignOrientations();

    scale = readFloat(element, "scale", 1.0f);
    return true;
}

bool PathSpline::save(TiXmlElement* element) {
    element->Clear();
    for (int i = 0; i < keyCount; ++i) {
        TiXmlElement* key = new (std::nothrow) TiXmlElement("key");
        if (!key) return false;
        writeKey(keys[i], key);
        element->LinkEndChild(key);
    }
    writeFloat(element, "scale", scale);
    return true;
}

float PathSpline::startTime() {
    return keyCount > 0 ? keys[0].time : 0.0f;
}

float PathSpline::endTime() {
    return keyCount > 0 ? keys[keyCount - 1].time : 0.0f;
}

float PathSpline::getScale() {
    return scale;
}

// --- editing ---------------------------------------------------------------------------------

Widget* PathSpline::getEditor() {
    if (!editor) {
        std::unique_ptr<PathPanel> panel(new (std::nothrow) PathPanel(this));
        if (!panel || !panel->init()) return nullptr;  // a later call tries again
        editor = std::move(panel);
    }
    return editor.get();
}

void PathSpline::refreshEditor() {
    if (editor) editor->refresh();
}

void PathSpline::selectKey(int index) {
    if (index > keyCount - 1) index = keyCount - 1;
    if (index < 0) index = 0;
    currentKey = index;
    refreshEditor();
}

SplineKey PathSpline::keyAt(int index) const {
    if (keyCount == 0) return SplineKey{};
    if (index < 0) return keys[0];
    if (index >= keyCount) return keys[keyCount - 1];
    return keys[index];
}

void PathSpline::setKeyTime(float t) {
    if (!hasCurrentKey()) return;
    // fmax and fmin drop a NaN in favour of the bound, so no NaN time reaches the keys
    t = std::fmax(t, 0.0f);
    if (currentKey > 0) t = std::fmax(t, keys[currentKey - 1].time);
    if (currentKey + 1 < keyCount) t = std::fmin(t, keys[currentKey + 1].time);
    keys[currentKey].time = t;
    refreshEditor();
}

static float clampControl(float v) {
    return std::fmin(std::fmax(v, -1.0f), 1.0f);
}

void PathSpline::setKeyTension(float v) {
    if (!hasCurrentKey()) return;
    keys[currentKey].tension = clampControl(v);
    refreshEditor();
}

void PathSpline::setKeyContinuity(float v) {
    if (!hasCurrentKey()) return;
    keys[currentKey].continuity = clampControl(v);
    refreshEditor();
}

void PathSpline::setKeyBias(float v) {
    if (!hasCurrentKey()) return;
    keys[currentKey].bias = clampControl(v);
    refreshEditor();
}

void PathSpline::setScale(float s) {
    scale = s;
    refreshEditor();
}

void PathSpline::setKeyPose(const PathState& pose) {
    if (!hasCurrentKey()) return;
    SplineKey& key = keys[currentKey];
    key.position = pose.position;
    key.orientation = pose.orientation;
    alignOrientations();
    key.position.x = std::floor(key.position.x);
    key.position.y = std::floor(key.position.y);
    key.position.z = std::floor(key.position.z);
    refreshEditor();
}

void PathSpline::insertKey() {
    std::unique_ptr<SplineKey[]> grown(new (std::nothrow) SplineKey[keyCount + 1]);
    if (!grown) return;
    if (keyCount == 0) {
        // nothing to lie on: the first key is a fresh one
        keys = std::move(grown);
        keyCount = 1;
        currentKey = 0;
        refreshEditor();
        return;
    }
    if (!hasCurrentKey()) currentKey = keyCount - 1;

    const SplineKey& current = keys[currentKey];
    SplineKey added;
    added.time = currentKey + 1 < keyCount ? (current.time + keys[currentKey + 1].time) / 2.0f
                                           : current.time;
    // On the curve as it was; keys out of time order can put the time outside the path, and
    // then the new key starts from the current key's pose.
    PathState pose{current.position, current.orientation};
    evaluate(pose, added.time);
    added.position = pose.position;
    added.orientation = pose.orientation;

    for (int i = 0; i <= currentKey; ++i) grown[i] = keys[i];
    grown[currentKey + 1] = added;
    for (int i = currentKey + 1; i < keyCount; ++i) grown[i + 1] = keys[i];
    keys = std::move(grown);
    ++keyCount;
    ++currentKey;
    refreshEditor();
}

void PathSpline::restoreKeys(const std::vector<SplineKey>& restored, float restoredScale, int current) {
    std::unique_ptr<SplineKey[]> copy(new (std::nothrow) SplineKey[restored.size()]);
    if (!copy) return;
    std::copy(restored.begin(), restored.end(), copy.get());
    keys = std::move(copy);
    keyCount = static_cast<int>(restored.size());
    scale = restoredScale;
    currentKey = keyCount > 0 ? std::min(std::max(current, 0), keyCount - 1) : 0;
    refreshEditor();
}

void PathSpline::deleteKey() {
    if (keyCount <= 1 || !hasCurrentKey()) return;
    for (int i = currentKey; i + 1 < keyCount; ++i) keys[i] = keys[i + 1];
    --keyCount;
    if (currentKey > 0) --currentKey;
    refreshEditor();
}
