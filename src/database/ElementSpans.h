// ElementSpans: where each child element of `demo` lies in the text a document was parsed from.
// With them a save rewrites only the elements of edited objects and keeps every other byte as the
// author wrote it (attribute order, numbers as spelled, white space, comments). The text is read
// by a small scanner of its own and every span is checked against the parsed document: when the
// two disagree in any way, there are no spans and the caller prints the whole document instead.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

struct ElementSpan {
    std::size_t begin = 0;  // the '<' of the start tag
    std::size_t end = 0;    // past the '>' that closes the element ("/>" or its end tag)
};

struct ElementSpans {
    std::vector<ElementSpan> children;  // every child element of `demo`, in document order
    std::size_t contentEnd = 0;         // the '<' of "</demo>": where an element can be added
};

// The spans of `demo`'s child elements in `text`; false when the text cannot be read plainly.
bool scanElementSpans(const std::string& text, ElementSpans* spans);
// The same, each span read back and compared with `document` as parsed (before any save changed
// it): false unless every child of `demo` is exactly the element its span holds.
bool matchElementSpans(const std::string& text, const TiXmlDocument& document, ElementSpans* spans);
// `element` printed as a save prints it, to stand at `at` in `text`: later lines indented as the
// line it starts on, with the text's own line breaks.
std::string printInPlace(const TiXmlElement& element, const std::string& text, std::size_t at);
// An element printed the way saved forms are compared.
std::string printElement(const TiXmlElement& element);
