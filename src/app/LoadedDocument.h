// LoadedDocument: one loaded version of the demo document and everything made from it: its text,
// the parsed document, the files beside it, the database with its objects, the user interface over
// them and the music that is the clock. A reload builds a whole new one and swaps it in; the old
// one goes as a whole. DocumentLoader builds it.
#pragma once

#include <memory>
#include <string>
#include <vector>

class Database;
class Gui;
class Music;
class ResourceFolder;
class TiXmlDocument;

struct LoadedDocument {
    LoadedDocument();
    ~LoadedDocument();  // the interface, then the objects, then the document
    LoadedDocument(const LoadedDocument&) = delete;
    LoadedDocument& operator=(const LoadedDocument&) = delete;
    void swap(LoadedDocument& other) noexcept;  // whole versions change places; nothing is destroyed

    std::string text;  // as read
    std::unique_ptr<TiXmlDocument> document;
    std::shared_ptr<ResourceFolder> folder;  // files beside a -d document; shared with the database
    std::unique_ptr<Database> database;
    std::unique_ptr<Gui> gui;
    Music* music = nullptr;  // not owned: the database's "Music"
    std::vector<std::string> findings;  // what zodcheck finds in it, one line each, as printed
};
