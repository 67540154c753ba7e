// One loader: the same broken document is explained in the same words by the player's start-up,
// by a live reload of the running player and by zodcheck.
#include "app/DocumentLoader.h"

#include "app/Display.h"
#include "app/LiveReload.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "support/ChildProcess.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string documentWith(const std::string& texture, const std::string& group) {
    return "<demo>\n"
           "<float name=\"Speed\" value=\"1\"/>\n"
           "<texture.file name=\"Black\" resource=\"black.jpg\"/>\n"
           "<visual.overlay name=\"Cover\" texture=\"" + texture + "\" start=\"0\" stop=\"1000\"/>\n" +
           group +
           "<visual.group name=\"Main\"><item visual=\"Cover\"/></visual.group>\n"
           "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n</demo>\n";
}

void replace(const fs::path& file, const std::string& text) {
    const fs::path temporary = file.parent_path() / ".demo.xml.new";
    std::ofstream(temporary) << text;
    fs::rename(temporary, file);
}

}  // namespace

TEST(DocumentLoader, StartUpReloadAndZodcheckExplainABrokenDocumentAlike) {
    TestDevice screen(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const fs::path folder = testing_paths::makeTempDir();
    const std::string file = (folder / "demo.xml").string();
    struct Case {
        std::string text;
        std::vector<std::string> lines;  // each said by all three, the reload's editor showing the last
    };
    const std::vector<Case> cases{
        {documentWith("Black", "<model.group name=\"World\">\n<item model=\"Pot\">\n</model.group>\n"),
         {file + ":line 6: XML parsing error: <item> opened on line 6 is not closed before </model.group> on line 7"}},
        {documentWith("Blak", ""),
         {file + ":line 4: Cover: the texture \"Blak\" names no element; did you mean \"Black\"?",
          file + ":4: visual.overlay \"Cover\": no object named \"Blak\"; did you mean \"Black\"?"}},
    };
    std::ofstream(file) << documentWith("Black", "");
    {
        Display display;
        LoadedDocument current;
        std::vector<std::string> problems;
        ASSERT_TRUE(LiveReload::load(file, &display, current, &problems)) << problems.front();
        display.setRoot(current.gui.get());
        LiveReload live(file, &display);
        ASSERT_TRUE(live.start(current));
        for (const Case& c : cases) {
            replace(file, c.text);
            testing::internal::CaptureStderr();
            for (int i = 0; i < 1000 && c.lines.back() != current.gui->getEditor()->getProblem(); ++i) {
                EXPECT_FALSE(live.poll(current));
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            const std::string reloaded = testing::internal::GetCapturedStderr();
            EXPECT_EQ(c.lines.back(), current.gui->getEditor()->getProblem());

            const std::string started = runExecutable({"-a", "-w", "-x160", "-y120", "-d" + file}).errors;
            ChildOptions quiet;
            quiet.withDisplay = false;
            const std::string checked =
                runTool("/bin/sh", {"-c", testing_paths::binaryDir() + "/zodcheck " + file + " 1>&2"}, quiet).errors;
            for (std::size_t i = 0; i < c.lines.size(); ++i) {
                const std::string line = c.lines[i] + "\n";
                EXPECT_NE(reloaded.find(line), std::string::npos) << line << reloaded;
                EXPECT_NE(started.find(line), std::string::npos) << line << started;
                if (i == 0) {  // zodcheck lists no causes
                    EXPECT_NE(checked.find(line), std::string::npos) << line << checked;
                }
            }
        }
        display.setRoot(nullptr);
        current.database->deleteObjects();
    }
    stopAudio();
    fs::remove_all(folder);
}
