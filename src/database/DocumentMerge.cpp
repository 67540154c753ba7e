#include "database/DocumentMerge.h"

#include "database/ElementSpans.h"

#include <tinyxml.h>

#include <map>
#include <set>

namespace {

struct Element {
    std::string key;    // name, and which of that name
    std::string name;
    std::string text;   // its bytes
};

struct Split {
    std::vector<Element> named;
    std::vector<ElementSpan> spans;  // of the named ones, in the same order
    std::size_t contentEnd = 0;
};

bool split(const std::string& text, Split* out) {
    TiXmlDocument document;
    document.Parse(text.c_str());
    ElementSpans spans;
    if (document.Error() || !matchElementSpans(text, document, &spans)) return false;
    std::map<std::string, int> seen;
    std::size_t i = 0;
    for (const TiXmlElement* e = document.FirstChildElement("demo")->FirstChildElement(); e; e = e->NextSiblingElement(), ++i) {
        const char* name = e->Attribute("name");
        if (name == nullptr) continue;
        const ElementSpan& span = spans.children[i];
        out->named.push_back({std::string(name) + '\n' + std::to_string(seen[name]++), name,
                              text.substr(span.begin, span.end - span.begin)});
        out->spans.push_back(span);
    }
    out->contentEnd = spans.contentEnd;
    return true;
}

std::map<std::string, const Element*> byKey(const Split& split) {
    std::map<std::string, const Element*> keys;
    for (const Element& e : split.named) keys[e.key] = &e;
    return keys;
}

}  // namespace

bool mergeDocuments(const std::string& base, const std::string& mine, const std::string& theirs, MergedDocument* merged) {
    Split b, m, t;
    if (!split(base, &b) || !split(mine, &m) || !split(theirs, &t)) return false;
    const auto inBase = byKey(b);
    const auto inTheirs = byKey(t);
    // The editor's edits: its elements that are not as the file had them.
    std::map<std::string, const Element*> edits;
    for (const Element& e : m.named) {
        const auto was = inBase.find(e.key);
        if (was == inBase.end() || was->second->text != e.text) edits[e.key] = &e;
    }

    merged->text.clear();
    merged->changedOnBothSides.clear();
    std::size_t from = 0;
    for (std::size_t i = 0; i < t.named.size(); ++i) {
        const Element& theirsElement = t.named[i];
        const auto edit = edits.find(theirsElement.key);
        if (edit == edits.end()) continue;
        const auto was = inBase.find(theirsElement.key);
        const bool theyChanged = was == inBase.end() || was->second->text != theirsElement.text;
        if (theyChanged && theirsElement.text != edit->second->text)
            merged->changedOnBothSides.push_back(theirsElement.name);
        merged->text.append(theirs, from, t.spans[i].begin - from);
        merged->text += edit->second->text;
        from = t.spans[i].end;
    }
    merged->text.append(theirs, from, t.contentEnd - from);

    // Edited objects the file no longer has: kept, at the end, each on a line of its own.
    std::size_t lineStart = theirs.rfind('\n', t.contentEnd == 0 ? 0 : t.contentEnd - 1);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    const bool ownLine = theirs.find_first_not_of(" \t", lineStart) == t.contentEnd;
    for (const Element& e : m.named) {
        if (edits.count(e.key) == 0 || inTheirs.count(e.key) != 0) continue;
        if (inBase.count(e.key) != 0) merged->changedOnBothSides.push_back(e.name);
        if (ownLine) {
            // Before the end tag's own line, indented as the editor's text had it.
            const std::size_t at = merged->text.size() - (t.contentEnd - lineStart);
            std::string indent = "    ";
            for (std::size_t i = 0; i < m.named.size(); ++i) {
                if (&m.named[i] != &e) continue;
                const std::size_t start = mine.rfind('\n', m.spans[i].begin == 0 ? 0 : m.spans[i].begin - 1);
                const std::size_t first = start == std::string::npos ? 0 : start + 1;
                indent = mine.substr(first, m.spans[i].begin - first);
                if (indent.find_first_not_of(" \t") != std::string::npos) indent = "    ";
            }
            merged->text.insert(at, indent + e.text + "\n");
        } else {
            merged->text += e.text;
        }
    }
    merged->text.append(theirs, t.contentEnd, std::string::npos);
    return true;
}
