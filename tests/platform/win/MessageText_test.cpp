// The text a message box shows: the usage's tab-separated columns laid out with spaces.
#include "app/Options.h"
#include "platform/win/MessageText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

TEST(MessageText, TheUsageBoxShowsItsColumnsWithSpaces) {
    const std::string shown = layOutColumns(usageText);
    EXPECT_EQ(shown.find('\t'), std::string::npos) << shown;
    // Every description starts two past the longest option ("-d<file>"), in one column.
    std::istringstream lines(shown);
    int options = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] != '-') continue;
        ++options;
        EXPECT_EQ(line.find_first_not_of(' ', line.find(' ')), 10u) << line;
    }
    EXPECT_EQ(options, 7);
    EXPECT_EQ(layOutColumns("\xc3\xa9\tx\nab\ty"), "\xc3\xa9   x\nab  y");  // a multi-byte character counts once
}
