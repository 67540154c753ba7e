// Groups as time lines: every item rendered in order, the OR of their results, rectangles passed
// down, loading rules and what save writes back.
#include "visuals/VisualGroup.h"

#include "gui/VisualPreview.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestPaths.h"
#include "support/VisualFrame.h"
#include "textures/TextureTarget.h"
#include "visuals/VisualOverlay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

int red(DWORD pixel) { return static_cast<int>((pixel >> 16) & 0xff); }
int green(DWORD pixel) { return static_cast<int>((pixel >> 8) & 0xff); }

const char* timeline =
    "<demo>"
    "<visual.group name=\"Empty\"/>"
    "<texture.target name=\"Red\" visual=\"Empty\" size=\"8\" color=\"ffff0000\"/>"
    "<texture.target name=\"Green\" visual=\"Empty\" size=\"8\" color=\"ff00ff00\"/>"
    "<visual.overlay name=\"Early\" texture=\"Red\" start=\"0\" stop=\"1\"/>"
    "<visual.overlay name=\"LeftRed\" texture=\"Red\" start=\"2\" stop=\"3\" position=\"0 0 32 64\"/>"
    "<visual.overlay name=\"RightGreen\" texture=\"Green\" start=\"2\" stop=\"3\" position=\"32 0 32 64\"/>"
    "<visual.overlay name=\"Late\" texture=\"Green\" start=\"5\" stop=\"6\"/>"
    "<visual.group name=\"Main\">"
    "<item visual=\"Early\"/><item visual=\"LeftRed\"/><item visual=\"RightGreen\"/><item visual=\"Late\"/>"
    "</visual.group>"
    "<visual.group name=\"Outer\"><item visual=\"Inner\"/></visual.group>"
    "<visual.group name=\"Inner\"><item visual=\"Early\"/></visual.group>"
    "<visual.group name=\"Twice\"><item visual=\"Early\"/><item visual=\"Early\"/></visual.group>"
    "</demo>";

bool drawMain(TestDevice& screen, VisualGroup* group, float time) {
    return drawVisualFrame(screen, group, time);
}

}  // namespace

TEST(VisualGroup, RendersEveryItemAndAnswersWhetherAnyDrew) {
    TestDevice screen(64, 64);
    TestDocument doc(timeline);
    VisualGroup* main = doc.find<VisualGroup>("Main", TypeVisualGroup);
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(main->getItems().size(), 4u);

    // Between the windows nothing is active: the answer that ends the production.
    EXPECT_FALSE(drawMain(screen, main, 4.0f));
    EXPECT_FALSE(drawMain(screen, main, 10.0f));

    // Two active items among inactive ones: both draw, the first answer does not stop the second.
    ASSERT_TRUE(drawMain(screen, main, 2.5f));
    EXPECT_EQ(red(screen.pixel(10, 32)), 255);
    EXPECT_EQ(green(screen.pixel(10, 32)), 0);
    EXPECT_EQ(green(screen.pixel(50, 32)), 255);
    EXPECT_EQ(red(screen.pixel(50, 32)), 0);

    EXPECT_TRUE(drawMain(screen, main, 0.5f));
    EXPECT_EQ(red(screen.pixel(50, 32)), 255);
}

TEST(VisualGroup, LaterItemsDrawOverEarlierOnes) {
    const char* text =
        "<demo>"
        "<visual.group name=\"Empty\"/>"
        "<texture.target name=\"Red\" visual=\"Empty\" size=\"8\" color=\"ffff0000\"/>"
        "<texture.target name=\"Green\" visual=\"Empty\" size=\"8\" color=\"ff00ff00\"/>"
        "<visual.overlay name=\"A\" texture=\"Red\" start=\"0\" stop=\"9\"/>"
        "<visual.overlay name=\"B\" texture=\"Green\" start=\"0\" stop=\"9\"/>"
        "<visual.group name=\"AB\"><item visual=\"A\"/><item visual=\"B\"/></visual.group>"
        "<visual.group name=\"BA\"><item visual=\"B\"/><item visual=\"A\"/></visual.group>"
        "</demo>";
    TestDevice screen(64, 64);
    TestDocument doc(text);
    VisualGroup* ab = doc.find<VisualGroup>("AB", TypeVisual);
    VisualGroup* ba = doc.find<VisualGroup>("BA", TypeVisual);
    ASSERT_NE(ab, nullptr);
    ASSERT_NE(ba, nullptr);
    ASSERT_TRUE(drawMain(screen, ab, 1.0f));
    EXPECT_EQ(green(screen.pixel(32, 32)), 255);
    ASSERT_TRUE(drawMain(screen, ba, 1.0f));
    EXPECT_EQ(red(screen.pixel(32, 32)), 255);
}

TEST(VisualGroup, RectangleReachesNestedVisuals) {
    TestDevice screen(8, 8);
    TestDocument doc(timeline);
    VisualGroup* outer = doc.find<VisualGroup>("Outer", TypeVisual);
    Visual* early = doc.find<Visual>("Early", TypeVisual);
    ASSERT_NE(outer, nullptr);
    ASSERT_NE(early, nullptr);
    outer->setRect({5, 6, 70, 80});
    Rect r = early->getRect();
    EXPECT_EQ(r.x, 5);
    EXPECT_EQ(r.y, 6);
    EXPECT_EQ(r.width, 70);
    EXPECT_EQ(r.height, 80);
}

TEST(VisualGroup, TheSameVisualTwiceIsListedTwice) {
    TestDevice screen(8, 8);
    TestDocument doc(timeline);
    VisualGroup* twice = doc.find<VisualGroup>("Twice", TypeVisual);
    ASSERT_NE(twice, nullptr);
    ASSERT_EQ(twice->getItems().size(), 2u);
    EXPECT_EQ(twice->getItems()[0].visual, twice->getItems()[1].visual);
}

TEST(VisualGroup, LoadFailsOnUnresolvedOrMistypedItems) {
    TestDevice screen(8, 8);
    const char* text =
        "<demo>"
        "<float name=\"Number\" value=\"1\"/>"
        "<visual.group name=\"Empty\"/>"
        "<visual.group name=\"NamesAFloat\"><item visual=\"Empty\"/><item visual=\"Number\"/></visual.group>"
        "<visual.group name=\"NamesNothing\"><item visual=\"Nothing\"/></visual.group>"
        "<visual.group name=\"ItemWithoutVisual\"><item/></visual.group>"
        "<visual.group name=\"Fine\"><item visual=\"Empty\"/><other/></visual.group>"
        "</demo>";
    TestDocument doc(text);
    EXPECT_EQ(doc.find<VisualGroup>("NamesAFloat", TypeVisual), nullptr);
    EXPECT_EQ(doc.find<VisualGroup>("NamesNothing", TypeVisual), nullptr);
    EXPECT_EQ(doc.find<VisualGroup>("ItemWithoutVisual", TypeVisual), nullptr);
    VisualGroup* fine = doc.find<VisualGroup>("Fine", TypeVisual);
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(fine->getItems().size(), 1u);
}

TEST(VisualGroup, SaveWritesBackOnlyTheItems) {
    TestDevice screen(8, 8);
    const char* text =
        "<demo>"
        "<visual.group name=\"Empty\"/>"
        "<visual.group name=\"Main\" extra=\"kept\">"
        "<!-- a comment -->"
        "<item visual=\"Empty\" note=\"dropped\"/>"
        "<something/>"
        "<item visual=\"Empty\"/>"
        "</visual.group>"
        "</demo>";
    TestDocument doc(text);
    VisualGroup* main = doc.find<VisualGroup>("Main", TypeVisual);
    ASSERT_NE(main, nullptr);
    TiXmlElement* element = doc.document.FirstChildElement("demo")->FirstChildElement("visual.group")
                                ->NextSiblingElement("visual.group");
    ASSERT_TRUE(main->save(element));
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    element->Accept(&printer);
    EXPECT_STREQ(printer.CStr(),
                 "<visual.group name=\"Main\" extra=\"kept\"><item visual=\"Empty\" /><item visual=\"Empty\" /></visual.group>");
}

TEST(VisualGroup, AnItemLeadingBackToItsGroupIsLeftOutAndSavedAsItWas) {
    const std::string text = std::string(timeline).insert(std::string(timeline).find("</demo>"),
        "<visual.group name=\"Loop\"><item visual=\"Early\"/><item visual=\"Back\"/><item visual=\"Loop\"/></visual.group>"
        "<visual.group name=\"Back\"><item visual=\"Loop\"/></visual.group>");
    TestDevice screen(64, 64);
    TestDocument doc(text.c_str());
    VisualGroup* loop = doc.find<VisualGroup>("Loop", TypeVisual);
    ASSERT_NE(loop, nullptr);
    ASSERT_TRUE(drawMain(screen, loop, 0.5f));  // ends, and the rest of the time line still draws
    EXPECT_EQ(red(screen.pixel(32, 32)), 255);

    const std::string folder = testing_paths::makeTempDir();
    ASSERT_TRUE(doc.database.saveAs((folder + "/Saved.xml").c_str()));
    std::ifstream file(folder + "/Saved.xml");
    const std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::filesystem::remove_all(folder);
    TestDocument untouched(text.c_str());
    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\n");
    untouched.document.Accept(&printer);
    EXPECT_EQ(saved, printer.CStr());
}

TEST(VisualGroup, TwoTargetsShowingEachOtherAreNoCycleToRefuse) {
    // "Back" closes a cycle through two targets, each showing the other's last picture: nothing
    // draws into itself, so the item stays.
    TestDevice screen(8, 8);
    TestDocument doc("<demo>"
                     "<visual.group name=\"One\"><item visual=\"ShowsTwo\"/></visual.group>"
                     "<visual.overlay name=\"ShowsTwo\" texture=\"Two\" start=\"0\" stop=\"1\"/>"
                     "<texture.target name=\"Two\" visual=\"Mid\" size=\"8\"/>"
                     "<visual.group name=\"Mid\"><item visual=\"ShowsOne\"/></visual.group>"
                     "<visual.overlay name=\"ShowsOne\" texture=\"OneTexture\" start=\"0\" stop=\"1\"/>"
                     "<texture.target name=\"OneTexture\" visual=\"Back\" size=\"8\"/>"
                     "<visual.group name=\"Back\"><item visual=\"One\"/></visual.group>"
                     "</demo>");
    ASSERT_NE(doc.find<VisualGroup>("One", TypeVisual), nullptr);
    VisualGroup* back = doc.find<VisualGroup>("Back", TypeVisual);
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back->getItems()[0].visual, nullptr);
}

TEST(VisualPreviewPlacement, RootGetsTheLargestCentredFourByThree) {
    TestDevice screen(8, 8);
    TestDocument doc(timeline);
    VisualGroup* main = doc.find<VisualGroup>("Main", TypeVisual);
    ASSERT_NE(main, nullptr);
    VisualPreview preview(main);

    preview.setRect({0, 0, 1000, 600});
    Rect wide = main->getRect();
    EXPECT_EQ(wide.x, 100);
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.width, 800);
    EXPECT_EQ(wide.height, 600);

    preview.setRect({0, 0, 800, 900});
    Rect tall = main->getRect();
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 150);
    EXPECT_EQ(tall.width, 800);
    EXPECT_EQ(tall.height, 600);
}
