// The text of a message box as the box shows it. SDL's box draws a tab as an unknown glyph, so
// tab-separated columns are laid out with spaces instead; standard error keeps the text as given.
#pragma once

#include <string>

// Every line's tab-separated cells padded with spaces to the widest cell of their column (plus
// two), counted in characters; lines without a tab stay as they are.
std::string layOutColumns(const std::string& text);
