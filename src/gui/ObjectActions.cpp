#include "gui/ObjectActions.h"

#include "database/Database.h"
#include "database/DocumentEdit.h"
#include "database/TypeRegistry.h"
#include "resources/ResourceFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace ObjectActions {

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool hasKind(const std::string& file, ResourceKind kind) {
    const std::string name = lower(file);
    auto ends = [&](const char* end) {
        const std::string e = end;
        return name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0;
    };
    switch (kind) {
    case ResourceKind::Picture: return ends(".png") || ends(".jpg") || ends(".jpeg");
    case ResourceKind::Mesh: return ends(".x");
    case ResourceKind::Music: return ends(".ogg");
    }
    return false;
}

// The base of a new object's name: its type's last word, capitalised ("visual.overlay": "Overlay").
std::string baseName(ObjectType type) {
    std::string keyword = keywordOf(type);
    std::string word = keyword.substr(keyword.rfind('.') + 1);
    if (type == TypePathSpline) word = "path";
    if (type == TypeModelX) word = "mesh";
    if (!word.empty()) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    return word;
}

std::string first(const std::vector<std::string>& names) { return names.empty() ? std::string() : names.front(); }

std::string attributeText(const char* name, const std::string& value) {
    return value.empty() ? std::string() : std::string(" ") + name + "=\"" + value + "\"";
}

}  // namespace

std::vector<ObjectType> makeableTypes() {
    return {TypeVisualOverlay, TypeVisualScene, TypeVisualGroup,  TypeModelGroup,   TypeModelX,       TypeModelTeapot,
            TypeModelQuad,     TypeModelIsland, TypeModelSea,     TypeModelCloud,   TypeModelStars,   TypeModelOptimus,
            TypeModelBoing,    TypeModelHat,    TypeModelArrow,   TypeModelSky,     TypeModelSwish,   TypeModelAirship,
            TypeTextureFile,   TypeTextureTarget, TypeTextureCloud, TypeTextureArt, TypePathSpline,   TypeFloat};
}

bool inFamily(ObjectType type, ObjectType family) {
    switch (family) {
    case TypeObject: return type != TypeNone;
    case TypeModel: return type >= TypeModel && type <= TypeModelX;
    case TypePath: return type == TypePath || type == TypePathSpline;
    case TypeTexture: return type >= TypeTexture && type <= TypeTextureTarget;
    case TypeVisual: return type >= TypeVisual && type <= TypeVisualScene;
    default: return type == family;
    }
}

std::vector<std::string> objectsOf(Database& database, ObjectType family) {
    std::vector<std::string> names;
    for (int i = 0; i < database.count(); ++i)
        if (inFamily(typeFromKeyword(database.keywordAt(i)), family)) names.push_back(database.nameAt(i));
    return names;
}

std::vector<std::string> filesOf(Database& database, ResourceKind kind) {
    std::vector<std::string> files;
    if (const ResourceFolder* folder = database.folder()) {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path root = folder->path();
        // The folder and the folders in it, one level down (resources/ and the like).
        for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
            if (it.depth() > 1) it.disable_recursion_pending();
            if (!it->is_regular_file(error)) continue;
            const std::string name = fs::relative(it->path(), root, error).generic_string();
            if (!error && hasKind(name, kind)) files.push_back(name);
        }
        std::sort(files.begin(), files.end());
        for (const std::string& name : folder->names())  // the linked ones the document names
            if (hasKind(name, kind) && std::find(files.begin(), files.end(), name) == files.end()) files.push_back(name);
    }
    return files;
}

std::string numberText(float value) {
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) break;
    }
    return text;
}

bool make(Database& database, const std::string& document, ObjectType type, float cursor, float beat, Made* made,
          std::string* why) {
    const char* keyword = keywordOf(type);
    if (!keyword) return false;
    made->name = DocumentEdit::uniqueName(document, baseName(type));
    std::string extra;  // an element the new one needs (a texture for its picture)
    std::string attributes;
    switch (type) {
    case TypeVisualOverlay: {
        // At the cursor for four bars, with the first picture.
        std::string texture = first(objectsOf(database, TypeTexture));
        if (texture.empty()) {
            const std::string picture = first(filesOf(database, ResourceKind::Picture));
            if (picture.empty()) {
                *why = "no picture beside the document for the overlay";
                return false;
            }
            texture = DocumentEdit::uniqueName(document, made->name + "Picture");
            extra = "<texture.file name=\"" + texture + "\" resource=\"" + picture + "\" />";
        }
        attributes = " texture=\"" + texture + "\" start=\"" + numberText(cursor) + "\" stop=\"" +
                     numberText(cursor + 16.0f * beat) + "\"";
        break;
    }
    case TypeVisualScene: {
        std::string model;
        for (int i = 0; i < database.count() && model.empty(); ++i)
            if (typeFromKeyword(database.keywordAt(i)) == TypeModelGroup) model = database.nameAt(i);
        if (model.empty()) model = first(objectsOf(database, TypeModel));
        attributes = attributeText("model", model) + attributeText("camera", first(objectsOf(database, TypePath)));
        break;
    }
    case TypeModelGroup: attributes = " size=\"300\""; break;
    case TypeModelX: attributes = attributeText("resource", first(filesOf(database, ResourceKind::Mesh))); break;
    case TypeTextureFile: attributes = attributeText("resource", first(filesOf(database, ResourceKind::Picture))); break;
    case TypeModelTeapot: attributes = attributeText("texture", first(objectsOf(database, TypeTexture))); break;
    case TypeModelBoing:
    case TypeModelHat: attributes = attributeText("model", first(objectsOf(database, TypeModel))); break;
    case TypeModelArrow: attributes = attributeText("path", first(objectsOf(database, TypePath))); break;
    case TypeTextureTarget: attributes = attributeText("visual", first(objectsOf(database, TypeVisualScene))); break;
    case TypeTextureCloud: attributes = " seed=\"1\""; break;
    case TypeFloat: attributes = " value=\"0\""; break;
    default: break;
    }
    std::string element = "<" + std::string(keyword) + " name=\"" + made->name + "\"" + attributes;
    if (type == TypePathSpline)
        element += ">\n        <key p=\"0 0 -500 0 0 0\" tcb=\"0 0 0\" t=\"" + numberText(cursor) + "\" />\n    </path.spline>";
    else
        element += " />";
    made->text = document;
    if ((!extra.empty() && !DocumentEdit::append(&made->text, extra)) || !DocumentEdit::append(&made->text, element)) {
        *why = "the document cannot be read element by element";
        return false;
    }
    return true;
}

bool copy(const std::string& document, const std::string& name, Made* made, std::string* why) {
    const std::string element = DocumentEdit::element(document, name);
    if (element.empty()) {
        *why = "no object named \"" + name + "\"";
        return false;
    }
    made->name = DocumentEdit::uniqueName(document, name + " copy");
    made->text = document;
    if (!DocumentEdit::append(&made->text, DocumentEdit::withAttribute(element, "name", &made->name))) {
        *why = "the document cannot be read element by element";
        return false;
    }
    return true;
}

bool rename(const std::string& document, const std::string& from, const std::string& to, Made* made, std::string* why) {
    if (to.empty() || to.find_first_of("\"<>&@") != std::string::npos || std::isspace(static_cast<unsigned char>(to.front())) ||
        std::isspace(static_cast<unsigned char>(to.back()))) {
        *why = "\"" + to + "\" cannot be a name";
        return false;
    }
    if (to == from) return false;
    if (!DocumentEdit::element(document, to).empty()) {
        *why = "\"" + to + "\" is the name of another object";
        return false;
    }
    if (from == "Main" || from == "Music") {
        *why = "\"" + from + "\" is the name the player looks for";
        return false;
    }
    made->text = DocumentEdit::renamed(document, from, to);
    made->name = to;
    return true;
}

bool remove(const std::string& document, const std::string& name, Made* made, std::string* why) {
    if (name == "Main" || name == "Music") {
        *why = "\"" + name + "\" is what the player plays";
        return false;
    }
    made->text = document;
    if (!DocumentEdit::removed(&made->text, name, why)) return false;
    made->name.clear();
    return true;
}

}  // namespace ObjectActions
