#include "platform/win/MessageText.h"

#include <cstddef>
#include <vector>

namespace {

constexpr std::size_t columnGap = 2;

std::size_t characters(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;  // UTF-8 continuation bytes do not count
    return count;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

}  // namespace

std::string layOutColumns(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::vector<std::size_t> widths;  // per column, over the lines that have more cells
    for (const std::string& line : split(text, '\n')) {
        lines.push_back(split(line, '\t'));
        const std::vector<std::string>& cells = lines.back();
        for (std::size_t column = 0; column + 1 < cells.size(); ++column) {
            if (widths.size() <= column) widths.push_back(0);
            if (characters(cells[column]) > widths[column]) widths[column] = characters(cells[column]);
        }
    }
    std::string result;
    for (std::size_t row = 0; row < lines.size(); ++row) {
        if (row > 0) result += '\n';
        const std::vector<std::string>& cells = lines[row];
        for (std::size_t column = 0; column < cells.size(); ++column) {
            result += cells[column];
            if (column + 1 < cells.size()) result.append(widths[column] + columnGap - characters(cells[column]), ' ');
        }
    }
    return result;
}
