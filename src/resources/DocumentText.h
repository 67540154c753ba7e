// readDocumentText: a demo document's file, read whole once, as every loader reads it. Only a
// regular file is read (a folder or a device such as /dev/zero would give nonsense or never end),
// and none larger than any resource may be.
#pragma once

#include <string>

// false with *problem ("no such file", "not a file", "cannot be read: ...") when the text is not there.
bool readDocumentText(const std::string& file, std::string* text, std::string* problem);
