#include "database/XmlNesting.h"

namespace {

// Position just after `end` at or after `from`, or the text's size.
std::size_t skipPast(std::string_view text, std::size_t from, std::string_view end) {
    std::size_t found = text.find(end, from);
    return found == std::string_view::npos ? text.size() : found + end.size();
}

}  // namespace

int xmlNestingDepth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t open = text.find('<', i);
        if (open == std::string_view::npos) break;
        std::string_view rest = text.substr(open);
        if (rest.starts_with("<!--")) {
            i = skipPast(text, open + 4, "-->");
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            i = skipPast(text, open + 9, "]]>");
            continue;
        }
        if (rest.starts_with("<!") || rest.starts_with("<?")) {
            i = skipPast(text, open + 2, ">");
            continue;
        }
        bool closing = rest.starts_with("</");
        // The end of the tag, outside quoted attribute values.
        std::size_t k = open + 1;
        char quote = 0;
        for (; k < text.size(); ++k) {
            char c = text[k];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        bool selfClosing = k < text.size() && k > open + 1 && text[k - 1] == '/';
        if (closing) {
            if (depth > 0) --depth;
        } else if (!selfClosing) {
            if (++depth > deepest) deepest = depth;
        }
        i = k < text.size() ? k + 1 : text.size();
    }
    return deepest;
}
