// Refusing the reference that closes a cycle. Objects load on demand, each load inside the one that
// asked for it, so a reference to an object whose load is still running leads back to the object
// making it. Keeping it would draw without end (a group inside itself) or draw a render target
// into itself; the referring object keeps the name, so saving writes the document back unchanged.
#pragma once

class Database;
class Object;
class TiXmlElement;

// True when `found` closes a cycle that would draw without end or draw a render target into itself:
// a warning naming both objects has gone to standard error and the caller must not keep `found`.
// `role` is how the referrer names it ("item", "visual", ...).
bool refuseCycle(const Database* database, const TiXmlElement* referrer, const char* role, const char* name,
                 const Object* found);
