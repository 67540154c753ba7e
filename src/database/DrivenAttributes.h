// DrivenAttributes: numbers of the document that may follow a float instead of standing still.
// Such an attribute (or one number of a several-number attribute such as an overlay's position)
// is written "@Name", Name being a float object; the object then takes the float's value at the
// time it draws for, so what it shows stays a function of the demo time alone. Which attributes
// may be driven is the one table below; the check refuses "@" anywhere else.
#pragma once

#include "database/FloatObject.h"

#include <string>
#include <vector>

class Database;
class TiXmlElement;

// A number of an object: fixed, or the value of a float at the time asked for.
struct Driven {
    float value = 0.0f;                  // when not driven
    const FloatObject* track = nullptr;  // not owned; the float named by "@Name"
    float at(float time) const { return track ? track->valueAt(time) : value; }
    bool driven() const { return track != nullptr; }
};

struct DrivenAttribute {
    const char* type;       // the element's keyword
    const char* attribute;
    const char* meaning;    // for the check's messages and the README's table
};

// The attributes that can be driven, in the README's order.
extern const DrivenAttribute drivenAttributes[];
extern const int drivenAttributeCount;
bool canBeDriven(const char* typeKeyword, const char* attribute);

// One number, or "@Name": absent leaves `out` as it is; a name that is no float leaves the value
// as it is (the check reports it).
void readDriven(Database* database, const TiXmlElement* element, const char* attribute, Driven& out);
// A text of up to `count` numbers separated by blanks, each a number (read as `number` reads it)
// or "@Name"; numbers missing from the text stay as they are.
void readDrivenList(Database* database, const char* text, Driven* out, int count, float (*number)(const char*));
// Whether a text names a float anywhere ("@" begins one of its words).
bool namesFloat(const char* text);

// A number of an element that follows a float: the attribute, with the number's place (from 1)
// after it when the attribute holds several ("position 1"), and the float.
struct DrivenUse {
    std::string attribute;
    std::string floatName;
    const FloatObject* track = nullptr;  // not owned; valid while the database's objects are
};
// The driven numbers of the document's element at `index` as last loaded or saved, in the
// element's order; names that are no float, or attributes that cannot be driven, are left out.
std::vector<DrivenUse> drivenUses(Database* database, int index);
