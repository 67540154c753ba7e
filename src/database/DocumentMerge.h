// DocumentMerge: two versions of one document made one, object by object, on their texts: the
// element of every object the editor changed is the editor's, every other byte is the file's. An
// element is known by its object's name (the second of a name by the second of that name). When
// the file changed an object the editor changed too, the editor's element is kept and the name
// listed; an object the editor changed that the file dropped is kept, added at the end.
#pragma once

#include <string>
#include <vector>

struct MergedDocument {
    std::string text;
    std::vector<std::string> changedOnBothSides;  // names, in the file's order; the editor's kept
};

// `base`: the file as the editor knew it, `mine`: what the editor would save now, `theirs`: the
// file now. False when one of them cannot be split into its elements safely.
bool mergeDocuments(const std::string& base, const std::string& mine, const std::string& theirs, MergedDocument* merged);
