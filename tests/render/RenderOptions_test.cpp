#include "render/RenderOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool parse(RenderOptions* options, std::vector<std::string> words, std::string* error) {
    words.insert(words.begin(), "zodrender");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    return options->parse(static_cast<int>(argv.size()), argv.data(), error);
}

}  // namespace

TEST(RenderOptions, ReadsEveryOption) {
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parse(&options, {"-o", "v.mkv", "-dmy.xml", "--fps", "25", "--size", "640x360", "--from", "1.5",
                                 "--to", "4", "--antialias", "--quality", "draft"},
                      &error))
        << error;
    EXPECT_EQ(options.output, "v.mkv");
    EXPECT_EQ(options.dataFile, "my.xml");
    EXPECT_EQ(options.fps, 25);
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 360);
    EXPECT_DOUBLE_EQ(options.from, 1.5);
    EXPECT_DOUBLE_EQ(options.to, 4.0);
    EXPECT_TRUE(options.antialias);
    EXPECT_EQ(options.quality, "draft");
    EXPECT_FALSE(options.pngSequence());
}

TEST(RenderOptions, RefusesWhatCannotBeRendered) {
    const std::vector<std::vector<std::string>> bad{
        {},                                        // no output
        {"-o"},                                    // no value
        {"-o", "v.mp4", "--fps", "0"},
        {"-o", "v.mp4", "--fps", "30x"},
        {"-o", "v.mp4", "--size", "641x360"},      // odd: H.264 cannot take it
        {"-o", "v.mp4", "--size", "640"},
        {"-o", "v.mp4", "--from", "3", "--to", "2"},
        {"-o", "v.mp4", "--from", "-1"},
        {"-o", "v.mp4", "-d"},
        {"-o", "v.mp4", "-w"},
        {"-o", "v.mp4", "--frames", "30:30"},      // empty
        {"-o", "v.mp4", "--frames", "-5:30"},
        {"-o", "v.mp4", "--frames", "30"},
        {"-o", "v.mp4", "--frames", "0:30", "--from", "2"},  // two ranges
        {"-o", "v.mp4", "--quality", "fast"},
        {"-o", "v.MPG", "--fps", "10"},            // MPEG-1 has no such frame rate
    };
    for (const auto& words : bad) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(parse(&options, words, &error)) << testing::PrintToString(words);
        EXPECT_FALSE(error.empty());
    }
    RenderOptions frames;
    std::string error;
    EXPECT_TRUE(parse(&frames, {"-o", "shot.png", "--size", "641x361"}, &error)) << error;  // pictures may be odd
    EXPECT_TRUE(frames.pngSequence());
    RenderOptions mpeg;
    EXPECT_TRUE(parse(&mpeg, {"-o", "v.mpeg", "--fps", "25"}, &error)) << error;
    RenderOptions chunk;
    EXPECT_TRUE(parse(&chunk, {"-o", "c.mp4", "--frames", "60:90"}, &error)) << error;
    EXPECT_TRUE(chunk.segment());
    EXPECT_EQ(chunk.firstFrame, 60);
    EXPECT_EQ(chunk.endFrame, 90);
}
