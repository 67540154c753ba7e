// loadResource: the bytes of a named or numbered resource of the executable, used in place for the
// whole run (a file beside a document: shared, alive as long as any holder keeps them). Names match without regard to case ("Demo.xml" finds DEMO.XML). A missing resource or
// one of size 0 is a failure: data null, size 0.
// The resources a document names (music, pictures, meshes) all come through the three-argument
// form: with a folder (a -d document) a file of that name beside the document comes first.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

class ResourceFolder;

struct ResourceData {
    const unsigned char* data = nullptr;  // read-only; null on failure
    std::size_t size = 0;
    // What keeps the bytes of a file alive, whoever else lets go of them (the folder, the database);
    // none for a linked resource, which lives for the whole run.
    std::shared_ptr<const void> owner;
    explicit operator bool() const { return data != nullptr; }
};

// With a pack installed (resources/Pack.h), "Demo.xml" is its document and its files come first.
ResourceData loadResource(const char* name);
ResourceData loadResource(int number);
// A resource named by a document: from `folder` (may be null) when a file of that name is there,
// else linked. The bytes stay valid as long as the folder or the copy of the result. On failure
// *problem says why, in the words of the player's load messages ("the resource "x.png" is not
// carried by the executable", then the folder searched and the near names there: "and is not in
// /a/b; did you mean "X.png"?").
ResourceData loadResource(const char* name, ResourceFolder* folder, std::string* problem);
// The same lookup without reading: false with *problem when the name would not load.
bool resourceAvailable(const char* name, const ResourceFolder* folder, std::string* problem);
