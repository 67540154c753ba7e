// The path editor end to end: the real executable on a private X server, driven with xdotool.
// A path is picked from the list, its first key dragged in the orbit view, two keys inserted and
// one deleted with the panel's buttons, and the document saved from the toolbar; the saved keys
// must be those the same edits give in this process. Where to click comes from laying out the
// same panels here, with the same fonts.
#include "clock/Audio.h"
#include "gui/ObjectBrowser.h"
#include "gui/PathPanel.h"
#include "paths/PathSpline.h"
#include "support/EditorLayout.h"
#include "support/PlayerProcess.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr int WindowWidth = 640, WindowHeight = 480;

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> keysOf(TiXmlElement* path) {
    std::vector<std::string> keys;
    for (TiXmlElement* k = path->FirstChildElement("key"); k; k = k->NextSiblingElement("key"))
        keys.push_back(std::string(k->Attribute("p")) + "|" + k->Attribute("tcb") + "|" + k->Attribute("t"));
    return keys;
}

// "p|tcb|t" of every key of the path named Camera in a document's text.
std::vector<std::string> cameraKeys(const std::string& text) {
    TiXmlDocument document;
    document.Parse(text.c_str());
    for (TiXmlElement* e = document.RootElement() ? document.RootElement()->FirstChildElement("path.spline") : nullptr; e;
         e = e->NextSiblingElement("path.spline")) {
        if (std::string(e->Attribute("name") ? e->Attribute("name") : "") != "Camera") continue;
        return keysOf(e);
    }
    return {};
}

using Spot = EditorLayout::Spot;

Spot centre(Widget* w) {
    const Rect r = w->getRect();
    return {r.x + r.width / 2, r.y + r.height / 2};
}

// Where to press, how far to drag, and the keys the edits must leave, from the same layout and
// the same edits in this process. The browser goes before the document's objects.
struct Plan {
    Spot save, pathRow, from, plus, minus;
    float unitsPerPixel = 0.0f;
    int dx = 40;
    std::vector<std::string> expected;
};

void makePlan(const std::string& original, Plan& plan) {
    TestDocument here(original.c_str());
    ASSERT_TRUE(here.loaded);
    const EditorLayout layout(WindowWidth, WindowHeight);
    ASSERT_GT(layout.toolbarHeight, 0);
    plan.save = layout.save;
    ObjectBrowser browser;
    ASSERT_TRUE(browser.init(&here.database));
    browser.setRect(layout.browser);
    const Rect list = browser.getList()->getRect();
    plan.pathRow = {list.x + 20, list.y + browser.getList()->getSizeHint().height * 3 / 2};  // row 1
    browser.showObject(1);
    auto* path = here.find<PathSpline>("Camera", TypePathSpline);
    ASSERT_NE(path, nullptr);
    auto* panel = dynamic_cast<PathPanel*>(path->getEditor());
    ASSERT_NE(panel, nullptr);
    PathOrbitView* orbit = panel->getOrbitView();
    plan.from = centre(orbit);
    plan.plus = centre(panel->getButton(PathPanel::InsertButton));
    plan.minus = centre(panel->getButton(PathPanel::DeleteButton));
    // A drag to the right moves the key along +z by plan.dx * distance / height (looking down, azimuth
    // 0); dx is chosen so that the move does not fall near a whole unit.
    plan.unitsPerPixel = orbit->getDistance() / static_cast<float>(orbit->getRect().height);
    while (std::fabs(plan.dx * plan.unitsPerPixel - std::floor(plan.dx * plan.unitsPerPixel) - 0.5f) > 0.25f) ++plan.dx;

    // The same edits in this process: the expected keys.
    const SplineKey first = path->keyAt(0);
    PathState moved{first.position, first.orientation};
    moved.position.z = first.position.z + static_cast<float>(plan.dx) * plan.unitsPerPixel;
    path->setKeyPose(moved);
    path->insertKey();
    path->insertKey();
    path->deleteKey();
    TiXmlElement edited("path.spline");
    ASSERT_TRUE(path->save(&edited));
    plan.expected = keysOf(&edited);
}

TEST(PathEditorEndToEnd, DragInsertDeleteAndSaveChangeTheKeysExactly) {
    if (!PlayerProcess::available()) GTEST_SKIP() << "needs the zodrevez executable, Xvfb, xdotool and ImageMagick's import";
    const fs::path folder = testing_paths::makeTempDir();
    const fs::path document = folder / "PathEditor.xml";
    fs::copy_file(fs::path(testing_paths::sourceDir()) / "tests/data/gui/PathEditor.xml", document);
    const std::string original = readText(document);

    // --- the editor's layout, built here exactly as the executable builds it ---
    TestDevice measuring(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    Plan plan;
    makePlan(original, plan);
    stopAudio();
    if (HasFatalFailure()) return;
    ASSERT_EQ(plan.expected.size(), 5u);

    // --- the executable, with the same document ---
    PlayerProcess player(folder);
    ASSERT_TRUE(player.start(document, WindowWidth, WindowHeight)) << player.errors();
    EXPECT_TRUE(player.openEditor());
    player.click(plan.pathRow.x, plan.pathRow.y);
    player.drag(plan.from.x, plan.from.y, plan.from.x + plan.dx, plan.from.y, "3");
    for (const Spot& button : {plan.plus, plan.plus, plan.minus}) player.click(button.x, button.y);
    player.click(plan.save.x, plan.save.y);
    player.waitFor([&] { return readText(document) != original; }, 20);
    EXPECT_TRUE(player.quit()) << "Escape did not end the program cleanly: " << player.errors();

    const std::vector<std::string> saved = cameraKeys(readText(document));
    EXPECT_EQ(saved, plan.expected) << readText(folder / "stderr.txt");
    // Spelled out: the first key moved along z only, on a whole unit; the kept insertion halves
    // the first interval.
    ASSERT_EQ(saved.size(), 5u);
    int px = -1, py = -1, pz = -1;
    ASSERT_EQ(std::sscanf(saved[0].c_str(), "%d %d %d", &px, &py, &pz), 3) << saved[0];
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, 0);
    EXPECT_EQ(pz, static_cast<int>(std::floor(static_cast<float>(plan.dx) * plan.unitsPerPixel)));
    EXPECT_NE(saved[1].find("|2.000000"), std::string::npos) << saved[1];
    fs::remove_all(folder);
}

}  // namespace
