#include "database/Database.h"

#include "resources/NearNames.h"
#include "resources/ResourceFolder.h"
#include "database/DocumentCheck.h"
#include "database/TypeRegistry.h"

#include <tinyxml.h>

#include <algorithm>
#include <map>
#include <set>
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

// The whole file, when it is a readable regular file.
bool readWhole(const char* fileName, std::string* text) {
    const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    text->clear();
    char buffer[65536];
    while (read) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) read = false;
        if (got <= 0) break;
        text->append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return read;
}

std::string keyword(ObjectType type) {
    const char* text = keywordOf(type);
    return text ? text : "object";
}

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
    int child = 0;
    for (TiXmlElement* element = demo->FirstChildElement(); element; element = element->NextSiblingElement(), ++child) {
        const char* name = element->Attribute("name");
        if (name == nullptr) continue;
        DatabaseEntry& entry = entries.emplace_back();
        entry.element = element;
        entry.child = child;
        entry.name = name;
        entry.index = static_cast<int>(entries.size()) - 1;
        if (entry.name == "Main") mainEntry = &entry;
        if (entry.name == "Music") musicEntry = &entry;
    }
    return true;
}

Object* Database::objectFor(DatabaseEntry& entry, ObjectType type) {
    if (loadingEntries.empty()) problems.clear();  // a new request from outside
    if (entry.object) {
        if (entry.loading) entry.handedOutLoading = true;
        Object* object = entry.object->castTo(type);
        if (object == nullptr) noteProblem(describe(entry.element) + ": not a " + keyword(type));
        return object;
    }
    if (loadNesting >= maxLoadNesting) {
        noteProblem(describe(entry.element) + ": references nested too deeply");
        return nullptr;
    }
    const ObjectType created = typeFromKeyword(entry.element->Value());
    entry.object = factory(created, this);
    if (!entry.object) {
        noteProblem(describe(entry.element) + (created == TypeNone ? ": unknown type" : ": abstract type, no object"));
        return nullptr;
    }

    // Stored before load, so a reference back to this entry finds the object instead of recursing.
    entry.loading = true;
    entry.handedOutLoading = false;
    entry.resourceFailed = false;
    entry.references.clear();  // a rebuild records what this load asks for, not the last one's too
    const std::size_t tolerated = problems.size();
    loadingEntries.push_back(&entry);
    ++loadNesting;
    bool loaded = entry.object->load(entry.element);
    --loadNesting;
    loadingEntries.pop_back();
    entry.loading = false;
    if (loaded) {
        problems.resize(tolerated);  // whatever the load could do without is no problem
        entry.savedForm = saveForm(entry);
        Object* object = entry.object->castTo(type);
        if (object == nullptr) noteProblem(describe(entry.element) + ": not a " + keyword(type));
        return object;
    }

    if (entry.resourceFailed) {
        // resource() has said why, on this object's own line
    } else if (problems.size() == tolerated) {
        explainOwnFailure(entry);  // nothing it asked for failed: the cause is in its own element
    } else {
        noteProblem(describe(entry.element) + ": cannot be loaded");
    }
    if (entry.handedOutLoading) {
        retired.push_back(std::move(entry.object));
    }
    entry.object.reset();
    return nullptr;
}

Object* Database::find(const char* name, ObjectType type) {
    if (name == nullptr) return nullptr;
    for (DatabaseEntry& entry : entries) {
        if (entry.name != name) continue;
        if (!loadingEntries.empty()) loadingEntries.back()->references.push_back(&entry);
        return objectFor(entry, type);
    }
    if (loadingEntries.empty()) noteMissing(name, type);
    else noteProblem(describe(loadingEntries.back()->element) + ": no object named \"" + name + "\"" + nearestOf(name));
    return nullptr;
}

void Database::leaveOut(const TiXmlElement* group, const char* item) {
    leftOutItems.push_back(describe(group) + ": item \"" + item + "\" does not load and is left out");
}

std::vector<const TiXmlElement*> Database::loadingChainFrom(const Object* object) const {
    std::vector<const TiXmlElement*> chain;
    bool inside = false;  // an entry loads at most once at a time, so it appears once
    for (const DatabaseEntry* entry : loadingEntries) {
        inside = inside || entry->object.get() == object;
        if (inside) chain.push_back(entry->element);
    }
    return chain;
}

std::vector<Object*> Database::referencesOf(const Object* object) const {
    std::vector<Object*> found;
    for (const DatabaseEntry& entry : entries) {
        if (object == nullptr || entry.object.get() != object) continue;
        for (const DatabaseEntry* reference : entry.references)
            if (reference->object) found.push_back(reference->object.get());
    }
    return found;
}

std::string Database::describe(const TiXmlElement* element) const {
    return describe(element, element->Row());
}

std::string Database::describe(const TiXmlElement* element, int line) const {
    std::string text = sourceName.empty() && document ? document->Value() : sourceName;
    text += (text.empty() ? "line " : ":") + std::to_string(line) + ": " + element->Value();
    if (const char* name = element->Attribute("name")) text += std::string(" \"") + name + "\"";
    return text;
}

void Database::noteProblem(std::string text) {
    problems.push_back(std::move(text));
}

void Database::noteMissing(const char* name, ObjectType type) {
    if (loadingEntries.empty()) problems.clear();  // a new request from outside
    noteProblem(std::string(name) + ": no " + keyword(type) + " of that name" + nearestOf(name));
}

std::string Database::nearestOf(const char* name) const {
    std::vector<std::string> names;
    for (const DatabaseEntry& entry : entries) names.push_back(entry.name);
    return didYouMean(nearestNames(name, names));
}

void Database::explainOwnFailure(const DatabaseEntry& entry) {
    // The document checker's findings on this element and its children, if it has any; it reads
    // the resources too, so a picture that does not decode says why.
    const TiXmlElement* next = entry.element->NextSiblingElement();
    const int first = entry.element->Row();
    const int last = next ? std::max(first, next->Row()) : INT_MAX;  // the next element's line may be shared
    const std::size_t before = problems.size();
    if (document != nullptr) {
        for (const DocumentProblem& problem : DocumentCheck::check(*document, files.get(), files.get())) {
            if (problem.object == entry.name && problem.line >= first && problem.line <= last)
                noteProblem(describe(entry.element, problem.line) + ": " + problem.message);
        }
    }
    if (problems.size() == before) noteProblem(describe(entry.element) + ": cannot be loaded");
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

const char* Database::keywordAt(int index) const {
    const DatabaseEntry* entry = entryAt(index);
    return entry && entry->element ? entry->element->Value() : nullptr;
}

std::string Database::elementText(int index) const {
    const DatabaseEntry* entry = entryAt(index);
    if (!entry || !entry->element) return std::string();
    TiXmlPrinter printer;
    entry->element->Accept(&printer);
    return printer.Str();
}

int Database::indexOf(const Object* object) const {
    if (!object) return -1;
    for (const DatabaseEntry& entry : entries)
        if (entry.object.get() == object) return entry.index;
    return -1;
}

Object* Database::objectAt(int index) {
    DatabaseEntry* entry = entryAt(index);
    return entry ? objectFor(*entry, TypeObject) : nullptr;
}

Object* Database::root(ObjectType type) {
    if (mainEntry) return objectFor(*mainEntry, type);
    noteMissing("Main", type);
    return nullptr;
}

Object* Database::music(ObjectType type) {
    if (musicEntry) return objectFor(*musicEntry, type);
    noteMissing("Music", type);
    return nullptr;
}

bool Database::save() {
    if (document == nullptr) return false;
    return saveAs(document->Value());
}

const char* Database::fileName() const { return document ? document->Value() : ""; }

bool Database::saveAs(const char* fileName) {
    error.clear();
    refusedForChange = false;
    if (document == nullptr || fileName == nullptr || *fileName == '\0') return failSave("no file to save to");
    const bool own = std::strcmp(fileName, document->Value()) == 0;
    if (own && diskKnown) {
        std::string now;
        if (readWhole(fileName, &now) && now != onDisk && now != seenOnDisk) {
            refusedForChange = true;
            return failSave(std::string(fileName) + ": changed on disk since it was loaded or saved; not saved over");
        }
    }
    std::string written;
    if (!compose(&written)) return false;
    if (!writeTo(fileName, written)) return false;
    if (own) {
        for (DatabaseEntry& entry : entries) {
            if (entry.object) entry.savedForm = saveForm(entry);
            entry.overridden = false;  // the text holds it now
            entry.override.clear();
        }
        text = written;
        spans = composedSpans;
        // The whole document printed: its own printing matches it from now on.
        if (!spansKnown) spansKnown = matchElementSpans(text, *document, &spans);
        setDiskText(written);
        lastSavedText = std::move(written);
        ++saves;
    }
    return true;
}

bool Database::failSave(std::string why) {
    error = std::move(why);
    return false;
}

void Database::setText(std::string parsed) {
    text = std::move(parsed);
    spansKnown = document != nullptr && matchElementSpans(text, *document, &spans);
}

void Database::setDiskText(std::string fileText) {
    onDisk = std::move(fileText);
    seenOnDisk.clear();
    diskKnown = true;
}

bool Database::acceptChangeOnDisk() {
    return document != nullptr && readWhole(document->Value(), &seenOnDisk);
}

bool Database::compose(std::string* out) {
    for (DatabaseEntry& entry : entries) {
        if (entry.object && !entry.object->save(entry.element))
            return failSave(describe(entry.element) + ": its object cannot be saved; nothing written");
    }
    if (!spansKnown) {
        TiXmlPrinter printer;
        printer.SetIndent("    ");
        printer.SetLineBreak("\n");
        if (!document->Accept(&printer)) return failSave("the document cannot be printed");
        out->assign(printer.CStr(), printer.Size());
        return true;
    }
    // Only the elements of edited objects are printed; every other byte stays as it was.
    std::vector<const TiXmlElement*> edited(spans.children.size(), nullptr);
    std::vector<const std::string*> replaced(spans.children.size(), nullptr);
    for (const DatabaseEntry& entry : entries) {
        if (static_cast<std::size_t>(entry.child) >= spans.children.size()) continue;
        if (entry.object && printElement(*entry.element) != entry.savedForm)
            edited[static_cast<std::size_t>(entry.child)] = entry.element;
        else if (entry.overridden)
            replaced[static_cast<std::size_t>(entry.child)] = &entry.override;
    }
    out->clear();
    out->reserve(text.size() + 256);
    composedSpans = ElementSpans();
    std::size_t from = 0;
    for (std::size_t i = 0; i < spans.children.size(); ++i) {
        const ElementSpan& span = spans.children[i];
        out->append(text, from, span.begin - from);
        ElementSpan placed;
        placed.begin = out->size();
        if (edited[i]) out->append(printInPlace(*edited[i], text, span.begin));
        else if (replaced[i]) out->append(*replaced[i]);
        else out->append(text, span.begin, span.end - span.begin);
        placed.end = out->size();
        composedSpans.children.push_back(placed);
        from = span.end;
    }
    composedSpans.contentEnd = out->size() + (spans.contentEnd - from);
    out->append(text, from, std::string::npos);
    return true;
}

void Database::setFolder(std::shared_ptr<ResourceFolder> folder) {
    files = std::move(folder);
}

ResourceData Database::resource(const char* name) {
    std::string why;
    ResourceData data = loadResource(name, files.get(), &why);
    if (!data && !loadingEntries.empty()) {
        DatabaseEntry* entry = loadingEntries.back();
        if (!entry->resourceFailed) noteProblem(describe(entry->element) + ": " + why);
        entry->resourceFailed = true;
    }
    return data;
}

std::string Database::saveForm(const DatabaseEntry& entry) const {
    // Saved into a copy: the document itself changes only when it is really saved.
    TiXmlElement copy(*entry.element);
    if (!entry.object || !entry.object->save(&copy)) return std::string();
    TiXmlPrinter printer;
    copy.Accept(&printer);
    return printer.Str();
}

bool Database::hasUnsavedEdits() const {
    if (diskKnown && text != onDisk) return true;  // a merge holds edits of the objects' elements
    for (const DatabaseEntry& entry : entries) {
        if (entry.object && !entry.loading && saveForm(entry) != entry.savedForm) return true;
        if (entry.overridden && entry.override != originalText(entry)) return true;
    }
    return false;
}

std::string Database::originalText(const DatabaseEntry& entry) const {
    if (!spansKnown || static_cast<std::size_t>(entry.child) >= spans.children.size()) return std::string();
    const ElementSpan& span = spans.children[static_cast<std::size_t>(entry.child)];
    return text.substr(span.begin, span.end - span.begin);
}

std::string Database::currentElementText(int index) {
    DatabaseEntry* entry = entryAt(index);
    if (!entry || !entry->element) return std::string();
    TiXmlElement copy(*entry->element);
    const bool edited = entry->object && entry->object->save(&copy) && printElement(copy) != entry->savedForm;
    if (!edited && entry->overridden) return entry->override;
    if (!edited && spansKnown) return originalText(*entry);
    if (spansKnown) return printInPlace(copy, text, spans.children[static_cast<std::size_t>(entry->child)].begin);
    TiXmlPrinter printer;
    copy.Accept(&printer);
    return printer.Str();
}

namespace {

// The words of an element's and its children's attribute values (a name, or "@name" as the name),
// leaving out its own name: every name it could refer to.
void wordsOf(const TiXmlElement* element, std::vector<std::string>* words) {
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
        if (std::strcmp(a->Name(), "name") == 0) continue;
        const std::string& value = a->ValueStr();
        words->push_back(value);
        std::size_t at = 0;
        while (at < value.size()) {
            std::size_t begin = value.find_first_not_of(" \t\n", at);
            if (begin == std::string::npos) break;
            std::size_t end = value.find_first_of(" \t\n", begin);
            if (end == std::string::npos) end = value.size();
            if (value[begin] == '@') ++begin;
            if (end - begin != value.size()) words->push_back(value.substr(begin, end - begin));
            at = end;
        }
    }
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
        wordsOf(child, words);
}

}  // namespace

Database::Replaced Database::replaceElement(int index, const std::string& elementText, std::string* why) {
    DatabaseEntry* edited = entryAt(index);
    TiXmlElement* demo = document ? document->FirstChildElement("demo") : nullptr;
    if (!edited || !edited->element || !demo) {
        *why = "no such object";
        return Replaced::Refused;
    }
    TiXmlDocument parsed;
    DocumentProblem parseProblem;
    if (!DocumentCheck::parse(elementText, parsed, &parseProblem)) {
        *why = edited->name + ": " + parseProblem.message;
        return Replaced::Refused;
    }
    const TiXmlElement* given = parsed.RootElement();
    const char* givenName = given ? given->Attribute("name") : nullptr;
    if (!given || given->NextSiblingElement() || !givenName || edited->name != givenName) {
        *why = edited->name + ": the text must be one element of that name";
        return Replaced::Refused;
    }

    // The edited entry and every entry that reaches it through names, to a fixed point.
    std::vector<DatabaseEntry*> affected{edited};
    std::map<std::string, std::vector<DatabaseEntry*>> referrers;  // by each word of their values
    std::vector<std::string> words;
    for (DatabaseEntry& entry : entries) {
        words.clear();
        wordsOf(entry.element, &words);
        for (const std::string& word : words) referrers[word].push_back(&entry);
    }
    std::set<const DatabaseEntry*> reached{edited};
    for (std::size_t i = 0; i < affected.size(); ++i) {
        const auto found = referrers.find(affected[i]->name);
        if (found == referrers.end()) continue;
        for (DatabaseEntry* entry : found->second)
            if (reached.insert(entry).second) affected.push_back(entry);
    }
    for (const DatabaseEntry* entry : affected)
        if (entry == musicEntry) return Replaced::Reload;  // the clock of everything on screen

    // The checker's findings that the new text brings are values its object cannot use; those it
    // had before do not stop an edit (which may be mending another).
    auto findings = [&] {
        std::vector<std::string> messages;
        for (const DocumentProblem& problem : DocumentCheck::checkOne(*document, edited->element, files.get()))
            messages.push_back(problem.message);
        return messages;
    };
    std::vector<std::string> before = findings();
    TiXmlElement* old = edited->element;
    TiXmlNode* placedNode = demo->InsertAfterChild(old, *given);
    TiXmlElement* placed = placedNode ? placedNode->ToElement() : nullptr;
    if (!placed) {
        *why = edited->name + ": the element cannot be placed";
        return Replaced::Refused;
    }
    // The old element leaves the document now (its copy stays to put back): the checks see one element of the name.
    std::unique_ptr<TiXmlNode> oldCopy(old->Clone());
    demo->RemoveChild(old);
    old = nullptr;
    edited->element = placed;

    // What the checker finds in the new element is a value its object cannot use.
    std::vector<std::string> found;
    for (std::string& message : findings()) {
        const auto was = std::find(before.begin(), before.end(), message);
        if (was != before.end()) before.erase(was);
        else found.push_back(std::move(message));
    }

    struct Kept {
        DatabaseEntry* entry;
        std::unique_ptr<Object> object;
        std::string savedForm;
    };
    std::vector<Kept> kept;
    for (DatabaseEntry* entry : affected) {
        // Their edits not yet saved go into their elements first, so the new objects keep them.
        if (entry->object && entry != edited) entry->object->save(entry->element);
        kept.push_back({entry, std::move(entry->object), entry->savedForm});
    }
    bool loaded = found.empty();
    problems.clear();
    for (Kept& k : kept) {
        if (!loaded) break;
        if (k.entry != edited && !k.object) continue;  // never asked for: it loads when it is
        loaded = objectFor(*k.entry, TypeObject) != nullptr;
    }
    if (!loaded) {
        if (found.empty()) found = problems.empty() ? std::vector<std::string>{"cannot be loaded"} : problems;
        *why = found.front();
        if (found.front().find(edited->name) == std::string::npos) *why = edited->name + ": " + found.front();
        for (Kept& k : kept) {
            if (k.entry->object) retired.push_back(std::move(k.entry->object));  // may have been handed out
            k.entry->object = std::move(k.object);
            k.entry->savedForm = k.savedForm;
        }
        TiXmlNode* back = demo->InsertBeforeChild(placed, *oldCopy);
        edited->element = back ? back->ToElement() : nullptr;
        demo->RemoveChild(placed);
        return Replaced::Refused;
    }
    for (Kept& k : kept) {
        // A referrer keeps what counted as its unsaved edits; the edited element's text is its base.
        if (k.entry != edited && k.entry->object) k.entry->savedForm = k.savedForm;
        if (k.object) retired.push_back(std::move(k.object));  // panels and pointers may still show them
    }
    edited->overridden = true;
    edited->override = elementText;
    problems.clear();
    ++rebuilds;
    return Replaced::Done;
}

void Database::deleteObjects() {
    for (DatabaseEntry& entry : entries) entry.object.reset();
    retired.clear();
    problems.clear();
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
bool Database::writeTo(const char* fileName, const std::string& written) {
    const auto failed = [&](const char* what) {
        return failSave(std::string(fileName) + ": not saved: " + what + (errno ? std::string(": ") + std::strerror(errno) : ""));
    };
    // Write through a symbolic link to the file it names, and keep an existing file's mode.
    std::string target = fileName;
    mode_t mode = 0666 & ~[] { mode_t m = umask(0); umask(m); return m; }();
    struct stat info {};
    if (::stat(fileName, &info) == 0) {
        errno = 0;
        if (!S_ISREG(info.st_mode)) return failed("not a regular file");
        mode = info.st_mode & 07777;
        char resolved[PATH_MAX];
        if (::realpath(fileName, resolved) != nullptr) target = resolved;
    }

    std::string temporary = target + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return failed("no new file can be made beside it");
    errno = 0;
    bool complete = writeAll(fd, written.data(), written.size()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    complete = (::close(fd) == 0) && complete;
    if (!complete) {
        ::unlink(temporary.c_str());
        errno = writeError ? writeError : errno;
        return failed("writing failed");
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        errno = renameError;
        return failed("it cannot be replaced");
    }
    return true;
}
