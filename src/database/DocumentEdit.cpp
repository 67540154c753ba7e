#include "database/DocumentEdit.h"

#include "database/AttributeTable.h"
#include "database/ElementSpans.h"
#include "database/TypeRegistry.h"

#include <tinyxml.h>

#include <cctype>
#include <set>

namespace DocumentEdit {

namespace {

struct AttributeSpan {
    std::string name;
    std::size_t valueBegin = 0, valueEnd = 0;  // the value's bytes, between its quotes
};

// The attributes of the tag that starts at `at` (its '<'), and where the tag ends (its '>').
std::vector<AttributeSpan> scanTag(const std::string& text, std::size_t at, std::size_t* tagEnd) {
    std::vector<AttributeSpan> found;
    std::size_t i = at + 1;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '>' && text[i] != '/') ++i;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size() || text[i] == '>' || text[i] == '/') break;
        const std::size_t nameBegin = i;
        while (i < text.size() && text[i] != '=' && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '>') ++i;
        AttributeSpan span;
        span.name = text.substr(nameBegin, i - nameBegin);
        while (i < text.size() && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == '=')) ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) break;
        const char quote = text[i++];
        span.valueBegin = i;
        while (i < text.size() && text[i] != quote) ++i;
        span.valueEnd = i;
        if (i < text.size()) ++i;
        found.push_back(std::move(span));
    }
    while (i < text.size() && text[i] != '>') ++i;
    *tagEnd = i;
    return found;
}

// Calls `change` on the value of every attribute of every start tag (comments, declarations and
// end tags skipped); a value it returns true for is replaced.
std::string rewriteValues(const std::string& text, const std::function<bool(const std::string& attribute, std::string& value)>& change) {
    std::string out;
    std::size_t from = 0, i = 0;
    while ((i = text.find('<', i)) != std::string::npos) {
        if (text.compare(i, 4, "<!--") == 0) {
            const std::size_t end = text.find("-->", i);
            i = end == std::string::npos ? text.size() : end + 3;
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == '/' || text[i + 1] == '?' || text[i + 1] == '!')) {
            ++i;
            continue;
        }
        std::size_t tagEnd = 0;
        for (const AttributeSpan& span : scanTag(text, i, &tagEnd)) {
            std::string value = text.substr(span.valueBegin, span.valueEnd - span.valueBegin);
            if (!change(span.name, value)) continue;
            out.append(text, from, span.valueBegin - from);
            out += value;
            from = span.valueEnd;
        }
        i = tagEnd;
    }
    out.append(text, from, std::string::npos);
    return out;
}

// The words of a value with `from` (or "@from") made `to`; true when one was.
bool renameWords(std::string& value, const std::string& from, const std::string& to) {
    if (value == from) {
        value = to;
        return true;
    }
    bool changed = false;
    std::string out;
    std::size_t i = 0;
    while (i < value.size()) {
        if (std::isspace(static_cast<unsigned char>(value[i]))) {
            out += value[i++];
            continue;
        }
        std::size_t end = i;
        while (end < value.size() && !std::isspace(static_cast<unsigned char>(value[end]))) ++end;
        const std::string word = value.substr(i, end - i);
        if (word == from) out += to, changed = true;
        else if (word == "@" + from) out += "@" + to, changed = true;
        else out += word;
        i = end;
    }
    if (changed) value = out;
    return changed;
}

bool namesIn(const std::string& value, const std::string& name) {
    std::string copy = value;
    return renameWords(copy, name, name + "\x01");
}

struct Split {
    ElementSpans spans;
    std::vector<std::string> names;  // per child; empty when unnamed
};

bool split(const std::string& document, Split* out) {
    if (!scanElementSpans(document, &out->spans)) return false;
    for (const ElementSpan& span : out->spans.children) {
        std::string name;
        attribute(document.substr(span.begin, span.end - span.begin), "name", &name);
        out->names.push_back(name);
    }
    return true;
}

std::string tagOf(const std::string& element) {
    std::size_t i = 1;
    while (i < element.size() && !std::isspace(static_cast<unsigned char>(element[i])) && element[i] != '>' && element[i] != '/') ++i;
    return element.substr(1, i - 1);
}

}  // namespace

bool attribute(const std::string& element, const std::string& name, std::string* value) {
    std::size_t tagEnd = 0;
    for (const AttributeSpan& span : scanTag(element, 0, &tagEnd)) {
        if (span.name != name) continue;
        *value = element.substr(span.valueBegin, span.valueEnd - span.valueBegin);
        return true;
    }
    return false;
}

std::string withAttribute(const std::string& element, const std::string& name, const std::string* value) {
    std::size_t tagEnd = 0;
    for (const AttributeSpan& span : scanTag(element, 0, &tagEnd)) {
        if (span.name != name) continue;
        if (value) return element.substr(0, span.valueBegin) + *value + element.substr(span.valueEnd);
        // The attribute and the blank before it.
        std::size_t begin = span.valueBegin;
        while (begin > 0 && element[begin - 1] != ' ' && element[begin - 1] != '\t' && element[begin - 1] != '\n') --begin;
        while (begin > 0 && (element[begin - 1] == ' ' || element[begin - 1] == '\t')) --begin;
        return element.substr(0, begin) + element.substr(span.valueEnd + 1);
    }
    if (!value || tagEnd >= element.size()) return element;
    std::size_t at = tagEnd;
    if (at > 0 && element[at - 1] == '/') --at;
    while (at > 0 && element[at - 1] == ' ') --at;  // "... />" keeps its blank before the slash
    return element.substr(0, at) + " " + name + "=\"" + *value + "\"" + element.substr(at);
}

std::vector<Attributes> items(const std::string& element) {
    std::vector<Attributes> found;
    TiXmlDocument parsed;
    parsed.Parse(element.c_str());
    const TiXmlElement* root = parsed.RootElement();
    for (const TiXmlElement* item = root ? root->FirstChildElement("item") : nullptr; item; item = item->NextSiblingElement("item")) {
        Attributes attributes;
        for (const TiXmlAttribute* a = item->FirstAttribute(); a; a = a->Next()) attributes.emplace_back(a->Name(), a->Value());
        found.push_back(std::move(attributes));
    }
    return found;
}

std::string withItems(const std::string& element, const std::vector<Attributes>& list) {
    std::size_t tagEnd = 0;
    scanTag(element, 0, &tagEnd);
    if (tagEnd >= element.size()) return element;
    std::string start = element.substr(0, tagEnd);
    if (!start.empty() && start.back() == '/') start.pop_back();
    while (!start.empty() && start.back() == ' ') start.pop_back();
    std::string out = start + ">\n";
    for (const Attributes& item : list) {
        out += "        <item";
        for (const auto& [name, value] : item) out += " " + name + "=\"" + value + "\"";
        out += " />\n";
    }
    return out + "    </" + tagOf(element) + ">";
}

bool append(std::string* document, const std::string& element) {
    ElementSpans spans;
    if (!scanElementSpans(*document, &spans)) return false;
    std::size_t at = spans.contentEnd;
    std::size_t lineStart = document->rfind('\n', at == 0 ? 0 : at - 1);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    const bool ownLine = document->find_first_not_of(" \t", lineStart) == at;
    if (ownLine) document->insert(lineStart, "    " + element + "\n");
    else document->insert(at, "\n    " + element + "\n");
    return true;
}

std::string renamed(const std::string& document, const std::string& from, const std::string& to) {
    return rewriteValues(document, [&](const std::string& name, std::string& value) {
        return name != "resource" && renameWords(value, from, to);
    });
}

std::vector<std::string> referrers(const std::string& document, const std::string& name) {
    std::vector<std::string> found;
    Split parts;
    if (!split(document, &parts)) return found;
    for (std::size_t i = 0; i < parts.spans.children.size(); ++i) {
        if (parts.names[i].empty() || parts.names[i] == name) continue;
        const ElementSpan& span = parts.spans.children[i];
        bool refers = false;
        rewriteValues(document.substr(span.begin, span.end - span.begin), [&](const std::string& attribute, std::string& value) {
            if (attribute != "name" && attribute != "resource" && namesIn(value, name)) refers = true;
            return false;
        });
        if (refers) found.push_back(parts.names[i]);
    }
    return found;
}

bool removed(std::string* document, const std::string& name, std::string* why) {
    Split parts;
    if (!split(*document, &parts)) {
        *why = "the document cannot be read element by element";
        return false;
    }
    std::string out;
    std::size_t from = 0;
    bool found = false;
    for (std::size_t i = 0; i < parts.spans.children.size(); ++i) {
        const ElementSpan& span = parts.spans.children[i];
        const std::string text = document->substr(span.begin, span.end - span.begin);
        if (parts.names[i] == name) {
            // The element and its line when it stands alone on it.
            std::size_t begin = span.begin, end = span.end;
            std::size_t lineStart = document->rfind('\n', begin == 0 ? 0 : begin - 1);
            lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
            const std::size_t lineEnd = document->find('\n', end);
            if (document->find_first_not_of(" \t", lineStart) == begin &&
                (lineEnd == std::string::npos || document->find_first_not_of(" \t\r", end) == lineEnd)) {
                begin = lineStart;
                end = lineEnd == std::string::npos ? document->size() : lineEnd + 1;
            }
            out.append(*document, from, begin - from);
            from = end;
            found = true;
            continue;
        }
        const ObjectType type = typeFromKeyword(tagOf(text).c_str());
        std::string changed = text;
        // Its own references: an optional one is left out, a required one keeps the object.
        for (const AttributeInfo& info : attributesOf(type)) {
            std::string value;
            if (!attribute(changed, info.name, &value) || !namesIn(value, name)) continue;
            if (info.kind != AttributeKind::Reference || info.required) {
                *why = "\"" + parts.names[i] + "\" needs it (" + info.name + ")";
                return false;
            }
            changed = withAttribute(changed, info.name, nullptr);
        }
        bool ownMention = false;
        rewriteValues(changed.substr(0, changed.find('>')), [&](const std::string& attribute, std::string& value) {
            if (attribute != "name" && attribute != "resource" && namesIn(value, name)) ownMention = true;
            return false;
        });
        if (ownMention) {
            *why = "\"" + parts.names[i] + "\" needs it";
            return false;
        }
        // Group items that name it go.
        const std::vector<Attributes> list = items(changed);
        std::vector<Attributes> kept;
        for (const Attributes& item : list) {
            bool names = false;
            for (const auto& [key, value] : item) names = names || namesIn(value, name);
            if (!names) kept.push_back(item);
        }
        if (kept.size() != list.size()) changed = withItems(changed, kept);
        if (changed == text) continue;
        out.append(*document, from, span.begin - from);
        out += changed;
        from = span.end;
    }
    if (!found) {
        *why = "no object named \"" + name + "\"";
        return false;
    }
    out.append(*document, from, std::string::npos);
    *document = std::move(out);
    return true;
}

std::string uniqueName(const std::string& document, const std::string& base) {
    Split parts;
    split(document, &parts);
    const std::set<std::string> names(parts.names.begin(), parts.names.end());
    if (names.count(base) == 0) return base;
    for (int n = 2;; ++n) {
        const std::string name = base + std::to_string(n);
        if (names.count(name) == 0) return name;
    }
}

std::string element(const std::string& document, const std::string& name) {
    Split parts;
    if (!split(document, &parts)) return std::string();
    for (std::size_t i = 0; i < parts.names.size(); ++i) {
        if (parts.names[i] != name) continue;
        const ElementSpan& span = parts.spans.children[i];
        return document.substr(span.begin, span.end - span.begin);
    }
    return std::string();
}

}  // namespace DocumentEdit
