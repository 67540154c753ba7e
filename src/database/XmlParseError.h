// XmlParseError: what is wrong with a text that the XML parser refused, said so that an author
// finds it. The parser often notices a fault far from its cause (an element left open is found
// at the end of the file) or names only its own step ("Error parsing Element."); a walk over the
// tags finds the element left open and the line where it opened, a closing tag that matches
// nothing, a duplicated attribute, an unfinished tag. What the walk cannot place keeps the
// parser's message and line; a problem of the whole text has no line (0).
#pragma once

#include "database/DocumentCheck.h"

#include <string_view>

class XmlParseError {
public:
    // text: what was parsed; document: the parser's result, whose error is set.
    static DocumentProblem explain(std::string_view text, const TiXmlDocument& document);
};
