// The render tool as a user runs it: a child process without a display, real ffmpeg and ffprobe.
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Two overlays from the linked pictures; the title fades in over the first second and a half.
const char* smallDocument =
    "<demo>\n"
    "    <music name=\"Music\" resource=\"Music.ogg\" />\n"
    "    <visual.group name=\"Main\">\n"
    "        <item visual=\"Backdrop\" />\n"
    "        <item visual=\"Title\" />\n"
    "    </visual.group>\n"
    "    <texture.file name=\"Stars\" resource=\"SpaceStars.jpg\" />\n"
    "    <texture.file name=\"Words\" resource=\"SpaceTitle.png\" />\n"
    "    <visual.overlay name=\"Backdrop\" texture=\"Stars\" start=\"0\" stop=\"3\" v1=\"0.75\" />\n"
    "    <visual.overlay name=\"Title\" texture=\"Words\" start=\"0.2\" stop=\"3\" t1=\"1.5\" v1=\"0.75\" />\n"
    "</demo>\n";

struct RenderFolder {
    RenderFolder() : path(testing_paths::makeTempDir()) {
        std::ofstream(path + "/small.xml") << smallDocument;
    }
    ~RenderFolder() { fs::remove_all(path); }

    ChildOutcome render(std::vector<std::string> arguments, std::vector<std::string> environment = {}) {
        arguments.push_back("-d" + path + "/small.xml");
        ChildOptions options;
        options.withDisplay = false;  // a render needs no screen
        options.timeLimitSeconds = 120;
        return runTool(testing_paths::binaryDir() + "/zodrender", arguments, options, environment);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string path;
};

std::string probe(const std::string& arguments) {
    std::string text;
    if (FILE* pipe = popen(("ffprobe -v error " + arguments + " 2>&1").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
        pclose(pipe);
    }
    return text;
}

std::string bytesOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(zodrender, VideoHasEveryFrameAndTheMusic) {
    RenderFolder folder;
    std::string video = folder.path + "/out.mp4";
    ChildOutcome outcome = folder.render({"-o", video, "--fps", "30", "--size", "320x240", "--to", "2"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    int frames = std::atoi(probe("-count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 " +
                                 video).c_str());
    EXPECT_NEAR(frames, 60, 1);
    double sound = std::atof(probe("-select_streams a:0 -show_entries stream=duration -of csv=p=0 " + video).c_str());
    EXPECT_NEAR(sound, 2.0, 0.05);
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"out.mp4", "small.xml"}));  // no temporary left behind
}

// Frame n shows time n / fps: at twice the rate every other frame is the same picture, so no
// frame is drawn a step early or late.
TEST(zodrender, TwoRendersGiveTheSameFramesAtTheSameTimes) {
    RenderFolder folder;
    for (const char* rate : {"10", "20"}) {
        ChildOutcome outcome = folder.render({"-o", folder.path + "/at" + rate + ".png", "--fps", rate, "--size",
                                              "160x120", "--from", "0.4", "--to", "0.7"});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    }
    for (int frame : {4, 5, 6}) {
        char slow[16], fast[16];
        std::snprintf(slow, sizeof slow, "%05d.png", frame);
        std::snprintf(fast, sizeof fast, "%05d.png", 2 * frame);
        std::string a = bytesOf(folder.path + "/at10" + slow);
        ASSERT_FALSE(a.empty()) << slow;
        EXPECT_EQ(a, bytesOf(folder.path + "/at20" + fast)) << slow << " at 10 fps, " << fast << " at 20 fps";
    }
    // The title fades in meanwhile: equal runs, not equal frames.
    EXPECT_NE(bytesOf(folder.path + "/at1000004.png"), bytesOf(folder.path + "/at1000006.png"));
}

TEST(zodrender, FailuresExitWithOneAndLeaveNothing) {
    RenderFolder folder;
    const std::vector<std::string> before = folder.files();
    const std::vector<std::string> small{"--size", "64x48", "--to", "0.5"};
    auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), small.begin(), small.end());
        return head;
    };

    // A folder that cannot be written (a file stands where the folder should be; root may write anywhere else).
    std::ofstream(folder.path + "/blocker") << "x";
    ChildOutcome unwritable = folder.render(with({"-o", folder.path + "/blocker/out.mp4"}));
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.errors.find("Cannot write"), std::string::npos) << unwritable.errors;
    fs::remove(folder.path + "/blocker");

    // An encoder that writes half a file and fails.
    std::string tools = testing_paths::makeTempDir();
    std::ofstream(tools + "/ffmpeg") << "#!/bin/sh\nfor last; do :; done\necho half > \"$last\"\ncat >/dev/null\n"
                                        "echo 'encoder broke' >&2\nexit 1\n";
    fs::permissions(tools + "/ffmpeg", fs::perms::owner_all);
    ChildOutcome broken = folder.render(with({"-o", folder.path + "/out.mp4"}), {"PATH=" + tools + ":/usr/bin:/bin"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.errors.find("encoder broke"), std::string::npos) << broken.errors;

    // No ffmpeg at all.
    fs::remove(tools + "/ffmpeg");
    ChildOutcome missing = folder.render(with({"-o", folder.path + "/out.mp4"}), {"PATH=" + tools});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.errors.find("ffmpeg"), std::string::npos) << missing.errors;
    fs::remove_all(tools);

    // A document whose Main names nothing: the message says where.
    std::ofstream(folder.path + "/small.xml") << "<demo>\n<music name=\"Music\" resource=\"Music.ogg\" />\n"
                                                 "<visual.group name=\"Main\"><item visual=\"Gone\" /></visual.group>\n"
                                                 "</demo>\n";
    ChildOutcome bad = folder.render(with({"-o", folder.path + "/out.mp4"}));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.errors.find("line 3: Main: the visual \"Gone\" names no element"), std::string::npos) << bad.errors;

    EXPECT_EQ(folder.files(), before);
}
