// PathSpline: the "path.spline" object, a Kochanek-Bartels spline through keys held in document
// order (non-decreasing time, two equal times make a cut). Orientations of neighbouring keys are
// kept in one hemisphere after loading and after every pose edit. A path may hold no keys (a
// document can say so); then it yields no pose and the editing operations leave it alone.
#pragma once

#include "paths/Path.h"
#include "paths/PathState.h"
#include "paths/SplineKey.h"

#include <memory>
#include <vector>

class PathPanel;

class PathSpline : public Path {
public:
    explicit PathSpline(Database* database);
    ~PathSpline() override;  // deletes the editor panel
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    bool save(TiXmlElement* element) override;
    Widget* getEditor() override;  // the path panel, created on first call; none without music
    float startTime() override;  // 0 for a path without keys
    float endTime() override;    // 0 for a path without keys
    float getScale() override;
    bool evaluate(PathState& state, float time) override;

    // --- the key text of the document (PathSplineText.cpp) ---
    static void readKey(SplineKey& key, TiXmlElement* element, float time);
    static void writeKey(const SplineKey& key, TiXmlElement* element);
    void alignOrientations();

    // --- evaluation (PathSplineEvaluate.cpp); pure functions of the keys ---
    static SplineKey blendKeys(const SplineKey& a, const SplineKey& b, float u);  // u unclamped
    SplineKey controlPoint(int index, bool incoming) const;

    // --- editing: every operation but keyAt ends by refreshing the panel ---
    void selectKey(int index);
    SplineKey keyAt(int index) const;  // clamped to the keys; a fresh key when there are none
    void setKeyTime(float t);
    void setKeyTension(float v);
    void setKeyContinuity(float v);
    void setKeyBias(float v);
    void setScale(float s);
    void setKeyPose(const PathState& pose);
    void insertKey();
    void deleteKey();

    // The editor's undo: every key, the scale and the current key exactly as given.
    std::vector<SplineKey> copyKeys() const { return {keys.get(), keys.get() + keyCount}; }
    void restoreKeys(const std::vector<SplineKey>& restored, float restoredScale, int current);

    int getKeyCount() const { return keyCount; }
    int getCurrentKey() const { return currentKey; }
    Object* getPreview() const { return preview; }

private:
    bool hasCurrentKey() const { return currentKey >= 0 && currentKey < keyCount; }
    void refreshEditor();

    int keyCount = 0;
    std::unique_ptr<SplineKey[]> keys;  // owned, keyCount keys; a deletion shifts inside it
    float scale = 1.0f;                 // uniform scale of a model placed by this path
    int currentKey = 0;                 // the key the editor works on
    Object* preview = nullptr;          // not owned; shown by the editor, may be none
    std::unique_ptr<PathPanel> editor;  // owned; created by the first getEditor that succeeds
};
