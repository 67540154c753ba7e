#include "app/LoadResource.h"

#include "platform/win/Resources.h"

ResourceData loadResource(const char* name) {
    win::ResourceBytes bytes = win::findResource(name);
    return {bytes.data, bytes.size};
}

ResourceData loadResource(int number) {
    win::ResourceBytes bytes = win::findResource(number);
    return {bytes.data, bytes.size};
}
