#include "database/DocumentMerge.h"

#include <gtest/gtest.h>

TEST(DocumentMerge, EditedObjectsTheFileDroppedAreKeptAtTheEndAndNamed) {
    const std::string base = "<demo>\n    <float name='A' value='1'/>\n    <float name='B' value='1'/>\n</demo>\n";
    const std::string mine = "<demo>\n    <float name='A' value='2'/>\n    <float name='B' value='1'/>\n</demo>\n";
    const std::string theirs = "<demo>\n    <!-- B only -->\n    <float name='B' value='3'/>\n</demo>\n";
    MergedDocument merged;
    ASSERT_TRUE(mergeDocuments(base, mine, theirs, &merged));
    EXPECT_EQ(merged.text,
              "<demo>\n    <!-- B only -->\n    <float name='B' value='3'/>\n    <float name='A' value='2'/>\n</demo>\n");
    EXPECT_EQ(merged.changedOnBothSides, std::vector<std::string>{"A"});

    // A text whose elements cannot be told apart is no merge.
    EXPECT_FALSE(mergeDocuments(base, mine, "<demo><float name='B' value='3'></demo>", &merged));
}
