// Any bytes as the demo document, read as the application reads it (nesting check, TinyXML), then
// every entry's object asked for and saved back into a printer in memory. Only the objects whose
// load needs neither the device nor the audio output are created: numbers, spline paths, groups
// and overlays; every other type reads as an entry without an object. What was saved must parse
// again into the same entries.
#include "database/Database.h"
#include "database/TypeRegistry.h"
#include "database/XmlNesting.h"
#include "paths/PathSpline.h"
#include "paths/PathState.h"
#include "visuals/VisualGroup.h"

#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::unique_ptr<Object> deviceFree(ObjectType type, Database* database) {
    switch (type) {
    case TypeFloat:
    case TypePathSpline:
    case TypeVisualGroup:
    case TypeVisualOverlay:
        return createObject(type, database);
    default:
        return nullptr;
    }
}

// The elements the database makes entries of, in its order.
std::vector<TiXmlElement*> entryElements(TiXmlDocument& document) {
    std::vector<TiXmlElement*> elements;
    TiXmlElement* demo = document.FirstChildElement("demo");
    for (TiXmlElement* e = demo ? demo->FirstChildElement() : nullptr; e; e = e->NextSiblingElement())
        if (e->Attribute("name")) elements.push_back(e);
    return elements;
}

void usePath(PathSpline& path) {
    const float times[] = {path.startTime(), path.endTime(), (path.startTime() + path.endTime()) / 2,
                           path.startTime() - 1, path.endTime() + 1};
    for (float t : times) {
        PathState state{};
        path.evaluate(state, t);
    }
    for (int i = -1; i <= path.getKeyCount(); ++i) path.keyAt(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (xmlNestingDepth(text) > maxXmlNesting) return 0;  // refused unread, as the application does
    TiXmlDocument document("fuzz.xml");
    document.Parse(text.c_str());
    if (document.Error()) return 0;

    Database database(deviceFree);
    if (!database.load(&document)) return 0;
    const std::vector<TiXmlElement*> elements = entryElements(document);
    if (static_cast<int>(elements.size()) != database.count()) __builtin_trap();

    // Asked for in every way the program asks, twice: a failed load is tried again, a loaded
    // object is the same object.
    std::vector<Object*> objects(elements.size());
    for (int i = 0; i < database.count(); ++i) {
        objects[i] = database.objectAt(i);
        database.find(database.nameAt(i), TypeVisual);
        database.find(database.nameAt(i), TypePath);
    }
    database.root(TypeVisual);
    database.music(TypeMusic);
    for (int i = 0; i < database.count(); ++i) {
        Object* again = database.objectAt(i);
        if (objects[i] && again != objects[i]) __builtin_trap();
        objects[i] = again;
        if (!again) continue;
        if (auto* path = static_cast<PathSpline*>(again->castTo(TypePathSpline))) usePath(*path);
        if (auto* group = static_cast<VisualGroup*>(again->castTo(TypeVisualGroup)))
            for (const VisualItem& item : group->getItems())
                if (!item.visual) __builtin_trap();
    }

    // Saved as the database saves, into memory instead of a file.
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (objects[i] && !objects[i]->save(elements[i])) __builtin_trap();
    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\n");
    if (!document.Accept(&printer)) __builtin_trap();

    TiXmlDocument saved("saved.xml");
    saved.Parse(printer.CStr());
    if (saved.Error()) __builtin_trap();
    Database reloaded(deviceFree);
    if (!reloaded.load(&saved) || reloaded.count() != database.count()) __builtin_trap();
    for (int i = 0; i < database.count(); ++i)
        if (std::string(reloaded.nameAt(i)) != database.nameAt(i)) __builtin_trap();
    return 0;
}
