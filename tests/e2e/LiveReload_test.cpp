// The live loop end to end: the real player follows a -d document in a window on a private X
// server while the test saves the picture and the document as editors do (a new file renamed over
// the old one), and reads the result back with screenshots and standard error. The right half of
// the window turns white at 3 s: while it stays white the demo time has gone on, not restarted.
#include "support/PlayerProcess.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"
#include "support/WindowPixels.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;

constexpr long Red = 0xff0000, Green = 0x00ff00, Blue = 0x0000ff, White = 0xffffff;

bool near(long colour, long expected) {
    if (colour < 0) return false;  // not read
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((colour >> shift) & 0xff) - int((expected >> shift) & 0xff)) > 12) return false;
    return true;
}

std::string documentShowing(const char* picture) {
    return std::string("<demo>\n<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>\n"
                       "<texture.file name=\"Picture\" resource=\"") + picture + "\"/>\n"
           "<visual.group name=\"Empty\"/>\n"
           "<texture.target name=\"White\" visual=\"Empty\" size=\"8\" color=\"ffffffff\"/>\n"
           "<visual.overlay name=\"Left\" texture=\"Picture\" start=\"0\" stop=\"1000\" position=\"0 0 160 240\"/>\n"
           "<visual.overlay name=\"Right\" texture=\"White\" start=\"3\" stop=\"1000\" position=\"160 0 160 240\"/>\n"
           "<visual.group name=\"Main\"><item visual=\"Left\"/><item visual=\"Right\"/></visual.group>\n</demo>\n";
}

void replaceAsEditorsDo(const fs::path& file, const std::function<void(const fs::path&)>& write) {
    const fs::path temporary = file.parent_path() / ("." + file.filename().string() + ".new");
    write(temporary);
    fs::rename(temporary, file);
}

// The colours at the middle of the left and the right half, 0xRRGGBB; -1 where not read.
std::pair<long, long> halves(const PlayerProcess& player) {
    const WindowPixels row(player.window(), 0, 120, 320, 1);
    return {row.at(80, 0), row.at(240, 0)};
}

// Looks until `wanted` holds for the two halves (or the player ends, or a minute passes); the
// right half's colour at that moment goes to `right`.
bool showsAtLast(PlayerProcess& player, const std::function<bool(long, long)>& wanted, long* right = nullptr) {
    return player.waitFor(
        [&] {
            const auto [l, r] = halves(player);
            if (right) *right = r;
            return wanted(l, r);
        },
        600);
}

}  // namespace

TEST(LiveReloadEndToEnd, SavedPictureAndDocumentShowAtOnceAndABrokenOneKeepsThePicture) {
    if (!PlayerProcess::available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
    const fs::path folder = testing_paths::makeTempDir();
    {
        TestDevice painter(16, 16);  // the author's pictures: plain colours
        for (auto [name, colour] : {std::pair{"red.png", 0xffff0000u}, {"green.png", 0xff00ff00u}, {"blue.png", 0xff0000ffu}}) {
            painter->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
            ASSERT_TRUE(painter.savePng((folder / name).string()));
        }
    }
    fs::copy_file(folder / "red.png", folder / "picture.png");
    const fs::path document = folder / "demo.xml";
    std::ofstream(document) << documentShowing("picture.png");

    PlayerProcess player(folder);
    ASSERT_TRUE(player.start(document, 320, 240)) << player.errors();
    ASSERT_TRUE(showsAtLast(player, [](long l, long r) { return near(l, Red) && near(r, White); })) << player.errors();

    // A new picture, saved as a paint program does: shown while the time goes on.
    const auto saved = std::chrono::steady_clock::now();
    replaceAsEditorsDo(folder / "picture.png", [&](const fs::path& to) { fs::copy_file(folder / "green.png", to); });
    long right = 0;
    ASSERT_TRUE(showsAtLast(player, [](long l, long) { return near(l, Green); }, &right)) << player.errors();
    std::printf("the new picture showed %.2f s after the save\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - saved).count());
    EXPECT_TRUE(near(right, White)) << std::hex << right << ": the demo time started again";

    // A document that cannot load: the picture stays, standard error says where and why.
    replaceAsEditorsDo(document, [](const fs::path& to) { std::ofstream(to) << documentShowing("missing.png"); });
    const std::string line = document.string() + ":3: texture.file \"Picture\": the resource \"missing.png\" is not carried";
    EXPECT_TRUE(player.waitFor([&] { return player.errors().find(line) != std::string::npos; }, 600)) << player.errors();
    const auto [left, nowRight] = halves(player);
    EXPECT_TRUE(near(left, Green) && near(nowRight, White)) << std::hex << left << " " << nowRight;

    // The next good save loads.
    replaceAsEditorsDo(document, [](const fs::path& to) { std::ofstream(to) << documentShowing("blue.png"); });
    EXPECT_TRUE(showsAtLast(player, [](long l, long r) { return near(l, Blue) && near(r, White); })) << player.errors();
    fs::remove_all(folder);
}

TEST(LiveReloadEndToEnd, AnAuthoringStartOpensABrokenDocumentInTheEditorAndPlaysItOnceMended) {
    if (!PlayerProcess::available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
    const fs::path folder = testing_paths::makeTempDir();
    {
        TestDevice painter(16, 16);
        painter->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff0000u, 1.0f, 0);
        ASSERT_TRUE(painter.savePng((folder / "picture.png").string()));
    }
    const fs::path document = folder / "demo.xml";
    std::ofstream(document) << documentShowing("pictrue.png");

    PlayerProcess player(folder);
    ASSERT_TRUE(player.start(document, 320, 240, {"-e"})) << player.errors();
    const std::string line = document.string() + ":line 3: Picture: the resource \"pictrue.png\" is not carried";
    ASSERT_TRUE(player.waitFor([&] { return player.errors().find("The editor is shown.") != std::string::npos; }))
        << player.errors();
    EXPECT_NE(player.errors().find(line), std::string::npos) << player.errors();
    EXPECT_FALSE(player.ended()) << player.errors();

    replaceAsEditorsDo(document, [](const fs::path& to) { std::ofstream(to) << documentShowing("picture.png"); });
    EXPECT_TRUE(showsAtLast(player, [](long l, long) { return near(l, Red); })) << player.errors();
    EXPECT_TRUE(player.quit()) << player.errors();
    fs::remove_all(folder);
}
