// The production ends by itself on the first frame at which nothing in "Main" is active: a gap in
// the time line ends it as surely as the last overlay's stop.
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

TEST(ProductionEnd, AGapBetweenOverlaysEndsTheProgramCleanly) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (scripts/test.sh starts Xvfb)";
    const std::string folder = testing_paths::makeTempDir();
    const std::string file = folder + "/Gap.xml";
    {
        std::ofstream out(file);
        out << "<demo>\n"
               "    <music name=\"Music\" resource=\"Music.ogg\" tempo=\"324\" />\n"
               "    <visual.group name=\"Main\">\n"
               "        <item visual=\"First\" />\n"
               "        <item visual=\"Second\" />\n"
               "    </visual.group>\n"
               "    <texture.file name=\"Black\" resource=\"black.jpg\" />\n"
               "    <visual.overlay name=\"First\" texture=\"Black\" start=\"0\" stop=\"0.5\" />\n"
               "    <visual.overlay name=\"Second\" texture=\"Black\" start=\"120\" stop=\"121\" />\n"
               "</demo>\n";
    }
    // Were the gap not the end, the program would run for two minutes; the limit is far below.
    ChildOutcome outcome = runExecutable({"-a", "-w", "-x320", "-y240", "-d" + file}, {60, folder});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_LT(outcome.seconds, 60.0);
    // A normal end writes nothing: no backup without the editor.
    std::ifstream backup(folder + "/Backup.xml");
    EXPECT_FALSE(backup.good());
    std::remove(file.c_str());
    std::remove(folder.c_str());
}
