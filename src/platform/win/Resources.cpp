#include "platform/win/Resources.h"

#include "platform/win/ResourceTable.h"

#include <strings.h>

#include <deque>

namespace win {

namespace {

ResourceBytes bytesOf(const EmbeddedResource& resource) {
    std::size_t size = static_cast<std::size_t>(resource.end - resource.begin);
    if (size == 0) return {};
    return {resource.begin, size};
}

struct AddedResource {
    std::string name;
    std::vector<unsigned char> bytes;
};

// A deque, so the bytes handed out never move when another resource is added.
std::deque<AddedResource>& addedResources() {
    static std::deque<AddedResource> added;
    return added;
}

}  // namespace

ResourceBytes findResource(const char* name) {
    if (name == nullptr || *name == '\0') return {};
    for (int i = 0; i < embeddedResourceCount; ++i) {
        if (strcasecmp(embeddedResources[i].name, name) == 0) return bytesOf(embeddedResources[i]);
    }
    for (const AddedResource& added : addedResources()) {
        if (strcasecmp(added.name.c_str(), name) == 0 && !added.bytes.empty()) return {added.bytes.data(), added.bytes.size()};
    }
    return {};
}

std::vector<std::string> resourceNames() {
    std::vector<std::string> names;
    for (int i = 0; i < embeddedResourceCount; ++i) names.push_back(embeddedResources[i].name);
    for (const AddedResource& added : addedResources()) names.push_back(added.name);
    return names;
}

void addResource(const std::string& name, std::vector<unsigned char> bytes) {
    addedResources().push_back({name, std::move(bytes)});
}

ResourceBytes findResource(int number) {
    if (number <= 0) return {};
    for (int i = 0; i < embeddedResourceCount; ++i) {
        if (embeddedResources[i].number == number) return bytesOf(embeddedResources[i]);
    }
    return {};
}

}  // namespace win
