#include "database/ReferenceCycle.h"

#include "database/Database.h"

#include <tinyxml.h>

#include <cstdio>

bool refuseCycle(const Database* database, const TiXmlElement* referrer, const char* role, const char* name,
                 const Object* found) {
    if (database == nullptr || found == nullptr || !database->isLoading(found)) return false;
    const char* own = referrer->Attribute("name");
    std::fprintf(stderr, "%s: %s \"%s\" leads back to \"%s\" (a cycle) and is not drawn\n",
                 database->describe(referrer).c_str(), role, name, own ? own : "");
    std::fflush(stderr);
    return true;
}
