// The path panel over a real document, device and music: its knobs pick keys and set times,
// controls and the scale (through the logarithm), its buttons insert and delete keys and swap
// the views, and a path has no panel without music; numbers typed on its knobs, the orientation in
// degrees, are saved as the document keeps them, and those it cannot take are refused with why.
#include "gui/PathPanel.h"

#include "gui/EditHistory.h"
#include "gui/MusicDocumentTest.h"
#include "gui/RecordingHost.h"
#include "paths/PathSpline.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int Up = 38, Return = 13;

const char* document =
    "<demo>"
    "<path.spline name=\"Path\">"
    "<key p=\"0 0 0 0 0 0\" t=\"1\"/><key p=\"10 0 0 0 0 0\" t=\"2\"/>"
    "<key p=\"20 0 0 0 0 0\" t=\"4\"/><key p=\"30 0 0 0 0 0\" t=\"5\"/>"
    "</path.spline>"
    "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>"
    "</demo>";

class PathPanelTest : public MusicDocumentTest {
protected:
    PathPanelTest() : MusicDocumentTest(64, 64, document) {}

    void SetUp() override {
        MusicDocumentTest::SetUp();
        if (HasFatalFailure()) return;
        path = doc.find<PathSpline>("Path", TypePathSpline);
        ASSERT_NE(path, nullptr);
        panel = dynamic_cast<PathPanel*>(path->getEditor());
        ASSERT_NE(panel, nullptr);
        panel->setRect({0, 0, 400, 300});
    }
    static void click(Button* button) {
        button->leftButton({0, 0}, 0);
        button->leftButton({0, 0}, 2);
    }

    PathSpline* path = nullptr;
    PathPanel* panel = nullptr;
};

TEST_F(PathPanelTest, KnobsPickKeysAndSetTimesControlsAndTheScale) {
    Knob* point = panel->getKnob(PathPanel::PointKnob);
    panel->valueChanged(point, 2.9f);
    EXPECT_EQ(path->getCurrentKey(), 2);
    EXPECT_EQ(panel->getPointLabel()->getNumber(), 2.0f);
    EXPECT_EQ(point->value + point->getOffset(), 2.0f);
    EXPECT_EQ(panel->getTimeLabel()->getTime(), 4.0f);

    panel->valueChanged(panel->getKnob(PathPanel::TimeKnob), 9.0f);  // pinned below the next key
    EXPECT_EQ(path->keyAt(2).time, 5.0f);
    panel->valueChanged(panel->getKnob(PathPanel::TensionKnob), 3.0f);
    EXPECT_EQ(path->keyAt(2).tension, 1.0f);
    EXPECT_EQ(panel->getTensionLabel()->getNumber(), 1.0f);

    Knob* scale = panel->getKnob(PathPanel::ScaleKnob);
    panel->valueChanged(scale, 0.0f);
    EXPECT_EQ(path->getScale(), 1.0f);
    EXPECT_TRUE(scale->key(Up, true));  // one step up: e to the 0.1
    EXPECT_NEAR(path->getScale(), 1.10517f, 1e-5f);
    EXPECT_NEAR(panel->getScaleLabel()->getNumber(), 1.10517f, 1e-5f);
    EXPECT_NEAR(scale->value, 0.1f, 1e-6f);
}

TEST_F(PathPanelTest, ButtonsInsertAndDeleteKeysAndSwapTheViews) {
    path->selectKey(1);
    click(panel->getButton(PathPanel::InsertButton));
    EXPECT_EQ(path->getKeyCount(), 5);
    EXPECT_EQ(path->getCurrentKey(), 2);
    EXPECT_EQ(path->keyAt(2).time, 3.0f);
    EXPECT_EQ(panel->getPointLabel()->getNumber(), 2.0f);
    click(panel->getButton(PathPanel::DeleteButton));
    EXPECT_EQ(path->getKeyCount(), 4);
    EXPECT_EQ(path->getCurrentKey(), 1);

    Button* toggle = panel->getButton(PathPanel::ViewButton);
    const Rect area = panel->getOrbitView()->getRect();
    EXPECT_TRUE(toggle->highlighted);
    EXPECT_EQ(panel->getActiveView(), panel->getOrbitView());
    click(toggle);
    EXPECT_FALSE(toggle->highlighted);
    EXPECT_EQ(panel->getActiveView(), panel->getKeyView());
    EXPECT_EQ(panel->getKeyView()->getRect().height, area.height);
    click(toggle);
    EXPECT_EQ(panel->getActiveView(), panel->getOrbitView());
}

TEST_F(PathPanelTest, WithoutMusicAPathHasNoPanel) {
    TestDocument silent("<demo><path.spline name=\"Path\"><key p=\"0 0 0 0 0 0\"/></path.spline></demo>");
    auto* lonely = silent.find<PathSpline>("Path", TypePathSpline);
    ASSERT_NE(lonely, nullptr);
    EXPECT_EQ(lonely->getEditor(), nullptr);
}

void type(Knob* knob, const char* text) {
    for (const char* c = text; *c; ++c) knob->character(*c);
    knob->key(Return, true);
}

std::string firstKeyP(const std::string& text) {
    TiXmlDocument saved;
    saved.Parse(text.c_str());
    const TiXmlElement* path = saved.RootElement() ? saved.RootElement()->FirstChildElement("path.spline") : nullptr;
    const TiXmlElement* key = path ? path->FirstChildElement("key") : nullptr;
    return key && key->Attribute("p") ? key->Attribute("p") : "";
}

TEST_F(PathPanelTest, ATypedOrientationInDegreesIsSavedAsTheDocumentKeepsItAndBadNumbersAreRefused) {
    const std::string folder = testing_paths::makeTempDir();
    const std::string file = folder + "/demo.xml";
    doc.placeIn(file);
    EditHistory history;
    history.activate();

    Knob* yaw = panel->getKnob(PathPanel::YawKnob);
    type(yaw, "90");
    EXPECT_FALSE(yaw->isEntering());
    EXPECT_NEAR(panel->getPoseLabel(PathPanel::YawKnob)->getNumber(), 90.0f, 0.01f);
    ASSERT_TRUE(doc.database.saveAs((folder + "/Backup.xml").c_str())) << doc.database.saveError();
    // A half of a right angle's sine, times 999, truncated: the quaternion the file keeps.
    EXPECT_EQ(firstKeyP(testing_paths::readFile(folder + "/Backup.xml")), "   +0    +0    +0   +0 +706   +0");

    const struct {
        PathPanel::KnobId knob;
        const char* typed;
        const char* why;
    } refused[] = {
        {PathPanel::XKnob, "1.5", "\"1.5\" is not a whole number"},
        {PathPanel::TensionKnob, "2", "\"2\" must be from -1 to 1"},
        {PathPanel::TimeKnob, "9", "\"9\" must not be after the next key (2.000 s)"},
        {PathPanel::ScaleKnob, "0", "\"0\" must be above 0"},
        {PathPanel::PitchKnob, "1e99", "\"1e99\" is too large to be kept (at most about 3.4e38)"},
    };
    for (const auto& r : refused) {
        Knob* knob = panel->getKnob(r.knob);
        type(knob, r.typed);
        EXPECT_TRUE(knob->isEntering()) << r.typed;
        EXPECT_EQ(knob->getEntryProblem(), r.why);
    }
    EXPECT_EQ(path->keyAt(0).position.x, 0.0f);
    EXPECT_EQ(path->keyAt(0).time, 1.0f);
    EXPECT_EQ(path->getScale(), 1.0f);

    ASSERT_GE(history.undo(&doc.database), 0);
    EXPECT_FALSE(history.canUndo());  // only the typed yaw was a step
    ASSERT_TRUE(doc.database.save());
    EXPECT_EQ(testing_paths::readFile(file), doc.source);
    std::filesystem::remove_all(folder);
}

// Dragged pixel by pixel, a position knob moves the key as far as one long move would, although
// every move leaves the key on whole units.
TEST_F(PathPanelTest, APositionKnobDraggedInSmallMovesGoesPastWholeUnits) {
    RecordingHost host;
    Knob* x = panel->getKnob(PathPanel::XKnob);
    x->setHost(&host);
    x->leftButton({0, 0}, 0);
    for (int p = 1; p <= 40; ++p) x->mouseMove({p, 0});
    x->leftButton({40, 0}, 2);
    EXPECT_EQ(path->keyAt(0).position.x, 9.0f);  // 40 pixels: ten elevenths of ten units, rounded down
    EXPECT_EQ(panel->getPoseLabel(PathPanel::XKnob)->getNumber(), 9.0f);
}

}  // namespace
