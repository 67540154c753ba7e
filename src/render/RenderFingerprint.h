// RenderFingerprint: what a render reads, each part by a hash of its bytes: the program's version,
// the document, and every file the document uses (beside it or linked in). A plan keeps it, so
// that its chunks are all rendered from one version of the production.
#pragma once

#include <map>
#include <string>

struct RenderFingerprint {
    // Part name ("program", "document", "file NAME") to its hash or version.
    std::map<std::string, std::string> parts;

    // Loads the document (empty: the linked production) as a render does and notes what it read.
    // false with a message for the user in *error.
    static bool of(const std::string& dataFile, const std::string& version, RenderFingerprint* fingerprint,
                   std::string* error);
    // What differs from `now`, for the user: "the document /x/demo.xml, the file Logo.png"; empty: nothing.
    std::string changesTo(const RenderFingerprint& now) const;
    bool operator==(const RenderFingerprint& other) const { return parts == other.parts; }
    bool operator!=(const RenderFingerprint& other) const { return parts != other.parts; }

    static std::string hashOf(const void* data, std::size_t size);  // 16 hex digits
};
