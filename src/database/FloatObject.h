// FloatObject: a number of the document ("float") that the editor can change with a knob. It may
// hold keys (<key t="..." v="..." ease="..."/> children, see FloatTrack): its value then follows
// the demo time, and attributes of other objects written "@Name" follow it (DrivenAttributes).
// Owns its editor panel, created by the first getEditor; a panel that fails to build is dropped
// and the next getEditor tries again.
#pragma once

#include "database/FloatTrack.h"
#include "database/Object.h"

#include <memory>

class FloatPanel;

class FloatObject : public Object {
public:
    explicit FloatObject(Database* database);
    ~FloatObject() override;

    Object* castTo(ObjectType type) override;
    Widget* getEditor() override;
    bool load(TiXmlElement* element) override;  // "value" (0 when absent), "step" (1 when absent)
    // Drops the children, writes both with "%f", then the keys as <key t v ease/> children.
    bool save(TiXmlElement* element) override;

    void setValue(float newValue);  // the panel, when it exists, shows the new value
    // The value at a demo time: the keys' when there are any, else `value` at every time.
    float valueAt(float time) const { return track.empty() ? value : track.valueAt(time); }
    void refreshEditor();  // after the keys changed

    // When the document holds a key child that cannot be read: keys read before it stay.
    static bool readKeys(const TiXmlElement* element, FloatTrack& track);

    float value = 0.0f;  // the number the object holds
    float step = 1.0f;   // what one step of the editor's knob adds
    FloatTrack track;    // no keys: `value` holds at every time

private:
    std::unique_ptr<FloatPanel> editor;  // owned; null until a getEditor succeeds
};
