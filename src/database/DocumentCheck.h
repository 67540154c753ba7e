// DocumentCheck: reads a demo document the way the database would and lists every problem at once,
// each with its line and the name of the object it belongs to, without creating any object (no
// device is needed). Used by the zodcheck tool and by the player's start-up messages.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ResourceFolder;
class TiXmlDocument;
class TiXmlElement;

struct DocumentProblem {
    int line = 0;        // 1-based line of the element at fault; 0 when the document as a whole is
    std::string object;  // the name of the object concerned, empty when it has none
    std::string message;
};

class DocumentCheck {
public:
    // A parsed document (its elements keep their lines); resources are looked up in `folder`
    // first when there is one (a document given as a file). With a reader (the same folder) every
    // resource found is also read and decoded.
    static std::vector<DocumentProblem> check(const TiXmlDocument& document, const ResourceFolder* folder = nullptr,
                                              ResourceFolder* reader = nullptr);
    // One element of a parsed document, as check finds it among the others (the editor's edit).
    static std::vector<DocumentProblem> checkOne(const TiXmlDocument& document, const TiXmlElement* element,
                                                 const ResourceFolder* folder = nullptr);
    // A document's text, parsed here; a parse error is the one problem then.
    static std::vector<DocumentProblem> checkText(std::string_view text, const ResourceFolder* folder = nullptr,
                                                  ResourceFolder* reader = nullptr);
    // `text` parsed into `document` as every loader parses a document: a nesting deeper than any
    // real document is refused unparsed, and a text the parser refuses is explained (the element
    // left open and its line, not where the parser gave up). false with that one problem.
    static bool parse(std::string_view text, TiXmlDocument& document, DocumentProblem* problem);
    // A document file, read as the player's -d reads it, with the files beside it. With
    // readResources every picture, mesh and music it names is read and decoded as well.
    static std::vector<DocumentProblem> checkFile(const char* fileName, bool readResources = false);
    // "line 12: Space.Title: overlay stops before it starts", for printing; no line for a problem
    // of the whole document.
    static std::string describe(const DocumentProblem& problem);
    // The line every tool prints: "my.xml:line 12: Space.Title: ...", or "my.xml: ..." for a
    // problem of the whole document.
    static std::string format(const std::string& source, const DocumentProblem& problem);

private:
    DocumentCheck(const TiXmlElement* demo, const ResourceFolder* folder, ResourceFolder* reader);
    void run();
    void nameElements();
    void checkElement(const TiXmlElement* element);
    void checkObject(const TiXmlElement* element, int type, const std::string& name);
    void checkChildren(const TiXmlElement* element, int type, const std::string& name);
    // Attributes written "@Name": each may follow a float, and each name is a float.
    void checkDriven(const TiXmlElement* element, int type, const std::string& name);
    void checkReference(const TiXmlElement* element, const char* attribute, int requiredType, bool required,
                        const std::string& owner);
    void checkNamedReference(const TiXmlElement* element, const char* target, int requiredType, const std::string& owner,
                             const char* what);
    void checkResource(const TiXmlElement* element, int type, const std::string& owner);
    // Reads and decodes a resource as an object of `type` would; false with *problem if it would not load.
    bool readResource(const char* name, int type, std::vector<std::string>* pictures, std::string* problem);
    void report(const TiXmlElement* element, const std::string& object, std::string message);

    const TiXmlElement* demo;
    const ResourceFolder* folder;  // may be null
    ResourceFolder* reader;        // reads the resources it names when not null
    std::unordered_map<std::string, const TiXmlElement*> firstNamed;  // lookups take the first of a name
    std::vector<DocumentProblem> problems;
};
