#include "database/XmlParseError.h"

#include <tinyxml.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const prefix = "XML parsing error: ";

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '.' || c == '-' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A walk over the tags of the text, counting lines; stops at the first fault it can place.
class TagWalk {
public:
    explicit TagWalk(std::string_view text) : text(text) {}

    bool findFault() {
        while (at < text.size()) {
            if (text[at] != '<') {
                advance(1);
                continue;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->", "a comment")) return true;
            } else if (startsWith("<![CDATA[")) {
                if (!skipPast("]]>", "a CDATA section")) return true;
            } else if (startsWith("<?")) {
                if (!skipPast("?>", "a declaration")) return true;
            } else if (startsWith("<!")) {
                if (!skipPast(">", "a declaration")) return true;
            } else if (startsWith("</")) {
                if (!endTag()) return true;
            } else if (!startTag()) {
                return true;
            }
        }
        if (!open.empty()) {
            fault(open.back().line, "<" + open.back().tag + "> opened on line " + std::to_string(open.back().line) +
                                        " is never closed");
            return true;
        }
        return false;
    }

    DocumentProblem problem;

private:
    struct OpenElement {
        std::string tag;
        int line;
    };

    bool startsWith(const char* word) const { return text.substr(at).rfind(word, 0) == 0; }

    void advance(std::size_t count) {
        for (; count > 0 && at < text.size(); --count, ++at)
            if (text[at] == '\n') ++line;
    }

    void skipSpace() {
        while (at < text.size() && isSpace(text[at])) advance(1);
    }

    std::string readName() {
        std::size_t start = at;
        while (at < text.size() && isNameChar(text[at])) ++at;
        return std::string(text.substr(start, at - start));
    }

    void fault(int where, std::string message) {
        problem = {where, "", prefix + std::move(message)};
    }

    bool skipPast(const char* end, const char* what) {
        const int startLine = line;
        const std::size_t found = text.find(end, at);
        if (found == std::string_view::npos) {
            fault(startLine, std::string(what) + " opened on line " + std::to_string(startLine) + " is never closed");
            return false;
        }
        advance(found + std::string_view(end).size() - at);
        return true;
    }

    bool endTag() {
        const int tagLine = line;
        advance(2);
        const std::string tag = readName();
        skipSpace();
        if (at >= text.size() || text[at] != '>') {
            fault(tagLine, "the closing tag </" + tag + "> has no \">\"");
            return false;
        }
        advance(1);
        if (open.empty()) {
            fault(tagLine, "</" + tag + "> closes no element that is open");
            return false;
        }
        if (open.back().tag == tag) {
            open.pop_back();
            return true;
        }
        for (const OpenElement& element : open) {
            if (element.tag != tag) continue;
            const OpenElement& left = open.back();
            fault(left.line, "<" + left.tag + "> opened on line " + std::to_string(left.line) + " is not closed before </" +
                                 tag + "> on line " + std::to_string(tagLine));
            return false;
        }
        const OpenElement& innermost = open.back();
        fault(tagLine, "</" + tag + "> does not close <" + innermost.tag + ">, which is open since line " +
                           std::to_string(innermost.line));
        return false;
    }

    bool startTag() {
        const int tagLine = line;
        advance(1);
        const std::string tag = readName();
        if (tag.empty()) {
            fault(tagLine, "\"<\" starts no tag; write &lt; for the character itself");
            return false;
        }
        std::set<std::string> attributes;
        for (;;) {
            skipSpace();
            if (at >= text.size() || text[at] == '<') {
                fault(tagLine, "the tag <" + tag + "> on line " + std::to_string(tagLine) + " has no closing \">\"");
                return false;
            }
            if (startsWith("/>")) {
                advance(2);
                return true;
            }
            if (text[at] == '>') {
                advance(1);
                open.push_back({tag, tagLine});
                return true;
            }
            const int attributeLine = line;
            const std::string attribute = readName();
            if (attribute.empty()) {
                fault(line, "unexpected \"" + std::string(1, text[at]) + "\" in the tag <" + tag + ">");
                return false;
            }
            skipSpace();
            if (at >= text.size() || text[at] != '=') {
                fault(attributeLine, "the attribute " + attribute + " of <" + tag + "> has no value (" + attribute +
                                         "=\"...\")");
                return false;
            }
            advance(1);
            skipSpace();
            if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) {
                fault(attributeLine, "the value of " + attribute + " in <" + tag + "> is not in quotes");
                return false;
            }
            const char quote = text[at];
            advance(1);
            const std::size_t close = text.find(quote, at);
            if (close == std::string_view::npos) {
                fault(attributeLine, "the value of " + attribute + " in <" + tag + "> has no closing quote");
                return false;
            }
            advance(close + 1 - at);
            if (!attributes.insert(attribute).second) {
                fault(attributeLine, "<" + tag + "> has the attribute " + attribute + " twice");
                return false;
            }
        }
    }

    std::string_view text;
    std::size_t at = 0;
    int line = 1;
    std::vector<OpenElement> open;
};

}  // namespace

DocumentProblem XmlParseError::explain(std::string_view text, const TiXmlDocument& document) {
    switch (document.ErrorId()) {
    case TiXmlBase::TIXML_ERROR_OPENING_FILE: return {0, "", prefix + std::string("the file cannot be opened")};
    case TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY: return {0, "", prefix + std::string("the document is empty")};
    case TiXmlBase::TIXML_ERROR_EMBEDDED_NULL:
        return {0, "", prefix + std::string("the file holds a zero byte, so it is not a text")};
    default: break;
    }
    TagWalk walk(text);
    if (walk.findFault()) return walk.problem;
    // The parser's own words; a place it could not give is no line.
    const int row = document.ErrorRow();
    return {row > 0 ? row : 0, "", std::string(prefix) + (document.ErrorDesc() ? document.ErrorDesc() : "the text cannot be read")};
}
