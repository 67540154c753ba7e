// The names an author probably meant: for a misspelt file or object name, the present names that
// differ by the fewest letters (letter case ignored, two swapped letters counting as one).
#pragma once

#include <string>
#include <vector>

// The candidates nearest to `asked`, at most three, in the order given; none when every one is
// further than a third of the name's length (at least one letter) from it.
std::vector<std::string> nearestNames(const std::string& asked, const std::vector<std::string>& candidates);

// "; did you mean "a"?" (or ""a" or "b"", ""a", "b" or "c""), empty for no names.
std::string didYouMean(const std::vector<std::string>& names);
