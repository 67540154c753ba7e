// loadResource: the bytes of a named or numbered resource of the executable, used in place for the
// whole run. Names match without regard to case ("Demo.xml" finds DEMO.XML). A missing resource or
// one of size 0 is a failure: data null, size 0.
#pragma once
#include <cstddef>

struct ResourceData {
    const unsigned char* data = nullptr;  // read-only, valid for the whole run; null on failure
    std::size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

ResourceData loadResource(const char* name);
ResourceData loadResource(int number);
