#include "database/Database.h"

#include "database/TypeRegistry.h"

#include <tinyxml.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A load reaches other entries through find, each load running inside the one that asked: a
// document whose references chain through more entries than this would exhaust the stack, so the
// reference that would go deeper finds nothing and the objects that asked fail to load.
constexpr int maxLoadNesting = 1000;  // real documents chain a few entries
thread_local int loadNesting = 0;     // loads running on this thread, one inside the other

}  // namespace

Database::Database() : factory(createObject) {}
Database::Database(Factory factory) : factory(factory ? factory : createObject) {}

Database::~Database() {
    deleteObjects();
}

bool Database::load(TiXmlDocument* doc) {
    document = doc;
    TiXmlElement* demo = doc ? doc->FirstChildElement("demo") : nullptr;
    if (demo == nullptr) return false;
    for (TiXmlElement* element = demo->FirstChildElement(); element; element = element->NextSiblingElement()) {
        const char* name = element->Attribute("name");
        if (name == nullptr) continue;
        DatabaseEntry& entry = entries.emplace_back();
        entry.element = element;
        entry.name = name;
        entry.index = static_cast<int>(entries.size()) - 1;
        if (entry.name == "Main") mainEntry = &entry;
        if (entry.name == "Music") musicEntry = &entry;
    }
    return true;
}

Object* Database::objectFor(DatabaseEntry& entry, ObjectType type) {
    if (entry.object) {
        if (entry.loading) entry.handedOutLoading = true;
        return entry.object->castTo(type);
    }
    if (loadNesting >= maxLoadNesting) return nullptr;
    entry.object = factory(typeFromKeyword(entry.element->Value()), this);
    if (!entry.object) return nullptr;

    // Stored before load, so a reference back to this entry finds the object instead of recursing.
    entry.loading = true;
    entry.handedOutLoading = false;
    ++loadNesting;
    bool loaded = entry.object->load(entry.element);
    --loadNesting;
    entry.loading = false;
    if (loaded) return entry.object->castTo(type);

    if (entry.handedOutLoading) {
        retired.push_back(std::move(entry.object));
    }
    entry.object.reset();
    return nullptr;
}

Object* Database::find(const char* name, ObjectType type) {
    if (name == nullptr) return nullptr;
    for (DatabaseEntry& entry : entries) {
        if (entry.name == name) return objectFor(entry, type);
    }
    return nullptr;
}

int Database::count() const {
    return static_cast<int>(entries.size());
}

DatabaseEntry* Database::entryAt(int index) {
    if (index < 0 || index >= count()) return nullptr;
    auto it = entries.begin();
    std::advance(it, index);
    return &*it;
}

const DatabaseEntry* Database::entryAt(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    auto it = entries.begin();
    std::advance(it, index);
    return &*it;
}

const char* Database::nameAt(int index) const {
    const DatabaseEntry* entry = entryAt(index);
    return entry ? entry->name.c_str() : nullptr;
}

Object* Database::objectAt(int index) {
    DatabaseEntry* entry = entryAt(index);
    return entry ? objectFor(*entry, TypeObject) : nullptr;
}

Object* Database::root(ObjectType type) {
    return mainEntry ? objectFor(*mainEntry, type) : nullptr;
}

Object* Database::music(ObjectType type) {
    return musicEntry ? objectFor(*musicEntry, type) : nullptr;
}

bool Database::save() {
    if (document == nullptr) return false;
    return saveAs(document->Value());
}

bool Database::saveAs(const char* fileName) {
    if (document == nullptr || fileName == nullptr || *fileName == '\0') return false;
    for (DatabaseEntry& entry : entries) {
        if (entry.object && !entry.object->save(entry.element)) return false;
    }
    return writeTo(fileName);
}

void Database::deleteObjects() {
    for (DatabaseEntry& entry : entries) entry.object.reset();
    retired.clear();
    mainEntry = nullptr;
    musicEntry = nullptr;
    entries.clear();
}

namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

// The text goes to a new file beside the target, which replaces the target only once it is
// complete: a full disk or a crash midway never leaves a truncated document behind.
bool Database::writeTo(const char* fileName) {
    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\n");
    if (!document->Accept(&printer)) return false;

    // Write through a symbolic link to the file it names, and keep an existing file's mode.
    std::string target = fileName;
    mode_t mode = 0666 & ~[] { mode_t m = umask(0); umask(m); return m; }();
    struct stat info {};
    if (::stat(fileName, &info) == 0) {
        if (!S_ISREG(info.st_mode)) return false;
        mode = info.st_mode & 07777;
        char resolved[PATH_MAX];
        if (::realpath(fileName, resolved) != nullptr) target = resolved;
    }

    std::string temporary = target + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    bool written = writeAll(fd, printer.CStr(), printer.Size()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
