// TypeRegistry: the 30 type keywords in byte order (checked at compile time against ObjectType),
// the bisection from an element tag to its type, and the factory of the concrete classes.
// createObject only constructs: nothing is read until the Database calls load.
#pragma once

#include "database/ObjectType.h"

#include <memory>

class Database;
class Object;

ObjectType typeFromKeyword(const char* tag);  // TypeNone for no keyword (or a null tag)
const char* keywordOf(ObjectType type);       // null outside 0..29
std::unique_ptr<Object> createObject(ObjectType type, Database* database);  // null for abstract types
