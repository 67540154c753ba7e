// The files of resources/, linked into the executable at build time (see cmake/Resources.cmake).
// The table ends with a row whose name is null; the bytes live for the whole run.
#pragma once

namespace win {

struct EmbeddedResource {
    const char* name;            // file name as it stands in resources/
    int number;                  // leading number of the file name, 0 when it has none
    const unsigned char* begin;  // first byte
    const unsigned char* end;    // one past the last byte
};

extern const EmbeddedResource embeddedResources[];
extern const int embeddedResourceCount;

}  // namespace win
