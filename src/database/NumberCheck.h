// NumberCheck: the numbers of one element of a demo document, as its object will read them. Every
// value must be one the object can use: a number (nothing left over that the reading would skip),
// finite as the single-precision float it is kept in, within the range it makes sense in, and
// whole where the document stores whole numbers. Each bad value adds one problem with its line.
#pragma once

#include "database/DocumentCheck.h"

#include <string>
#include <vector>

class NumberCheck {
public:
    // The object's own attributes; type is its ObjectType.
    static void checkObject(const TiXmlElement* element, int type, const std::string& name,
                            std::vector<DocumentProblem>* problems);
    // One key of a path.spline: p, tcb and t.
    // One key of a float: t and v.
    static void checkFloatKey(const TiXmlElement* key, const std::string& name, std::vector<DocumentProblem>* problems);
    static void checkKey(const TiXmlElement* key, const std::string& name, std::vector<DocumentProblem>* problems);
    // Why `text` is no real number a document can keep ("is not a number", "is not a finite
    // number", ...), or empty with the number in *value: a number typed in the editor passes the
    // same test as one written in the document.
    static std::string realProblem(const char* text, double* value);
};
