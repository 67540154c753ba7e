#include "platform/win/Resources.h"

#include "platform/win/ResourceTable.h"

#include <strings.h>

namespace win {

namespace {

ResourceBytes bytesOf(const EmbeddedResource& resource) {
    std::size_t size = static_cast<std::size_t>(resource.end - resource.begin);
    if (size == 0) return {};
    return {resource.begin, size};
}

}  // namespace

ResourceBytes findResource(const char* name) {
    if (name == nullptr || *name == '\0') return {};
    for (int i = 0; i < embeddedResourceCount; ++i) {
        if (strcasecmp(embeddedResources[i].name, name) == 0) return bytesOf(embeddedResources[i]);
    }
    return {};
}

ResourceBytes findResource(int number) {
    if (number <= 0) return {};
    for (int i = 0; i < embeddedResourceCount; ++i) {
        if (embeddedResources[i].number == number) return bytesOf(embeddedResources[i]);
    }
    return {};
}

}  // namespace win
