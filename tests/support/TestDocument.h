// A demo document parsed from text in a test, with its database: objects are created on demand
// exactly as in the program.
#pragma once

#include "database/Database.h"

#include <tinyxml.h>

#include <memory>

class TestDocument {
public:
    explicit TestDocument(const char* text) {
        document.Parse(text);
        loaded = !document.Error() && database.load(&document);
    }
    ~TestDocument() { database.deleteObjects(); }

    template <class T>
    T* find(const char* name, ObjectType type) {
        return static_cast<T*>(database.find(name, type));
    }

    TiXmlDocument document;
    Database database;
    bool loaded = false;
};
