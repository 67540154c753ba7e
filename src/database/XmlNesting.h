// How deeply elements nest in an XML text, found by a flat scan before the text reaches TinyXML,
// whose parser recurses once per level: a hostile document nested some hundred thousand levels
// deep would exhaust the stack. Comments, CDATA, declarations and quoted attribute values are
// skipped, so their '<' and '>' do not count.
#pragma once

#include <string_view>

constexpr int maxXmlNesting = 1000;  // far beyond any real document; far below the stack's limit

int xmlNestingDepth(std::string_view text);  // the deepest level of open elements
