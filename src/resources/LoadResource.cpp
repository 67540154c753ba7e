#include "resources/LoadResource.h"

#include "resources/ResourceFolder.h"
#include "platform/win/Resources.h"
#include "resources/NearNames.h"
#include "resources/Pack.h"

namespace {

// The words of the start-up messages; with a folder, where else it was looked for and what near
// names are there (in the folder first, else among the linked resources).
std::string missing(const char* name, const ResourceFolder* folder) {
    std::string text = std::string("the resource \"") + (name ? name : "") + "\" is not carried by the executable";
    if (name == nullptr) return text;
    std::vector<std::string> near;
    if (folder != nullptr) {
        text += " and is not in " + folder->path();
        near = folder->nearNames(name);
    }
    if (near.empty()) near = nearestNames(name, win::resourceNames());
    return text + didYouMean(near);
}

}  // namespace

ResourceData loadResource(const char* name) {
    // A packed production stands in for the linked one: its document, then its files first.
    if (const Pack* pack = Pack::installed()) {
        ResourceData carried;
        if (pack->lookup(name, &carried.data, &carried.size)) return carried;
    }
    win::ResourceBytes bytes = win::findResource(name);
    return {bytes.data, bytes.size, nullptr};  // linked: lives for the whole run
}

ResourceData loadResource(int number) {
    win::ResourceBytes bytes = win::findResource(number);
    return {bytes.data, bytes.size, nullptr};  // linked: lives for the whole run
}

ResourceData loadResource(const char* name, ResourceFolder* folder, std::string* problem) {
    if (folder != nullptr) {
        ResourceData file;
        switch (folder->read(name, &file.data, &file.size, problem, &file.owner)) {
        case ResourceFolder::Lookup::Found: return file;
        case ResourceFolder::Lookup::Refused: return {};
        case ResourceFolder::Lookup::Absent: break;
        }
    }
    ResourceData linked = loadResource(name);
    if (!linked) *problem = missing(name, folder);
    return linked;
}

bool resourceAvailable(const char* name, const ResourceFolder* folder, std::string* problem) {
    if (folder != nullptr) {
        std::string path;
        switch (folder->locate(name, &path, problem)) {
        case ResourceFolder::Lookup::Found: return true;
        case ResourceFolder::Lookup::Refused: return false;
        case ResourceFolder::Lookup::Absent: break;
        }
    }
    if (loadResource(name)) return true;
    *problem = missing(name, folder);
    return false;
}
