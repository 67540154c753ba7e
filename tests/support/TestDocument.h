// A demo document parsed from text in a test, with its database: objects are created on demand
// exactly as in the program.
#pragma once

#include "database/Database.h"

#include <tinyxml.h>

#include <fstream>
#include <memory>
#include <string>

class TestDocument {
public:
    explicit TestDocument(const char* text) : source(text) {
        document.Parse(text);
        loaded = !document.Error() && database.load(&document);
    }
    ~TestDocument() { database.deleteObjects(); }

    template <class T>
    T* find(const char* name, ObjectType type) {
        return static_cast<T*>(database.find(name, type));
    }

    // The document as read from the file `path`, which now holds its text: saves go there and
    // keep the bytes of every element not edited.
    void placeIn(const std::string& path) {
        std::ofstream(path, std::ios::binary) << source;
        document.SetValue(path.c_str());
        database.setText(source);
    }

    std::string source;
    TiXmlDocument document;
    Database database;
    bool loaded = false;
};
