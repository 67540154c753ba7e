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
    return true;
}

bool FloatObject::save(TiXmlElement* element) {
    element->Clear();
    writeFloat(element, "value", value);
    writeFloat(element, "step", step);
    return true;
}

void FloatObject::setValue(float newValue) {
    value = newValue;
    if (editor) editor->refresh();
}
