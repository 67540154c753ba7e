#include "database/ReferenceCycle.h"

#include "database/Database.h"
#include "database/TypeRegistry.h"

#include <tinyxml.h>

#include <cstdio>

bool refuseCycle(const Database* database, const TiXmlElement* referrer, const char* role, const char* name,
                 const Object* found) {
    if (database == nullptr || found == nullptr) return false;
    const std::vector<const TiXmlElement*> chain = database->loadingChainFrom(found);
    if (chain.empty()) return false;
    int targets = 0;
    for (const TiXmlElement* element : chain) {
        const ObjectType type = typeFromKeyword(element->Value());
        if (type == TypePathSpline) return false;  // a path draws nothing: its preview is for the editor
        if (type == TypeTextureTarget) ++targets;
    }
    // Through two render targets each shows the other's last picture: a feedback effect, no recursion.
    if (targets > 1) return false;

    const char* own = referrer->Attribute("name");
    std::fprintf(stderr, "%s: %s \"%s\" leads back to \"%s\" (a cycle) and is not drawn\n",
                 database->describe(referrer).c_str(), role, name, own ? own : "");
    std::fflush(stderr);
    return true;
}
