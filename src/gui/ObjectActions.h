// ObjectActions: what the property list's object controls do to the document's text: a new
// object of a type with a unique name and sensible defaults, a copy, a rename that every reference
// follows, a delete that takes the group items naming the object with it. Each gives the whole new
// text (or why not); the editor loads it as one undo step.
#pragma once

#include "database/AttributeTable.h"
#include "database/ObjectType.h"

#include <string>
#include <vector>

class Database;

namespace ObjectActions {

// The types a new object can have, by family (visuals, models, textures, paths, floats).
std::vector<ObjectType> makeableTypes();
// Whether an object of type `type` belongs to `family` (TypeObject: every one).
bool inFamily(ObjectType type, ObjectType family);
// The names of the database's objects of a family, in document order.
std::vector<std::string> objectsOf(Database& database, ObjectType family);
// The files beside the document of that kind (relative names), then those the document names.
std::vector<std::string> filesOf(Database& database, ResourceKind kind);

struct Made {
    std::string text;  // the whole document
    std::string name;  // the new or renamed object's
};
// `document`: the text a save would write now; `cursor`: seconds; `beat`: seconds a beat lasts.
bool make(Database& database, const std::string& document, ObjectType type, float cursor, float beat, Made* made,
          std::string* why);
bool copy(const std::string& document, const std::string& name, Made* made, std::string* why);
bool rename(const std::string& document, const std::string& from, const std::string& to, Made* made, std::string* why);
bool remove(const std::string& document, const std::string& name, Made* made, std::string* why);
// A number as a document writes it: as short as it reads back the same.
std::string numberText(float value);

}  // namespace ObjectActions
