#include "resources/NearNames.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace {

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Edits from a to b: a letter inserted, removed, changed, or two neighbours swapped.
std::size_t distance(const std::string& a, const std::string& b) {
    const std::size_t columns = b.size() + 1;
    std::vector<std::size_t> rows(3 * columns);  // two rows back, one back, this one
    auto at = [&](std::size_t i, std::size_t j) -> std::size_t& { return rows[(i % 3) * columns + j]; };
    for (std::size_t i = 0; i <= a.size(); ++i) {
        for (std::size_t j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                at(i, j) = i + j;
                continue;
            }
            const bool same = folded(a[i - 1]) == folded(b[j - 1]);
            std::size_t best = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (same ? 0 : 1)});
            if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) && folded(a[i - 2]) == folded(b[j - 1]))
                best = std::min(best, at(i - 2, j - 2) + 1);
            at(i, j) = best;
        }
    }
    return at(a.size(), b.size());
}

}  // namespace

std::vector<std::string> nearestNames(const std::string& asked, const std::vector<std::string>& candidates) {
    const std::size_t allowed = std::max<std::size_t>(1, asked.size() / 3);
    std::size_t best = SIZE_MAX;
    std::vector<std::string> nearest;
    for (const std::string& candidate : candidates) {
        if (candidate == asked) continue;
        const std::size_t edits = distance(asked, candidate);
        if (edits > allowed || edits > best) continue;
        if (edits < best) nearest.clear();
        best = edits;
        if (nearest.size() < 3 && std::find(nearest.begin(), nearest.end(), candidate) == nearest.end())
            nearest.push_back(candidate);
    }
    return nearest;
}

std::string didYouMean(const std::vector<std::string>& names) {
    if (names.empty()) return {};
    std::string text = "; did you mean ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
        text += "\"" + names[i] + "\"";
    }
    return text + "?";
}
