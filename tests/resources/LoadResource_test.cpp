#include "resources/LoadResource.h"

#include "resources/ResourceFolder.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

TEST(LoadResource, FindsNamesWithoutRegardToCase) {
    ResourceData exact = loadResource("DejaVuSans.ttf");
    ResourceData upper = loadResource("DEJAVUSANS.TTF");
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact.data, upper.data);
    EXPECT_EQ(exact.size, upper.size);
    ASSERT_GT(exact.size, 4u);
    // A TrueType file begins with the version 1.0 tag.
    const unsigned char trueType[4] = {0, 1, 0, 0};
    EXPECT_EQ(std::memcmp(exact.data, trueType, 4), 0);
}

TEST(LoadResource, MissingNamesAndNumbersFail) {
    EXPECT_FALSE(loadResource("no such resource.bin"));
    EXPECT_FALSE(loadResource(""));
    EXPECT_FALSE(loadResource(nullptr));
    EXPECT_FALSE(loadResource(99999));
    EXPECT_FALSE(loadResource(0));
    EXPECT_EQ(loadResource("no such resource.bin").size, 0u);
}

// The bytes of a file beside a document are shared: they stay whoever lets go of them first.
TEST(LoadResource, AFilesBytesOutliveItsFolder) {
    const std::string folder = testing_paths::makeTempDir();
    std::ofstream(folder + "/song.ogg") << "the song";
    ResourceData bytes;
    {
        ResourceFolder files(folder + "/demo.xml");
        std::string problem;
        bytes = loadResource("song.ogg", &files, &problem);
    }
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data), bytes.size), "the song");
    std::filesystem::remove_all(folder);
}
