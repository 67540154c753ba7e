// AttributeTable: every attribute an element type reads, with the kind of value it takes, as the
// README's table of tags lists them: what the editor's property list offers for each type.
#pragma once

#include "database/ObjectType.h"

#include <vector>

enum class AttributeKind {
    Number,     // one number
    Numbers,    // several numbers separated by blanks
    Time,       // seconds of music
    Reference,  // the name of an object of a family
    Resource,   // the name of a file beside the document
    Colour,     // hexadecimal ARGB
    Flag,       // present or not
};

enum class ResourceKind { Picture, Mesh, Music };

struct AttributeInfo {
    const char* name;
    AttributeKind kind;
    ObjectType family = TypeObject;  // a reference's
    bool required = false;
    ResourceKind resource = ResourceKind::Picture;
};

// The attributes of an element of `type` (its own, not its items'), in the README's order.
std::vector<AttributeInfo> attributesOf(ObjectType type);
// The references of each item of a group of `type` (empty for other types).
std::vector<AttributeInfo> itemAttributesOf(ObjectType type);
