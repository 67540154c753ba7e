// The time line and undo end to end: the real executable on a private X server, driven with
// xdotool. Path edits are taken back and done again and the saved files compared byte for byte;
// a click on the time line seeks, and a one-bar loop keeps the playing time inside it, read from
// the cursor the strip draws. Where to press comes from laying out the same widgets here.
#include "clock/Audio.h"
#include "clock/Music.h"
#include "gui/Gui.h"
#include "gui/ObjectBrowser.h"
#include "gui/PathPanel.h"
#include "gui/TimeLine.h"
#include "gui/TransportPanel.h"
#include "paths/PathSpline.h"
#include "support/EditorLayout.h"
#include "support/PlayerProcess.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestPaths.h"
#include "support/WindowPixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

constexpr int WindowWidth = 640, WindowHeight = 480;

using Spot = EditorLayout::Spot;

Spot centre(Widget* w) {
    const Rect r = w->getRect();
    return {r.x + r.width / 2, r.y + r.height / 2};
}

TEST(TimeLineEndToEnd, UndoTakesBackEveryPathEditExactlyAndRedoDoesThemAgain) {
    if (!PlayerProcess::available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path document = folder / "PathEditor.xml";
    const std::string source = testing_paths::readFile(fs::path(testing_paths::sourceDir()) / "tests/data/gui/PathEditor.xml");

    // The document as a save writes it, so that "the same bytes" can be asked of the executable's
    // saves; and where the path's controls are.
    TestDevice measuring(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const EditorLayout layout(WindowWidth, WindowHeight);
    Spot pathRow, view, tension, minus;
    {
        TestDocument here(source.c_str());
        ASSERT_TRUE(here.loaded);
        for (int i = 0; i < here.database.count(); ++i) ASSERT_NE(here.database.objectAt(i), nullptr);
        ASSERT_TRUE(here.database.saveAs(document.string().c_str()));
        ObjectBrowser browser;
        ASSERT_TRUE(browser.init(&here.database));
        browser.setRect(layout.browser);
        const Rect list = browser.getList()->getRect();
        pathRow = {list.x + 20, list.y + browser.getList()->getSizeHint().height * 3 / 2};
        browser.showObject(1);
        auto* panel = dynamic_cast<PathPanel*>(here.find<PathSpline>("Camera", TypePathSpline)->getEditor());
        ASSERT_NE(panel, nullptr);
        view = centre(panel->getOrbitView());
        tension = centre(panel->getKnob(PathPanel::TensionKnob));
        minus = centre(panel->getButton(PathPanel::DeleteButton));
    }
    stopAudio();
    const std::string original = testing_paths::readFile(document);
    ASSERT_FALSE(original.empty());

    PlayerProcess player(folder);
    ASSERT_TRUE(player.start(document, WindowWidth, WindowHeight)) << player.errors();
    ASSERT_TRUE(player.openEditor());
    EXPECT_EQ(player.caption().find('*'), std::string::npos);
    player.click(pathRow.x, pathRow.y);
    player.drag(view.x, view.y, view.x + 37, view.y, "3");                 // moves the first key
    player.drag(tension.x, tension.y, tension.x + 40, tension.y, "1");  // one gesture, one step
    player.click(minus.x, minus.y);                                       // deletes the first key
    EXPECT_TRUE(player.waitFor([&] { return player.caption().find('*') != std::string::npos; }))
        << "no unsaved-edits mark: " << player.caption();

    auto saveAndRead = [&](const std::string& before) {
        player.click(layout.save.x, layout.save.y);
        std::string now;
        player.waitFor([&] { return (now = testing_paths::readFile(document)) != before; }, 40);
        return now;
    };
    const std::string edited = saveAndRead(original);
    ASSERT_NE(edited, original) << "the edits did not reach the file";
    EXPECT_TRUE(player.waitFor([&] { return player.caption().find('*') == std::string::npos; }));

    for (int i = 0; i < 3; ++i) player.input({"key", "ctrl+z"});
    EXPECT_EQ(saveAndRead(edited), original) << "three undos do not restore the document exactly";
    for (int i = 0; i < 3; ++i) player.input({"key", "ctrl+y"});
    EXPECT_EQ(saveAndRead(original), edited) << "three redos do not do the edits again exactly";
    EXPECT_TRUE(player.quit()) << player.errors();
    fs::remove_all(folder);
}

TEST(TimeLineEndToEnd, AClickSeeksToABarAndAOneBarLoopKeepsThePlayingTimeInside) {
    if (!PlayerProcess::available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path document = folder / "Editor.xml";
    fs::copy_file(fs::path(testing_paths::sourceDir()) / "tests/data/gui/Editor.xml", document);

    // The strip's columns for the document's music (tempo 120: a bar is 2 s), and the time label
    // as the editor draws it at 4 s, drawn here with the same fonts.
    TestDevice screen(WindowWidth, WindowHeight);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    const EditorLayout layout(WindowWidth, WindowHeight);
    int barThree = 0, barFour = 0;
    Rect label;
    std::vector<long> fourSeconds;
    {
        TestDocument here(testing_paths::readFile(document).c_str());
        ASSERT_TRUE(here.loaded);
        auto* music = static_cast<Music*>(here.database.music(TypeMusic));
        ASSERT_NE(music, nullptr);
        Gui gui;
        ASSERT_TRUE(gui.init(&here.database, nullptr));
        gui.toggleEditor();
        gui.setRect({0, 0, WindowWidth, WindowHeight});
        TimeLine* strip = gui.getEditor()->getTimeLine();
        ASSERT_EQ(strip->getRect().y, layout.strip.y);
        barThree = strip->xAt(4.0f);
        barFour = strip->xAt(6.0f);
        music->seek(4.0f);
        gui.draw(4.0f, 0.016f);
        label = music->transportPanel()->getTimeLabel()->getRect();
        const std::vector<DWORD> drawn = screen.readback();
        for (int y = label.y; y < label.y + label.height; ++y)
            for (int x = label.x; x < label.x + label.width; ++x)
                fourSeconds.push_back(static_cast<long>(drawn[static_cast<std::size_t>(y * WindowWidth + x)] & 0xffffff));
    }
    stopAudio();
    ASSERT_GT(barFour - barThree, 4);
    const int row = layout.strip.y + TimeLine::height / 2;

    PlayerProcess player(folder);
    ASSERT_TRUE(player.start(document, WindowWidth, WindowHeight)) << player.errors();
    ASSERT_TRUE(player.openEditor());
    // The cursor's column: the strip's red, searched along one row.
    auto cursor = [&]() -> int {
        const WindowPixels line(player.window(), layout.strip.x, row, layout.strip.width, 1);
        int sum = 0, count = 0;
        for (int px = 0; px < line.width; ++px) {
            const long c = line.at(px, 0);
            const int r = int(c >> 16 & 0xff), g = int(c >> 8 & 0xff), b = int(c & 0xff);
            if (c >= 0 && r > 110 && r > g + 40 && r > b + 30) {  // red, whatever shading it stands on
                sum += px;
                ++count;
            }
        }
        return count ? layout.strip.x + sum / count : -1;
    };
    EXPECT_TRUE(player.waitFor([&] { return cursor() >= 0; })) << "no cursor on the strip";

    // Right drag from bar three to bar four: the loop; a click at bar three: the seek.
    player.drag(barThree, row, barFour, row, "3");
    player.click(barThree, row);
    EXPECT_TRUE(player.waitFor([&] { return std::abs(cursor() - barThree) <= 1; }))
        << "the click at " << barThree << " left the cursor at " << cursor();
    auto labelDiffers = [&] {
        return WindowPixels(player.window(), label.x, label.y, label.width, label.height).differing(fourSeconds);
    };
    EXPECT_TRUE(player.waitFor([&] { return labelDiffers() <= 4; }))
        << "the time label does not show 0:04:000: " << labelDiffers() << " pixels differ";
    // The focus is still on the play button (the strip never takes it): Space plays.
    player.input({"key", "space"});
    int wraps = 0, last = barThree, outside = 0, samples = 0;
    EXPECT_TRUE(player.waitFor(
        [&] {
            const int now = cursor();
            if (now < 0) return false;
            ++samples;
            if (now < barThree - 2 || now > barFour + 2) ++outside;
            if (now < last - 2) ++wraps;
            last = now;
            return wraps >= 3;  // three bars' time, at least, within the one-bar loop
        },
        600))
        << "the cursor did not come back to the loop's start three times";
    EXPECT_EQ(outside, 0) << outside << " of " << samples << " samples outside the loop";
    EXPECT_TRUE(player.quit()) << player.errors();
    fs::remove_all(folder);
}

}  // namespace
