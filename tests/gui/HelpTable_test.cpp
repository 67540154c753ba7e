// The help table against the documents a user reads: every row of the README's key tables is in
// the table the help overlay shows, and every row of that table is in the README; the manual
// page's key list names the same inputs.
#include "gui/HelpTable.h"

#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readSource(const char* path) {
    std::ifstream in(testing_paths::sourceDir() + "/" + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines from the one starting with `from` up to the next starting with `to`.
std::vector<std::string> section(const std::string& text, const std::string& from, const std::string& to) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(from, 0) == 0) inside = true;
        else if (inside && line.rfind(to, 0) == 0) break;
        if (inside) lines.push_back(line);
    }
    return lines;
}

std::string trimmed(std::string cell) {
    cell.erase(std::remove(cell.begin(), cell.end(), '`'), cell.end());  // code marks are markdown only
    const size_t first = cell.find_first_not_of(' '), last = cell.find_last_not_of(' ');
    return first == std::string::npos ? "" : cell.substr(first, last - first + 1);
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

TEST(HelpTable, TheReadmesKeyTablesAndTheHelpTableHoldTheSameRows) {
    const std::vector<std::string> keys = section(readSource("README.md"), "## Keys", "## The demo document");
    ASSERT_FALSE(keys.empty());
    std::set<std::string> readme;
    for (const std::string& line : keys) {
        if (line.rfind("|", 0) != 0 || line.rfind("|---", 0) == 0 || line.rfind("| input |", 0) == 0) continue;
        std::vector<std::string> cells;
        std::istringstream row(line.substr(1));
        for (std::string cell; std::getline(row, cell, '|');) cells.push_back(trimmed(cell));
        ASSERT_TRUE(cells.size() == 2 || cells.size() == 3) << line;
        if (cells.size() == 2) cells.insert(cells.begin() + 1, "");  // the playback table has no "where"
        readme.insert(cells[0] + " | " + cells[1] + " | " + cells[2]);
    }
    std::set<std::string> code;
    for (const HelpRow& row : helpTable())
        code.insert(std::string(row.input) + " | " + row.where + " | " + row.effect);
    for (const std::string& row : readme) EXPECT_EQ(code.count(row), 1u) << "in the README, not in the help: " << row;
    for (const std::string& row : code) EXPECT_EQ(readme.count(row), 1u) << "in the help, not in the README: " << row;
}

TEST(HelpTable, TheManualPageNamesTheInputsOfTheHelpTable) {
    // The page lists keys as "*Input*, *other input* (where)" lines, each followed by its effect.
    const std::vector<std::string> keys = section(readSource("doc/zodrevez.1.scd"), "# KEYS", "# FILES");
    ASSERT_FALSE(keys.empty());
    std::vector<std::string> named;
    const std::regex marked("\\*([^*]+)\\*");
    for (const std::string& line : keys) {
        if (line.empty() || line[0] != '*') continue;
        for (std::sregex_iterator i(line.begin(), line.end(), marked), end; i != end; ++i) named.push_back(lower((*i)[1]));
    }
    std::vector<std::string> inputs;
    for (const HelpRow& row : helpTable()) inputs.push_back(lower(row.input));
    for (const std::string& name : named)
        EXPECT_TRUE(std::any_of(inputs.begin(), inputs.end(), [&](const std::string& input) {
            return input.find(name) != std::string::npos;
        })) << "on the manual page, in no input of the help: " << name;
    for (const std::string& input : inputs)
        EXPECT_TRUE(std::any_of(named.begin(), named.end(), [&](const std::string& name) {
            return input.find(name) != std::string::npos;
        })) << "in the help, not on the manual page: " << input;
}
