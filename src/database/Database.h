// Database: turns the demo document into objects, on demand. One entry per named child element of
// `demo`, in document order; entries are never moved or removed before shutdown, so the object
// pointers handed out stay valid until deleteObjects. "Main" and "Music" are the last elements of
// those names; find() takes the first entry with a name. An object whose load fails is deleted,
// unless a reference cycle handed it out during that load: then it is kept until deleteObjects so
// the pointer stays valid, and the entry counts as empty as usual. Why the last request from
// outside failed (file, line and object, cause first) stays readable in loadProblems(). A save keeps
// the document's text as it was read and rewrites only the elements of edited objects.
#pragma once

#include "resources/LoadResource.h"
#include "database/ElementSpans.h"
#include "database/Object.h"
#include "database/ObjectType.h"

#include <list>
#include <memory>
#include <string>
#include <vector>

class ResourceFolder;
class TiXmlDocument;
class TiXmlElement;

struct DatabaseEntry {
    std::unique_ptr<Object> object;  // owned; null until first requested, and after a failed load
    TiXmlElement* element = nullptr;  // not owned; lives in the document
    std::string name;
    int index = 0;  // position among the named elements, from 0
    bool loading = false;           // its object's load is running (a reference cycle may reach it)
    bool handedOutLoading = false;  // the loading object was given to an asker
    bool resourceFailed = false;    // its load failed on a resource, already explained
    std::string savedForm;          // what its save wrote when loaded or last saved to the document
    int child = 0;                  // its place among all child elements of `demo`, named or not
    std::vector<const DatabaseEntry*> references;  // the entries its loads asked for by name
    bool overridden = false;        // the editor gave the element a new text, not saved yet
    std::string override;           // that text, written in place of the element's bytes
};

class Database {
public:
    using Factory = std::unique_ptr<Object> (*)(ObjectType type, Database* database);

    Database();
    explicit Database(Factory factory);  // creates objects with another factory (tests)
    ~Database();

    bool load(TiXmlDocument* document);
    Object* find(const char* name, ObjectType type);  // name may be null: none
    int count() const;
    const char* nameAt(int index) const;
    const char* keywordAt(int index) const;  // the element's tag, whether or not it names a type
    // The entry's element as text, as last loaded or saved (edits not yet saved are not in it);
    // empty when there is no such entry. Two versions of a document compare their objects by it.
    std::string elementText(int index) const;
    int indexOf(const Object* object) const;  // the entry holding it; -1 when none does
    Object* objectAt(int index);  // required type 0
    Object* root(ObjectType type);   // the element named "Main"
    Object* music(ObjectType type);  // the element named "Music"
    bool save();
    bool saveAs(const char* fileName);
    const char* fileName() const;  // the document's own, which save writes; "" without a document
    void deleteObjects();
    Object* objectFor(DatabaseEntry& entry, ObjectType type);

    // The elements of the loads running from `object`'s own to the innermost, each asked for by the
    // one before; empty when `object` is not loading. A reference from the innermost load back to
    // `object` closes a cycle through exactly these.
    std::vector<const TiXmlElement*> loadingChainFrom(const Object* object) const;
    // The objects that `object`'s load asked for by name and that exist: what it may draw or show.
    std::vector<Object*> referencesOf(const Object* object) const;
    // The document's name in diagnostics; the document's own name unless set (a resource).
    void setSourceName(std::string name) { sourceName = std::move(name); }
    // "file:line: tag "name"" for an element of the document, as diagnostics name an object.
    std::string describe(const TiXmlElement* element) const;
    // Why the last request made from outside any load failed, cause first, one line each; empty
    // after a success. Failures that a successful load tolerated are not kept.
    const std::vector<std::string>& loadProblems() const { return problems; }
    // A render forced past its problems draws what loads: a group then leaves out an item that does
    // not load instead of failing whole, and the items left out are named here.
    void setLeavingOutBrokenItems(bool leave) { leaveOutBrokenItems = leave; }
    bool leavesOutBrokenItems() const { return leaveOutBrokenItems; }
    void leaveOut(const TiXmlElement* group, const char* item);
    const std::vector<std::string>& leftOut() const { return leftOutItems; }

    // Files beside a -d document; none: linked resources only. Shared with the loaded document;
    // bytes used in place (the music's) are kept by their users, whichever goes first.
    void setFolder(std::shared_ptr<ResourceFolder> files);
    ResourceFolder* folder() const { return files.get(); }
    // A resource this document names, asked for by the object now loading; a failure becomes
    // that object's load problem.
    ResourceData resource(const char* name);
    // Some created object would save differently than when it was loaded or last saved to the
    // document's own file: edits that saving has not written yet.
    bool hasUnsavedEdits() const;
    // The text last written to the document's own file, and how many such saves there were.
    const std::string& savedText() const { return lastSavedText; }
    unsigned saveCount() const { return saves; }

    // The text the document was parsed from, given after load and before any save: a save keeps
    // every byte of it except the elements of edited objects. Without it, or when it does not
    // match the document, a save prints the whole document.
    void setText(std::string text);
    // What the document's own file holds as far as the author has seen it. A save to that file
    // is refused while the file holds anything else: a change on disk nobody has seen is never
    // written over. Each save to the file sets it.
    void setDiskText(std::string text);
    // The author has seen what the file holds now and keeps the objects' version: the next save
    // may write over it. False when the file cannot be read.
    bool acceptChangeOnDisk();
    bool hasDiskText() const { return diskKnown; }
    const std::string& diskText() const { return onDisk; }
    // The text a save writes now, after every created object stored its state in its element;
    // false when one cannot (saveError says which).
    bool compose(std::string* text);
    // The editor's edit of one element: `elementText` (one element of the same name) takes the
    // place of the entry's element, and its object and every object that refers to it, directly or
    // through others, are built again by their loads; nothing else is touched. A save writes that
    // text as it is. Refused, with why and nothing changed, when the text is no such element or an
    // object cannot use it; Reload when it touches the music, which only a whole load rebuilds.
    enum class Replaced { Done, Refused, Reload };
    Replaced replaceElement(int index, const std::string& elementText, std::string* why);
    // The entry's element as a save would write it now (object edits and element edits included).
    std::string currentElementText(int index);
    // How many times objects were built again by replaceElement: holders of objects look again.
    unsigned rebuildCount() const { return rebuilds; }
    // Why the last save failed, one line naming the file; empty after a success.
    const std::string& saveError() const { return error; }
    // The last save was refused because the file changed on disk (see setDiskText).
    bool saveRefusedForChangeOnDisk() const { return refusedForChange; }

private:
    void noteProblem(std::string text);
    void noteMissing(const char* name, ObjectType type);  // no entry of that name
    std::string nearestOf(const char* name) const;        // "; did you mean ..." for a name not found, or ""
    void explainOwnFailure(const DatabaseEntry& entry);
    std::string describe(const TiXmlElement* element, int line) const;  // the object, at that line
    bool writeTo(const char* fileName, const std::string& text);
    bool failSave(std::string why);
    std::string saveForm(const DatabaseEntry& entry) const;
    std::string originalText(const DatabaseEntry& entry) const;  // its bytes in the text, if known
    DatabaseEntry* entryAt(int index);
    const DatabaseEntry* entryAt(int index) const;

    std::list<DatabaseEntry> entries;    // document order; a list so entries never move
    Factory factory;                     // createObject unless a test gives another
    TiXmlDocument* document = nullptr;   // not owned: the Application owns the document
    DatabaseEntry* musicEntry = nullptr;
    DatabaseEntry* mainEntry = nullptr;
    std::vector<std::unique_ptr<Object>> retired;  // failed loads someone may still point to; freed by deleteObjects
    std::vector<DatabaseEntry*> loadingEntries;    // the loads running, outermost first
    std::vector<std::string> problems;             // see loadProblems
    bool leaveOutBrokenItems = false;              // see setLeavingOutBrokenItems
    std::vector<std::string> leftOutItems;         // "file:line: group: item "x" ..." lines
    std::string sourceName;                        // empty: the document's own name
    std::shared_ptr<ResourceFolder> files;         // see setFolder
    std::string lastSavedText;                     // see savedText
    unsigned saves = 0;
    std::string text;                              // see setText
    ElementSpans spans;                            // demo's children in `text`
    bool spansKnown = false;                       // false: saves print the whole document
    ElementSpans composedSpans;                    // demo's children in the last composed text
    std::string onDisk;                            // see setDiskText: what `text` descends from
    std::string seenOnDisk;                        // see acceptChangeOnDisk
    bool diskKnown = false;
    std::string error;                             // see saveError
    bool refusedForChange = false;
    unsigned rebuilds = 0;                         // see rebuildCount
};
