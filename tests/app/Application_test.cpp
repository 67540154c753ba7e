// The real executable on its start-up failure paths: the message on standard error and exit
// code 1. Message boxes are off (ZOD_NO_MESSAGE_BOXES) and -a skips the dialog, so nothing waits.
#include "platform/win/XdotoolDriver.h"
#include "support/PrivateXServer.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <utility>
#include <unistd.h>
#include <vector>

namespace {

using Outcome = ChildOutcome;

Outcome runProgram(const std::vector<std::string>& arguments, int seconds = 30, bool withDisplay = true) {
    ChildOptions options;
    options.timeLimitSeconds = seconds;
    options.withDisplay = withDisplay;
    return runExecutable(arguments, options);
}

std::string dataFile(const char* name) {
    return testing_paths::sourceDir() + "/tests/data/app/" + name;
}

const char* const usage =
    "Incorrect command line option. Use the following:\n\n-a\tSkip the setup dialog.\n";

}  // namespace

TEST(Application, BadOptionsShowTheUsageAndExitWithOne) {
    for (std::vector<std::string> arguments : std::vector<std::vector<std::string>>{
             {"-z"}, {"-x"}, {"-d"}, {"-A"}, {"word"}, {"-a", "-w", "-y"}, {"-a", "-"}}) {
        Outcome outcome = runProgram(arguments);
        EXPECT_EQ(outcome.exitCode, 1) << arguments[0];
        EXPECT_NE(outcome.errors.find(usage), std::string::npos) << outcome.errors;
        EXPECT_NE(outcome.errors.find("Zod'e Revez!"), std::string::npos) << outcome.errors;
    }
}

TEST(Application, ASpaceAfterMinusDIsExplained) {
    Outcome outcome = runProgram({"-a", "-w", "-d", "ok.xml"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("-d needs the file name directly after it, as in -dmy.xml"), std::string::npos)
        << outcome.errors;
    EXPECT_NE(outcome.errors.find(usage), std::string::npos) << outcome.errors;
}

TEST(Application, DocumentsThatCannotBeLoadedStopStartUp) {
    struct Case {
        std::string file;
        const char* message;
    };
    for (const Case& c : {Case{dataFile("Missing.xml"), "XML loading and parsing error"},
                          Case{dataFile("Unparsable.xml"), "XML loading and parsing error"},
                          Case{dataFile("Empty.xml"), "XML loading and parsing error"},
                          Case{testing_paths::sourceDir() + "/tests", "XML loading and parsing error"},
                          Case{"/dev/zero", "XML loading and parsing error"},
                          Case{dataFile("NoDemo.xml"), "The database cannot load"},
                          Case{dataFile("NoMusic.xml"), "Cannot load music."},
                          Case{dataFile("MissingMusic.xml"), "Cannot load music."},
                          Case{dataFile("NoMain.xml"), "Cannot load Gui."}}) {
        Outcome outcome = runProgram({"-a", "-w", "-x320", "-y240", "-d" + c.file});
        EXPECT_EQ(outcome.exitCode, 1) << c.file << "\n" << outcome.errors;
        EXPECT_NE(outcome.errors.find(c.message), std::string::npos) << c.file << "\n" << outcome.errors;
        EXPECT_EQ(outcome.errors.find("Incorrect command line"), std::string::npos);
    }
}

TEST(Application, CancellingTheSetupDialogEndsSilentlyWithOne) {
    ASSERT_TRUE(testing_x::startPrivateXServer());  // pointer and keyboard focus are ours alone
    std::thread driver([] {
        std::string window = XdotoolDriver::focusedWindow("Welcome", 50);
        if (window.empty()) return;  // the program's time limit then fails the test
        XdotoolDriver::run("key Escape");
    });
    Outcome outcome = runProgram({"-w", "-x320", "-y240", "-d" + dataFile("NoMusic.xml")}, 55);
    driver.join();
    EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
    EXPECT_EQ(outcome.errors.find("Zod'e Revez!"), std::string::npos) << outcome.errors;  // no message
}

// The dialog's OK as offered (full screen, 800 x 600) on a screen without that mode (1280 x 1024)
// gets a picture: the start-up goes on past the display, to the document's own problem.
TEST(Application, TheSetupDialogsOkWorksOnAScreenWithout800x600) {
    ASSERT_TRUE(testing_x::startPrivateXServer());
    std::thread driver([] {
        if (!XdotoolDriver::focusedWindow("Welcome", 50).empty()) XdotoolDriver::run("key Return");
    });
    Outcome outcome = runProgram({"-d" + dataFile("NoMusic.xml")}, 55);
    driver.join();
    EXPECT_EQ(outcome.errors.find("Cannot find video mode"), std::string::npos) << outcome.errors;
    EXPECT_NE(outcome.errors.find("Cannot load music."), std::string::npos) << outcome.errors;
}

TEST(Application, AStopSignalEndsTheProgramWhileAnErrorBoxWaits) {
    // With boxes on, "Cannot load Gui." waits for an answer that never comes; kill (or Ctrl+C)
    // ends the program all the same, and takes the box away. The box is the program's other
    // top-level window of its title, the one without a class.
    ASSERT_TRUE(testing_x::startPrivateXServer());
    using Clock = std::chrono::steady_clock;
    auto boxShown = [] {
        return testing_paths::commandOutput("xwininfo -root -tree 2>/dev/null").find("\"Zod'e Revez!\": ()") !=
               std::string::npos;
    };
    auto waitFor = [](const std::function<bool()>& state) {
        for (const auto deadline = Clock::now() + std::chrono::seconds(30); Clock::now() < deadline;) {
            if (state()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    };
    const std::string folder = testing_paths::makeTempDir();
    const pid_t player = startExecutable({"-a", "-w", "-x320", "-y240", "-d" + dataFile("NoMain.xml")}, folder,
                                         {"ZOD_NO_MESSAGE_BOXES="});
    ASSERT_GT(player, 0);
    EXPECT_TRUE(waitFor(boxShown)) << "no box";
    kill(player, SIGTERM);
    int status = 0;
    if (!waitFor([&] { return waitpid(player, &status, WNOHANG) == player; })) {
        kill(player, SIGKILL);
        waitpid(player, &status, 0);
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
    EXPECT_TRUE(waitFor([&] { return !boxShown(); })) << "the box stays";
    std::remove((folder + "/stderr.txt").c_str());
    std::remove(folder.c_str());
}

TEST(Application, ARootThatDrawsNothingEndsTheRunNormally) {
    Outcome outcome = runProgram({"-a", "-w", "-x320", "-y240", "-d" + dataFile("EmptyMain.xml")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors.find("Zod'e Revez!"), std::string::npos) << outcome.errors;
}

TEST(Application, FullScreenAtTheScreensSizeReachesTheDocument) {
    if (std::getenv("DISPLAY") == nullptr) {
        ASSERT_TRUE(testing_x::startPrivateXServer());
    }
    std::string size = XdotoolDriver::run("getdisplaygeometry");  // "width height"
    std::size_t blank = size.find(' ');
    ASSERT_NE(blank, std::string::npos) << size;
    Outcome outcome = runProgram({"-a", "-x" + size.substr(0, blank), "-y" + size.substr(blank + 1),
                                  "-d" + dataFile("Missing.xml")});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("XML loading and parsing error"), std::string::npos) << outcome.errors;
}

TEST(Application, ADocumentNestedTooDeepIsRefusedNotParsed) {
    std::string folder = testing_paths::makeTempDir();
    std::string path = folder + "/Deep.xml";
    {
        std::ofstream out(path);
        out << "<demo>";
        for (int i = 0; i < 300000; ++i) out << "<a>";
    }
    Outcome outcome = runProgram({"-a", "-w", "-x320", "-y240", "-d" + path});
    std::remove(path.c_str());
    std::remove(folder.c_str());
    EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("XML loading and parsing error"), std::string::npos) << outcome.errors;
}

TEST(Application, WithoutADisplayNothingWaitsForAnAnswer) {
    // No window anyone could see (DISPLAY unset): no silent play to nobody, no dialog waiting.
    for (const char* document : {"EmptyMain.xml", "NoMusic.xml"}) {
        Outcome outcome = runProgram({"-w", "-x320", "-y240", "-d" + dataFile(document)}, 30, false);
        EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
        EXPECT_NE(outcome.errors.find("no display to show the window on"), std::string::npos) << outcome.errors;
        EXPECT_NE(outcome.errors.find("Zod'e Revez!: Cannot open a display."), std::string::npos) << outcome.errors;
    }
    Outcome usage = runProgram({"-z"}, 30, false);
    EXPECT_EQ(usage.exitCode, 1) << usage.errors;
    EXPECT_NE(usage.errors.find("Incorrect command line option."), std::string::npos) << usage.errors;
}

TEST(Application, AProductionThatContainsItselfLeavesTheCycleOutAndEnds) {
    // Each warning names the referrer, then the object that leads back to it.
    for (const auto& [file, warnings] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"GroupCycle.xml", {":11: visual.group \"Inner\": item \"Main\" leads back to \"Inner\"",
                                 ":6: visual.group \"Main\": item \"Main\" leads back to \"Main\""}},
             {"TargetCycle.xml", {":10: texture.target \"Mirror Texture\": visual \"Mirror\" leads back to \"Mirror Texture\"",
                                  ":17: visual.overlay \"Pane\": texture \"Window Texture\" leads back to \"Pane\""}}}) {
        Outcome outcome = runProgram({"-a", "-w", "-x320", "-y240", "-d" + dataFile(file.c_str())});
        EXPECT_EQ(outcome.exitCode, 0) << file << "\n" << outcome.errors;
        for (const std::string& warning : warnings)
            EXPECT_NE(outcome.errors.find(dataFile(file.c_str()) + warning), std::string::npos) << outcome.errors;
    }
}

TEST(Application, StartUpFailuresNameTheirFileLineAndObject) {
    // The cause the author needs comes first on standard error, then the box's message as it always read.
    char folder[PATH_MAX];
    ASSERT_NE(::realpath(dataFile("").c_str(), folder), nullptr);
    const std::string notIn = std::string(" and is not in ") + folder;
    for (const auto& [file, cause, message] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"MainMisspelt.xml", "Main: no visual of that name; did you mean \"Mian\"?", "Cannot load Gui."},
             {"NoMain.xml", ":4: float \"Main\": not a visual", "Cannot load Gui."},
             {"MisspeltTag.xml", ":7: visual.overlya \"Title\": unknown type", "Cannot load Gui."},
             {"MisspeltTexture.xml", ":7: visual.overlay \"Title\": no object named \"Blak\"; did you mean \"Black\"?",
              "Cannot load Gui."},
             {"MissingPicture.xml", ":3: texture.file \"Black\": the resource \"blak.jpg\" is not carried by the executable" + notIn +
                  "; did you mean \"black.jpg\"?",
              "Cannot load Gui."},
             {"MissingMusic.xml", ":2: music \"Music\": the resource \"Nothing.ogg\" is not carried by the executable" + notIn,
              "Cannot load music."},
             {"CutPicture.xml", ":3: texture.file \"Black\": the picture \"Cut.png\" cannot be decoded: PNG: the file ends early",
              "Cannot load Gui."},
             {"Unparsable.xml", ":line 2: XML parsing error: the tag <float> on line 2 has no closing \">\"",
              "XML loading and parsing error"},
             {"Missing.xml", ": no such file", "XML loading and parsing error"}}) {
        Outcome outcome = runProgram({"-a", "-w", "-x320", "-y240", "-d" + dataFile(file.c_str())});
        EXPECT_EQ(outcome.exitCode, 1) << file << "\n" << outcome.errors;
        const std::string line = (cause[0] == ':' ? dataFile(file.c_str()) : "") + cause + "\n";
        const std::size_t found = outcome.errors.find(line);
        EXPECT_NE(found, std::string::npos) << line << outcome.errors;
        EXPECT_LT(found, outcome.errors.find("Zod'e Revez!: " + message)) << outcome.errors;
    }
}
