#include "resources/LoadResource.h"

#include "resources/ResourceFolder.h"
#include "platform/win/Resources.h"

namespace {

// The words of the start-up messages, also for a document with a folder (no such file there either).
std::string missing(const char* name) {
    return std::string("the resource \"") + (name ? name : "") + "\" is not carried by the executable";
}

}  // namespace

ResourceData loadResource(const char* name) {
    win::ResourceBytes bytes = win::findResource(name);
    return {bytes.data, bytes.size};
}

ResourceData loadResource(int number) {
    win::ResourceBytes bytes = win::findResource(number);
    return {bytes.data, bytes.size};
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
    if (!linked) *problem = missing(name);
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
    *problem = missing(name);
    return false;
}
