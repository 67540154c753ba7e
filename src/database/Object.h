// Object: the polymorphic base of every database object. The Database alone creates and deletes
// objects; objects refer to each other through plain pointers and never delete one another.
// An object is told its element once in load and again in every save; it does not keep it.
#pragma once

#include "database/ObjectType.h"

class Database;
class TiXmlElement;
class Widget;

class Object {
public:
    explicit Object(Database* database) : database(database) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual Object* castTo(ObjectType type) = 0;   // itself when of that type, else null
    virtual Widget* getEditor() { return nullptr; }  // null: the editor shows "< No editor >"
    virtual bool load(TiXmlElement* element) { return true; }
    virtual bool save(TiXmlElement* element) { return true; }  // true leaves the element as loaded

    Database* const database;  // not owned; the database that created this object

protected:
    // The castTo rule of every concrete class: itself for "object", its family and its own type.
    Object* answerFor(ObjectType type, ObjectType family, ObjectType own) {
        return (type == TypeObject || type == family || type == own) ? this : nullptr;
    }
};
