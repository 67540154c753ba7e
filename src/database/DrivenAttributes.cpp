#include "database/DrivenAttributes.h"

#include "database/Database.h"

#include <tinyxml.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

const DrivenAttribute drivenAttributes[] = {
    {"visual.overlay", "position", "x y width height, each alone"},
    {"visual.overlay", "u0", "texture coordinate"},
    {"visual.overlay", "v0", "texture coordinate"},
    {"visual.overlay", "u1", "texture coordinate"},
    {"visual.overlay", "v1", "texture coordinate"},
    {"visual.overlay", "t1", "fade-in seconds"},
    {"visual.overlay", "t2", "fade-out seconds"},
    {"visual.overlay", "alpha", "overall opacity, 0 to 1"},
    {"visual.scene", "near", "near plane"},
    {"visual.scene", "far", "far plane"},
    {"visual.scene", "aspect", "horizontal scale of the projection"},
    {"texture.target", "color", "clear colour as four channels a r g b, each 0 to 1"},
    {"model.arrow", "scale1", "trail length, seconds"},
    {"model.arrow", "scale2", "ribbon width"},
    {"model.cloud", "scale1", "stretch along y"},
    {"model.cloud", "scale2", "stretch along z"},
    {"model.stars", "scale1", "half extent along x and z"},
    {"model.stars", "scale2", "half extent along y"},
};
const int drivenAttributeCount = sizeof drivenAttributes / sizeof drivenAttributes[0];

bool canBeDriven(const char* typeKeyword, const char* attribute) {
    for (const DrivenAttribute& entry : drivenAttributes)
        if (std::strcmp(entry.type, typeKeyword) == 0 && std::strcmp(entry.attribute, attribute) == 0) return true;
    return false;
}

namespace {

const FloatObject* floatNamed(Database* database, const std::string& name) {
    Object* found = database->find(name.c_str(), TypeFloat);
    return found ? static_cast<FloatObject*>(found->castTo(TypeFloat)) : nullptr;
}

float realNumber(const char* text) {
    return static_cast<float>(std::atof(text));
}

}  // namespace

void readDriven(Database* database, const TiXmlElement* element, const char* attribute, Driven& out) {
    const char* text = element->Attribute(attribute);
    if (text == nullptr) return;
    if (namesFloat(text)) {
        readDrivenList(database, text, &out, 1, realNumber);
        return;
    }
    out.value = realNumber(text);
    out.track = nullptr;
}

void readDrivenList(Database* database, const char* text, Driven* out, int count, float (*number)(const char*)) {
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
        if (*p == '\0') return;
        const char* end = p;
        while (*end && !std::isspace(static_cast<unsigned char>(*end))) ++end;
        const std::string word(p, end);
        if (word[0] == '@') {
            if (const FloatObject* track = floatNamed(database, word.substr(1))) out[i].track = track;
        } else {
            out[i].value = number(word.c_str());
            out[i].track = nullptr;
        }
        p = end;
    }
}

bool namesFloat(const char* text) {
    if (text == nullptr) return false;
    for (const char* p = text; *p; ++p)
        if (*p == '@' && (p == text || std::isspace(static_cast<unsigned char>(p[-1])))) return true;
    return false;
}

std::vector<DrivenUse> drivenUses(Database* database, int index) {
    std::vector<DrivenUse> uses;
    const char* keyword = database ? database->keywordAt(index) : nullptr;
    if (!keyword) return uses;
    TiXmlDocument element;
    element.Parse(database->elementText(index).c_str());
    if (element.Error() || !element.RootElement()) return uses;
    for (const TiXmlAttribute* a = element.RootElement()->FirstAttribute(); a; a = a->Next()) {
        if (!canBeDriven(keyword, a->Name()) || !namesFloat(a->Value())) continue;
        std::vector<std::string> words;
        for (const char* p = a->Value(); *p;) {
            while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
            const char* end = p;
            while (*end && !std::isspace(static_cast<unsigned char>(*end))) ++end;
            if (end > p) words.emplace_back(p, end);
            p = end;
        }
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (words[i][0] != '@') continue;
            if (const FloatObject* track = floatNamed(database, words[i].substr(1)))
                uses.push_back({words.size() > 1 ? std::string(a->Name()) + " " + std::to_string(i + 1) : a->Name(),
                                words[i].substr(1), track});
        }
    }
    return uses;
}
