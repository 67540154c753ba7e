// LoadedDocument: one loaded version of the demo document and everything made from it: the parsed
// document, the database with its objects, the user interface over them and the music that is the
// clock. A reload builds a whole new one and swaps it in; the old one goes as a whole.
#pragma once

#include <memory>

class Database;
class Gui;
class Music;
class TiXmlDocument;

struct LoadedDocument {
    LoadedDocument();
    ~LoadedDocument();  // the interface, then the objects, then the document
    LoadedDocument(const LoadedDocument&) = delete;
    LoadedDocument& operator=(const LoadedDocument&) = delete;
    void swap(LoadedDocument& other) noexcept;  // whole versions change places; nothing is destroyed

    std::unique_ptr<TiXmlDocument> document;
    std::unique_ptr<Database> database;
    std::unique_ptr<Gui> gui;
    Music* music = nullptr;  // not owned: the database's "Music"
};
