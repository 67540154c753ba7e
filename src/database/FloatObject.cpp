#include "database/FloatObject.h"

#include "database/XmlNumbers.h"
#include "gui/FloatPanel.h"

#include <tinyxml.h>

FloatObject::FloatObject(Database* database) : Object(database) {}
FloatObject::~FloatObject() = default;

Object* FloatObject::castTo(ObjectType type) {
    return answerFor(type, TypeFloat, TypeFloat);
}

Widget* FloatObject::getEditor() {
    if (editor) return editor.get();
    editor = std::make_unique<FloatPanel>(this);
    if (!editor->init()) {
        editor.reset();
        return nullptr;
    }
    return editor.get();
}

bool FloatObject::load(TiXmlElement* element) {
    value = readFloat(element, "value", 0.0f);
    step = readFloat(element, "step", 1.0f);
    readKeys(element, track);
    track.sortKeys();
    return true;
}

bool FloatObject::save(TiXmlElement* element) {
    element->Clear();
    writeFloat(element, "value", value);
    writeFloat(element, "step", step);
    for (const FloatKey& key : track.keys) {
        TiXmlElement child("key");
        writeFloat(&child, "t", key.time);
        writeFloat(&child, "v", key.value);
        child.SetAttribute("ease", easeName(key.ease));
        if (!element->InsertEndChild(child)) return false;
    }
    return true;
}

void FloatObject::setValue(float newValue) {
    value = newValue;
    if (editor) editor->refresh();
}

void FloatObject::refreshEditor() {
    if (editor) editor->refresh();
}

bool FloatObject::readKeys(const TiXmlElement* element, FloatTrack& track) {
    track.keys.clear();
    bool clean = true;
    for (const TiXmlElement* child = element->FirstChildElement("key"); child;
         child = child->NextSiblingElement("key")) {
        FloatKey key{readFloat(child, "t"), readFloat(child, "v"), Ease::Step};
        // An unknown ease holds (the check reports it); absent means step, as in the sync tools.
        if (const char* ease = child->Attribute("ease")) clean = easeFromName(ease, key.ease) && clean;
        track.keys.push_back(key);
    }
    return clean;
}
