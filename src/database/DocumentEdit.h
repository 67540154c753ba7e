// DocumentEdit: the editor's edits of a document as text. An attribute changes in its element's
// start tag alone, a group's items are written again within their element, an element goes at the
// end of the document or leaves with its line, and a rename follows every reference; every other
// byte stays as the author wrote it.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class Database;

namespace DocumentEdit {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// The value of an attribute of an element's start tag; false when it has none.
bool attribute(const std::string& element, const std::string& name, std::string* value);
// The element with the attribute set to `value` (added at the end of its start tag when absent),
// or, without a value, removed.
std::string withAttribute(const std::string& element, const std::string& name, const std::string* value);
// The items of a group element, each its attributes in order.
std::vector<Attributes> items(const std::string& element);
// The group element with these items in place of its own.
std::string withItems(const std::string& element, const std::vector<Attributes>& items);

// The element added before the document's end tag, on a line of its own.
bool append(std::string* document, const std::string& element);
// The document with `from` renamed to `to` in every name and reference (files are no references).
std::string renamed(const std::string& document, const std::string& from, const std::string& to);
// The names of the elements that refer to `name`.
std::vector<std::string> referrers(const std::string& document, const std::string& name);
// The document without the element named `name`: group items that refer to it go with it, and
// optional references are left out; false with why when an object needs it.
bool removed(std::string* document, const std::string& name, std::string* why);
// `base`, or `base` followed by the first number that makes it a name no element has.
std::string uniqueName(const std::string& document, const std::string& base);
// The element named `name` in the document as it stands; empty when there is none.
std::string element(const std::string& document, const std::string& name);

}  // namespace DocumentEdit
