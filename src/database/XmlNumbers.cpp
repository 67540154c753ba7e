#include "database/XmlNumbers.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>

float readFloat(const TiXmlElement* element, const char* name, float absent) {
    const char* text = element ? element->Attribute(name) : nullptr;
    return text ? static_cast<float>(std::atof(text)) : absent;
}

int readInt(const TiXmlElement* element, const char* name, int absent) {
    const char* text = element ? element->Attribute(name) : nullptr;
    return text ? std::atoi(text) : absent;
}

void writeFloat(TiXmlElement* element, const char* name, float value) {
    // TinyXML's own SetDoubleAttribute uses "%g"; the document keeps six decimals. 1e38 in "%f"
    // takes 46 characters, so 64 always suffices for a float.
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    element->SetAttribute(name, text);
}
