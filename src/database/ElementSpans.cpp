#include "database/ElementSpans.h"

#include <tinyxml.h>

#include <cstring>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads markup the way the parser does, as far as the spans need: tags with quoted attribute
// values (which may hold '>' or '<'), comments, CDATA sections, declarations and instructions.
class Scanner {
public:
    explicit Scanner(const std::string& text) : t(text) {}

    bool document(ElementSpans* spans) {
        bool found = false;
        while (next()) {
            const int skipped = other();
            if (skipped < 0) return false;
            if (skipped > 0) continue;
            if (at("</")) return false;
            std::string name;
            bool empty = false;
            if (!startTag(&name, &empty)) return false;
            if (name == "demo" && !found) {
                if (empty) return false;  // nowhere to put an element
                if (!demo(spans)) return false;
                found = true;
            } else if (!empty && !content(name)) {
                return false;
            }
        }
        return found;
    }

private:
    bool next() {
        p = t.find('<', p);
        return p != std::string::npos;
    }
    bool at(const char* s) const { return t.compare(p, std::strlen(s), s) == 0; }
    bool skipPast(const char* s) {
        const std::size_t found = t.find(s, p);
        if (found == std::string::npos) return false;
        p = found + std::strlen(s);
        return true;
    }

    // Markup that is no element at p: 1 skipped, 0 none there, -1 unfinished.
    int other() {
        if (at("<!--")) return skipPast("-->") ? 1 : -1;
        if (at("<![CDATA[")) return skipPast("]]>") ? 1 : -1;
        if (at("<?")) return skipPast("?>") ? 1 : -1;
        if (at("<!")) return skipPast(">") ? 1 : -1;
        return 0;
    }

    // At the '<' of a start tag: past its end; *empty for "/>".
    bool startTag(std::string* name, bool* empty) {
        const std::size_t begin = ++p;
        while (p < t.size() && !isSpace(t[p]) && t[p] != '>' && t[p] != '/' && t[p] != '<') ++p;
        name->assign(t, begin, p - begin);
        if (name->empty()) return false;
        while (p < t.size()) {
            const char c = t[p];
            if (c == '"' || c == '\'') {
                const std::size_t close = t.find(c, p + 1);
                if (close == std::string::npos) return false;
                p = close + 1;
            } else if (c == '>') {
                ++p;
                *empty = false;
                return true;
            } else if (c == '/' && p + 1 < t.size() && t[p + 1] == '>') {
                p += 2;
                *empty = true;
                return true;
            } else if (c == '<') {
                return false;
            } else {
                ++p;
            }
        }
        return false;
    }

    // At "</": past the end tag, which must close `name`.
    bool endTag(const std::string& name) {
        p += 2;
        const std::size_t begin = p;
        const std::size_t close = t.find('>', p);
        if (close == std::string::npos) return false;
        std::size_t last = close;
        while (last > begin && isSpace(t[last - 1])) --last;
        p = close + 1;
        return t.compare(begin, last - begin, name) == 0;
    }

    // After the start tag of `name`: past its end tag, whatever it holds.
    bool content(const std::string& name) {
        std::vector<std::string> open{name};
        while (!open.empty()) {
            if (!next()) return false;
            const int skipped = other();
            if (skipped < 0) return false;
            if (skipped > 0) continue;
            if (at("</")) {
                if (!endTag(open.back())) return false;
                open.pop_back();
                continue;
            }
            std::string inner;
            bool empty = false;
            if (!startTag(&inner, &empty)) return false;
            if (!empty) open.push_back(inner);
        }
        return true;
    }

    bool demo(ElementSpans* spans) {
        while (next()) {
            const int skipped = other();
            if (skipped < 0) return false;
            if (skipped > 0) continue;
            if (at("</")) {
                spans->contentEnd = p;
                return endTag("demo");
            }
            ElementSpan span;
            span.begin = p;
            std::string name;
            bool empty = false;
            if (!startTag(&name, &empty)) return false;
            if (!empty && !content(name)) return false;
            span.end = p;
            spans->children.push_back(span);
        }
        return false;
    }

    const std::string& t;
    std::size_t p = 0;
};

}  // namespace

bool scanElementSpans(const std::string& text, ElementSpans* spans) {
    *spans = ElementSpans();
    Scanner scanner(text);
    if (scanner.document(spans)) return true;
    *spans = ElementSpans();
    return false;
}

std::string printElement(const TiXmlElement& element) {
    TiXmlPrinter printer;
    element.Accept(&printer);
    return printer.Str();
}

bool matchElementSpans(const std::string& text, const TiXmlDocument& document, ElementSpans* spans) {
    const TiXmlElement* demo = document.FirstChildElement("demo");
    if (demo == nullptr || !scanElementSpans(text, spans)) return false;
    std::size_t i = 0;
    bool same = true;
    for (const TiXmlElement* element = demo->FirstChildElement(); element && same; element = element->NextSiblingElement(), ++i) {
        if (i >= spans->children.size()) {
            same = false;
            break;
        }
        const ElementSpan& span = spans->children[i];
        TiXmlDocument piece;
        piece.Parse(text.substr(span.begin, span.end - span.begin).c_str());
        const TiXmlElement* read = piece.RootElement();
        same = !piece.Error() && read && read->NextSibling() == nullptr && printElement(*read) == printElement(*element);
    }
    if (same && i == spans->children.size()) return true;
    *spans = ElementSpans();
    return false;
}

std::string printInPlace(const TiXmlElement& element, const std::string& text, std::size_t at) {
    std::string printed = printElement(element);
    while (!printed.empty() && printed.back() == '\n') printed.pop_back();
    // The indentation of the line the element starts on, when only white space comes before it.
    const std::size_t lineStart = at == 0 ? 0 : (text.rfind('\n', at - 1) == std::string::npos ? 0 : text.rfind('\n', at - 1) + 1);
    std::string indent = text.substr(lineStart, at - lineStart);
    if (indent.find_first_not_of(" \t") != std::string::npos) indent.clear();
    const std::string lineBreak = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string placed;
    placed.reserve(printed.size() + 64);
    for (char c : printed) {
        if (c == '\n') placed += lineBreak + indent;
        else placed += c;
    }
    return placed;
}
