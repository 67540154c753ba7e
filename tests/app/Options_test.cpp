#include "app/Options.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parsed {
    std::string text;  // the options point into it
    Options options;
    bool ok;
    explicit Parsed(const char* commandLine) : text(commandLine) { ok = options.parse(text.data()); }
};

}  // namespace

TEST(Options, DefaultsAndTheEmptyLine) {
    for (const char* line : {"", "   ", "\t\n "}) {
        Parsed parsed(line);
        EXPECT_TRUE(parsed.ok) << '"' << line << '"';
        EXPECT_FALSE(parsed.options.skipSetup);
        EXPECT_FALSE(parsed.options.antialias);
        EXPECT_FALSE(parsed.options.windowed);
        EXPECT_EQ(parsed.options.width, 800);
        EXPECT_EQ(parsed.options.height, 600);
        EXPECT_EQ(parsed.options.dataFile, nullptr);
    }
    Options none;
    EXPECT_TRUE(none.parse(nullptr));
}

TEST(Options, EveryOptionOfTheGrammar) {
    Parsed parsed("-x1280 -y1024\t-a\n-w   -q -dmy.xml");
    ASSERT_TRUE(parsed.ok);
    EXPECT_TRUE(parsed.options.skipSetup);
    EXPECT_TRUE(parsed.options.antialias);
    EXPECT_TRUE(parsed.options.windowed);
    EXPECT_EQ(parsed.options.width, 1280);
    EXPECT_EQ(parsed.options.height, 1024);
    ASSERT_NE(parsed.options.dataFile, nullptr);
    EXPECT_STREQ(parsed.options.dataFile, "my.xml");
    // The file name lies inside the command-line text, cut in place.
    EXPECT_GE(parsed.options.dataFile, parsed.text.data());
    EXPECT_LT(parsed.options.dataFile, parsed.text.data() + parsed.text.size());
}

TEST(Options, ValuesAreReadAsAtoiReadsThem) {
    Parsed letters("-xabc -y12abc");
    ASSERT_TRUE(letters.ok);
    EXPECT_EQ(letters.options.width, 0);
    EXPECT_EQ(letters.options.height, 12);
    Parsed negative("-x-5 -y+7");
    ASSERT_TRUE(negative.ok);
    EXPECT_EQ(negative.options.width, -5);
    EXPECT_EQ(negative.options.height, 7);
    Parsed extra("-abc -qxyz -wide");  // characters after a switch letter are ignored
    ASSERT_TRUE(extra.ok);
    EXPECT_TRUE(extra.options.skipSetup);
    EXPECT_TRUE(extra.options.antialias);
    EXPECT_TRUE(extra.options.windowed);
    EXPECT_EQ(extra.options.width, 800);
}

TEST(Options, RepeatsTheLastOneWins) {
    Parsed parsed("-x640 -dfirst.xml -x1024 -y1 -y2 -dsecond.xml -a -a");
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.options.width, 1024);
    EXPECT_EQ(parsed.options.height, 2);
    EXPECT_STREQ(parsed.options.dataFile, "second.xml");
    EXPECT_TRUE(parsed.options.skipSetup);
}

TEST(Options, EveryBadTokenFails) {
    for (const char* line : {"-x", "-y", "-d", "-z", "-A", "-Q", "-W", "-X100", "-D.xml", "word", "-", "--",
                             "-a word", "-x800 -d", "-a -y", "a", "/a", "\"-dmy file.xml\"", "-dmy file.xml"}) {
        Parsed parsed(line);
        EXPECT_FALSE(parsed.ok) << '"' << line << '"';
    }
}

TEST(Options, UsageTextReadsAsItAlwaysHas) {
    EXPECT_STREQ(usageText,
                 "Incorrect command line option. Use the following:\n\n-a\tSkip the setup dialog.\n-q\tEnable "
                 "antialiasing.\n-w\tRun the demo in windowed mode.\n-x<n>\tSet the display x resoultion.\n"
                 "-y<n>\tSet the display y resolution.\n-d<file>\tLoad a demo data file.\n"
                 "-e\tStart with the editor shown, for authoring.");
}
