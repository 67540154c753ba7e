// Leaving with edits not yet saved, end to end: the real player edits a -d document in a window on
// a private X server, and is closed by the window manager, stopped by a signal, or saves into a
// folder that has gone. Whatever happens the edit survives, in "Backup.xml" beside the document or
// in the document itself.
#include "support/PlayerProcess.h"
#include "support/PrivateXServer.h"
#include "support/TestPaths.h"
#include "support/WindowPixels.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* Edited = "value=\"4.000000\"";  // Editor.xml's float, 2.5, three steps up

class LeaveQuestionEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PlayerProcess::available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and import";
        // The player runs in `folder`, the document lies in a folder of its own below it.
        fs::create_directory(documentFolder);
        fs::copy_file(fs::path(testing_paths::sourceDir()) / "tests/data/gui/Editor.xml", document);
        ASSERT_TRUE(player.start(document, 640, 480)) << player.errors();
        ASSERT_TRUE(player.openEditor()) << player.errors();
        // Play, pause, time knob, save, close, the list, the float's knob: three steps up.
        for (int i = 0; i < 6; ++i) player.input({"key", "--clearmodifiers", "Tab"});
        for (int i = 0; i < 3; ++i) player.input({"key", "--clearmodifiers", "Up"});
        ASSERT_TRUE(player.waitFor([&] { return player.caption().find(" *") != std::string::npos; }));
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string backup() const { return testing_paths::readFile((documentFolder / "Backup.xml").string()); }

    const fs::path folder = testing_paths::makeTempDir();
    const fs::path documentFolder = folder / "production";
    const fs::path document = documentFolder / "Editor.xml";
    PlayerProcess player{folder};
};

TEST_F(LeaveQuestionEndToEnd, TheWindowManagersCloseAsksAndLeaveKeepsTheEditBesideTheDocument) {
    const WindowPixels before(player.window(), 170, 190, 300, 100);
    ASSERT_TRUE(testing_x::closeAsWindowManager(player.window()));
    // The question over the middle of the editor; the program waits for the answer.
    EXPECT_TRUE(player.waitFor([&] { return WindowPixels(player.window(), 170, 190, 300, 100).differing(before.all()) > 500; }))
        << player.errors();
    ASSERT_FALSE(player.ended()) << player.errors();
    EXPECT_FALSE(fs::exists(documentFolder / "Backup.xml"));

    player.input({"key", "--clearmodifiers", "Tab"});  // from "Save" to "Leave"
    player.input({"key", "--clearmodifiers", "Return"});
    ASSERT_TRUE(player.waitFor([&] { return player.ended(); }, 200)) << player.errors();
    EXPECT_NE(backup().find(Edited), std::string::npos) << backup();
    EXPECT_FALSE(fs::exists(folder / "Backup.xml")) << "beside the document, not in the working folder";
    EXPECT_NE(testing_paths::readFile(document.string()).find("value=\"2.5\""), std::string::npos) << "left unsaved";
    EXPECT_NE(player.errors().find("Backup written to " + fs::canonical(documentFolder).string() + "/Backup.xml"),
              std::string::npos)
        << player.errors();
}

TEST_F(LeaveQuestionEndToEnd, ASignalWithAnEditWritesTheBackupFirst) {
    player.signal(SIGTERM);
    ASSERT_TRUE(player.waitFor([&] { return player.ended(); }, 200)) << player.errors();
    EXPECT_NE(backup().find(Edited), std::string::npos) << player.errors();
}

TEST_F(LeaveQuestionEndToEnd, ASaveIntoAFolderThatIsGoneSaysWhyAndKeepsTheEdit) {
    fs::remove_all(documentFolder);
    player.input({"key", "--clearmodifiers", "ctrl+s"});
    EXPECT_TRUE(player.waitFor([&] { return player.errors().find("not saved: No such file or directory") != std::string::npos; }))
        << player.errors();
    // On the toolbar beside the title, in red.
    EXPECT_TRUE(player.waitFor([&] {
        int red = 0;
        const WindowPixels status(player.window(), 140, 6, 160, 20);
        for (long pixel : status.all())
            if (pixel >= 0 && ((pixel >> 16) & 0xff) > ((pixel >> 8) & 0xff) + 60) ++red;
        return red > 20;
    }));
    EXPECT_NE(player.caption().find(" *"), std::string::npos) << "still unsaved";

    // The folder back: the same keys save the edit.
    fs::create_directory(documentFolder);
    player.input({"key", "--clearmodifiers", "ctrl+s"});
    EXPECT_TRUE(player.waitFor([&] { return testing_paths::readFile(document.string()).find(Edited) != std::string::npos; }));
    EXPECT_TRUE(player.waitFor([&] { return player.caption().find(" *") == std::string::npos; }));
    EXPECT_TRUE(player.quit()) << player.errors();
}

}  // namespace
