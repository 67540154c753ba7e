#include "database/DocumentCheck.h"

#include "resources/DocumentText.h"
#include "resources/LoadResource.h"
#include "resources/NearNames.h"
#include "resources/ResourceFolder.h"
#include "database/DrivenAttributes.h"
#include "database/NumberCheck.h"
#include "database/ObjectType.h"
#include "database/ResourceContents.h"
#include "database/TypeRegistry.h"
#include "database/XmlNesting.h"
#include "database/XmlParseError.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

bool isAbstract(int type) {
    return type == TypeObject || type == TypeModel || type == TypePath || type == TypeTexture || type == TypeVisual;
}

int familyOf(int type) {
    if (type >= TypeModelAirship && type <= TypeModelX) return TypeModel;
    if (type == TypePathSpline) return TypePath;
    if (type >= TypeTextureArt && type <= TypeTextureTarget) return TypeTexture;
    if (type >= TypeVisualGroup && type <= TypeVisualScene) return TypeVisual;
    return type;
}

// What castTo answers for: the object itself, its family and "object".
bool answersTo(int concrete, int required) {
    return required == TypeObject || required == concrete || required == familyOf(concrete);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The child elements an element of this type reads; any other child is a misspelling.
const char* childTagOf(int type) {
    switch (type) {
    case TypeModelGroup:
    case TypeVisualGroup: return "item";
    case TypeFloat:
    case TypePathSpline: return "key";
    default: return nullptr;
    }
}

// A name-valued attribute and the type the referring object asks for.
struct Reference {
    int type;             // the referring element's type
    const char* attribute;
    int requiredType;
    bool required;        // the referring object cannot load without it
};

// Attributes of the object elements themselves (the lists of groups are checked per item).
constexpr Reference references[] = {
    {TypePathSpline, "preview", TypeObject, false},
    {TypeModelQuad, "texture", TypeTexture, false},
    {TypeModelIsland, "texture", TypeTexture, false},
    {TypeModelSea, "texture", TypeTexture, false},
    {TypeModelCloud, "texture", TypeTexture, false},
    {TypeModelStars, "texture", TypeTexture, false},
    {TypeModelBoing, "model", TypeModel, true},
    {TypeModelHat, "model", TypeModel, true},
    {TypeModelTeapot, "texture", TypeTexture, true},
    {TypeModelArrow, "path", TypePath, true},
    {TypeModelOptimus, "texture", TypeTexture, false},
    {TypeTextureTarget, "visual", TypeVisual, true},
    {TypeVisualOverlay, "texture", TypeTexture, true},
    {TypeVisualScene, "model", TypeModel, true},
    {TypeVisualScene, "camera", TypePath, true},
};

}  // namespace

DocumentCheck::DocumentCheck(const TiXmlElement* demo, const ResourceFolder* folder, ResourceFolder* reader)
    : demo(demo), folder(folder), reader(reader) {}

std::vector<DocumentProblem> DocumentCheck::check(const TiXmlDocument& document, const ResourceFolder* folder,
                                                  ResourceFolder* reader) {
    const TiXmlElement* demo = document.FirstChildElement("demo");
    if (demo == nullptr) return {{0, "", "the document has no demo element"}};
    DocumentCheck checker(demo, folder, reader);
    checker.run();
    return std::move(checker.problems);
}

std::vector<DocumentProblem> DocumentCheck::checkText(std::string_view text, const ResourceFolder* folder,
                                                      ResourceFolder* reader) {
    TiXmlDocument document;
    DocumentProblem problem;
    if (!parse(text, document, &problem)) return {problem};
    return check(document, folder, reader);
}

bool DocumentCheck::parse(std::string_view text, TiXmlDocument& document, DocumentProblem* problem) {
    // The parser recurses per level: a document nested deeper than any real one is refused unread.
    if (xmlNestingDepth(text) > maxXmlNesting) {
        *problem = {0, "", "elements nested too deeply"};
        return false;
    }
    // Line ends as the parser's own file reading leaves them (CR LF and CR become LF), so that a
    // document saved on another system keeps its values and its lines.
    std::string normal;
    normal.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            normal += text[i];
        } else {
            normal += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    document.Parse(normal.c_str());
    if (!document.Error()) return true;
    *problem = XmlParseError::explain(normal, document);
    return false;
}

std::vector<DocumentProblem> DocumentCheck::checkFile(const char* fileName, bool readResources) {
    std::string text, problem;
    if (!readDocumentText(fileName, &text, &problem)) return {{0, "", problem}};
    ResourceFolder folder(fileName);
    return checkText(text, &folder, readResources ? &folder : nullptr);
}

std::string DocumentCheck::describe(const DocumentProblem& problem) {
    // A problem of the whole document has no line to point to.
    std::string text = problem.line > 0 ? "line " + std::to_string(problem.line) + ": " : "";
    if (!problem.object.empty()) text += problem.object + ": ";
    return text + problem.message;
}

std::string DocumentCheck::format(const std::string& source, const DocumentProblem& problem) {
    return source + (problem.line > 0 ? ":" : ": ") + describe(problem);
}

void DocumentCheck::report(const TiXmlElement* element, const std::string& object, std::string message) {
    problems.push_back({element != nullptr ? element->Row() : 0, object, std::move(message)});
}

void DocumentCheck::nameElements() {
    for (const TiXmlElement* element = demo->FirstChildElement(); element; element = element->NextSiblingElement())
        if (const char* name = element->Attribute("name")) firstNamed.emplace(name, element);  // keeps the first
}

void DocumentCheck::checkElement(const TiXmlElement* element) {
    const char* tag = element->Value();
    int type = typeFromKeyword(tag);
    const char* name = element->Attribute("name");
    if (name == nullptr) {
        report(element, "", "<" + std::string(tag) + "> has no name, so nothing can use it");
        return;
    }
    std::string ownName = name;
    const TiXmlElement* first = firstNamed.at(ownName);
    if (first != element)
        report(element, ownName,
               "the name is already used on line " + std::to_string(first->Row()) +
                   "; references reach only that first one");
    if (type == TypeNone) {
        report(element, ownName, "unknown tag <" + std::string(tag) + ">");
        return;
    }
    if (isAbstract(type)) {
        report(element, ownName, "<" + std::string(tag) + "> is a family, not a type of object");
        return;
    }
    checkObject(element, type, ownName);
}

std::vector<DocumentProblem> DocumentCheck::checkOne(const TiXmlDocument& document, const TiXmlElement* element,
                                                     const ResourceFolder* folder) {
    const TiXmlElement* demo = document.FirstChildElement("demo");
    if (demo == nullptr || element == nullptr) return {};
    DocumentCheck checker(demo, folder, nullptr);
    checker.nameElements();
    checker.checkElement(element);
    return std::move(checker.problems);
}

void DocumentCheck::run() {
    nameElements();
    const TiXmlElement* main = nullptr;   // the last of each name designates, as in the database
    const TiXmlElement* music = nullptr;
    for (const TiXmlElement* element = demo->FirstChildElement(); element; element = element->NextSiblingElement()) {
        checkElement(element);
        const char* name = element->Attribute("name");
        if (name && std::string(name) == "Main") main = element;
        if (name && std::string(name) == "Music") music = element;
    }
    if (main == nullptr) {
        problems.push_back({0, "", "no element is named \"Main\": there is nothing to play"});
    } else if (familyOf(typeFromKeyword(main->Value())) != TypeVisual) {
        report(main, "Main", "\"Main\" must be a visual");
    }
    if (music == nullptr) {
        problems.push_back({0, "", "no element is named \"Music\": there is no music and no clock"});
    } else if (typeFromKeyword(music->Value()) != TypeMusic) {
        report(music, "Music", "\"Music\" must be a music element");
    }
}

void DocumentCheck::checkObject(const TiXmlElement* element, int type, const std::string& name) {
    for (const Reference& reference : references)
        if (reference.type == type)
            checkReference(element, reference.attribute, reference.requiredType, reference.required, name);
    NumberCheck::checkObject(element, type, name, &problems);
    checkChildren(element, type, name);
    checkDriven(element, type, name);

    switch (type) {
    case TypeMusic:
    case TypeModelX:
    case TypeTextureFile: checkResource(element, type, name); break;
    case TypeModelAirship:
        checkNamedReference(element, "Airship.x", TypeModel, name, "the hull");
        checkNamedReference(element, "Propeller.x", TypeModel, name, "the propeller");
        break;
    case TypeTextureTarget: {
        const char* size = element->Attribute("size");
        int edge = size != nullptr ? std::atoi(size) : 512;
        if (edge > 512)
            report(element, name, "size " + std::to_string(edge) + " is above 512, the largest render target");
        else if (edge < 1)
            report(element, name, "size " + std::to_string(edge) + " leaves no texels to draw into");
        break;
    }
    case TypeVisualOverlay: {
        const char* start = element->Attribute("start");
        const char* stop = element->Attribute("stop");
        if (start == nullptr) report(element, name, "the overlay has no start");
        if (stop == nullptr) report(element, name, "the overlay has no stop");
        if (start != nullptr && stop != nullptr && std::atof(stop) < std::atof(start))
            report(element, name, std::string("the overlay stops (") + stop + ") before it starts (" + start + ")");
        break;
    }
    default: break;
    }
}

void DocumentCheck::checkChildren(const TiXmlElement* element, int type, const std::string& name) {
    const char* childTag = childTagOf(type);
    bool keyBefore = false;
    double lastTime = 0.0;
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (childTag == nullptr || std::string(child->Value()) != childTag) {
            report(child, name, "unknown tag <" + std::string(child->Value()) + "> inside <" + element->Value() + ">");
            continue;
        }
        if (type == TypeVisualGroup) {
            checkReference(child, "visual", TypeVisual, true, name);
        } else if (type == TypeModelGroup) {
            checkReference(child, "model", TypeModel, true, name);
            checkReference(child, "path", TypePath, true, name);
        } else if (type == TypePathSpline || type == TypeFloat) {
            const char* t = child->Attribute("t");
            double time = t != nullptr ? std::atof(t) : 0.0;  // an absent time reads as 0
            if (keyBefore && time < lastTime)
                report(child, name, "key at " + std::to_string(time) + " s comes after a key at " +
                                        std::to_string(lastTime) + " s: keys must be in time order");
            keyBefore = true;
            lastTime = time;
            if (type == TypePathSpline) {
                NumberCheck::checkKey(child, name, &problems);
                continue;
            }
            NumberCheck::checkFloatKey(child, name, &problems);
            Ease ease;
            const char* easeText = child->Attribute("ease");
            if (easeText != nullptr && !easeFromName(easeText, ease))
                report(child, name, "ease " + quoted(easeText) + " is none of step, linear, smooth, ramp");
        }
    }
}

void DocumentCheck::checkDriven(const TiXmlElement* element, int type, const std::string& name) {
    const char* keyword = element->Value();
    for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next()) {
        const char* text = attribute->Value();
        if (std::string(attribute->Name()) == "name" || !namesFloat(text)) continue;
        const std::string start = std::string(attribute->Name()) + " " + quoted(text);
        if (!canBeDriven(keyword, attribute->Name())) {
            std::string can;
            for (int i = 0; i < drivenAttributeCount; ++i)
                if (std::string(drivenAttributes[i].type) == keyword)
                    can += (can.empty() ? "" : ", ") + std::string(drivenAttributes[i].attribute);
            report(element, name, start + " names a float, but the " + attribute->Name() + " of a " + keyword +
                                      " cannot follow one (" + (can.empty() ? "none of its attributes can" : "those that can: " + can) + ")");
            continue;
        }
        std::vector<std::string> words;
        for (const char* p = text; *p;) {
            while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
            const char* end = p;
            while (*end && !std::isspace(static_cast<unsigned char>(*end))) ++end;
            if (end != p) words.emplace_back(p, end);
            p = end;
        }
        if (type == TypeTextureTarget && words.size() != 4) {
            report(element, name, start + " holds " + std::to_string(words.size()) +
                                      " channels: a colour following floats takes four, a r g b, each 0 to 1");
            continue;
        }
        for (const std::string& word : words)
            if (word[0] == '@')
                checkNamedReference(element, word.c_str() + 1, TypeFloat, name,
                                    (std::string("the ") + attribute->Name() + "'s float").c_str());
    }
}

void DocumentCheck::checkReference(const TiXmlElement* element, const char* attribute, int requiredType,
                                   bool required, const std::string& owner) {
    const char* target = element->Attribute(attribute);
    if (target == nullptr) {
        if (required) report(element, owner, std::string("the ") + attribute + " attribute is missing");
        return;
    }
    checkNamedReference(element, target, requiredType, owner, (std::string("the ") + attribute).c_str());
}

void DocumentCheck::checkNamedReference(const TiXmlElement* element, const char* target, int requiredType,
                                        const std::string& owner, const char* what) {
    auto named = firstNamed.find(target);
    const TiXmlElement* found = named != firstNamed.end() ? named->second : nullptr;
    std::string start = std::string(what) + " " + quoted(target);
    if (found == nullptr) {
        std::vector<std::string> names;
        for (const auto& [known, knownElement] : firstNamed) names.push_back(known);
        std::sort(names.begin(), names.end());  // the map's order is no order for a message
        report(element, owner, start + " names no element" + didYouMean(nearestNames(target, names)));
        return;
    }
    int type = typeFromKeyword(found->Value());
    if (type == TypeNone || isAbstract(type)) {
        report(element, owner, start + " is a <" + found->Value() + ">, which cannot be created");
    } else if (!answersTo(type, requiredType)) {
        report(element, owner, start + " is a " + found->Value() + " where a " + keywordOf(static_cast<ObjectType>(requiredType)) +
                                   " is needed");
    }
}

void DocumentCheck::checkResource(const TiXmlElement* element, int type, const std::string& owner) {
    const char* resource = element->Attribute("resource");
    if (resource == nullptr) {
        report(element, owner, "the resource attribute is missing");
        return;
    }
    std::string problem;
    if (!resourceAvailable(resource, folder, &problem)) {
        report(element, owner, problem);
        return;
    }
    if (reader == nullptr) return;
    std::vector<std::string> pictures;
    if (!readResource(resource, type, &pictures, &problem)) {
        report(element, owner, problem);
        return;
    }
    // A picture a mesh names is a texture of the document or a file; without either its faces
    // are drawn untextured.
    for (const std::string& picture : pictures) {
        auto named = firstNamed.find(picture);
        if (named != firstNamed.end() && answersTo(typeFromKeyword(named->second->Value()), TypeTexture)) continue;
        if (!readResource(picture.c_str(), TypeTextureFile, nullptr, &problem))
            report(element, owner,
                   "the mesh " + quoted(resource) + ": " + problem + " (the faces that use it are drawn untextured)");
    }
}

bool DocumentCheck::readResource(const char* name, int type, std::vector<std::string>* pictures, std::string* problem) {
    const ResourceData data = loadResource(name, reader, problem);
    if (!data) return false;
    *problem = resourceContentProblem(type, name, data, pictures);
    return problem->empty();
}
