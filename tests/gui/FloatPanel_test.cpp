// A float's panel over a real document, device and music: with keys, turning the knob at a time
// sets the key at the nearest beat (making one there), one undo step each, written by a save.
#include "gui/FloatPanel.h"

#include "clock/Music.h"
#include "database/FloatObject.h"
#include "gui/EditHistory.h"
#include "gui/MusicDocumentTest.h"
#include "gui/RecordingHost.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace {

constexpr int Up = 38;

const char* document =
    "<demo>"
    "<float name=\"Glow\" value=\"0\" step=\"0.25\"><key t=\"0\" v=\"0\" ease=\"linear\"/><key t=\"4\" v=\"1\"/></float>"
    "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>"
    "</demo>";

class FloatPanelTest : public MusicDocumentTest {
protected:
    explicit FloatPanelTest(const char* text = document) : MusicDocumentTest(64, 64, text) {}
};

class FloatKeysTest : public FloatPanelTest {
protected:
    FloatKeysTest()
        : FloatPanelTest("<demo>"
                         "<float name=\"Glow\"><key t=\"0\" v=\"0\" ease=\"linear\"/><key t=\"2\" v=\"0.5\"/>"
                         "<key t=\"4\" v=\"1\"/></float>"
                         "<music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\"/>"
                         "</demo>") {}
};

std::string savedText(FloatObject* glow) {
    TiXmlDocument saved;
    saved.Parse("<float name=\"Glow\"/>");
    if (!glow->save(saved.RootElement())) return {};
    TiXmlPrinter printer;
    saved.Accept(&printer);
    return printer.CStr();
}

}  // namespace

TEST_F(FloatPanelTest, KnobAtTheCursorSetsTheKeyOnTheNearestBeat) {
    auto* glow = doc.find<FloatObject>("Glow", TypeFloat);
    auto* music = doc.find<Music>("Music", TypeMusic);
    ASSERT_NE(glow, nullptr);
    ASSERT_NE(music, nullptr);
    auto* panel = dynamic_cast<FloatPanel*>(glow->getEditor());
    ASSERT_NE(panel, nullptr);
    panel->setRect({0, 0, 400, 300});
    EditHistory history;
    history.activate();

    music->seek(1.1f);  // beats are half a second: the nearest is at 1.0, where the track gives 0.25
    ASSERT_TRUE(panel->draw(music->time(), 0.0f));
    EXPECT_FLOAT_EQ(panel->getKnob()->value, 0.25f);
    panel->getKnob()->key(Up, true);  // one step up: a new key at 1.0 of 0.5
    ASSERT_EQ(glow->track.keys.size(), 3u);
    EXPECT_EQ(glow->track.keys[1].time, 1.0f);
    EXPECT_EQ(glow->track.keys[1].value, 0.5f);
    EXPECT_EQ(glow->track.keys[1].ease, Ease::Linear);  // goes on as the key before it did
    EXPECT_EQ(glow->value, 0.0f);                        // the value without keys is left alone
    panel->getKnob()->key(Up, true);  // again: the same key, now 0.75
    ASSERT_EQ(glow->track.keys.size(), 3u);
    EXPECT_EQ(glow->track.keys[1].value, 0.75f);

    TiXmlDocument saved;
    saved.Parse("<float name=\"Glow\"/>");
    ASSERT_TRUE(glow->save(saved.RootElement()));
    const TiXmlElement* key = saved.RootElement()->FirstChildElement("key")->NextSiblingElement("key");
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(key->Attribute("t"), "1.000000");
    EXPECT_STREQ(key->Attribute("v"), "0.750000");

    ASSERT_GE(history.undo(&doc.database), 0);  // each turn is a step of its own
    EXPECT_EQ(glow->track.keys[1].value, 0.5f);
    ASSERT_GE(history.undo(&doc.database), 0);
    EXPECT_EQ(glow->track.keys.size(), 2u);
}

// Dragging a key (to beats, never past its neighbour), giving it the next ease and deleting it are
// one undo step each; every undo gives back the file's text.
TEST_F(FloatKeysTest, KeysDragEaseAndDeleteEachUndoneToTheSavedText) {
    auto* glow = doc.find<FloatObject>("Glow", TypeFloat);
    ASSERT_NE(glow, nullptr);
    auto* panel = dynamic_cast<FloatPanel*>(glow->getEditor());
    ASSERT_NE(panel, nullptr);
    panel->setRect({0, 0, 400, 300});
    FloatCurve* curve = panel->getCurve();
    RecordingHost host;
    curve->setHost(&host);
    EditHistory history;
    history.activate();
    const std::string original = savedText(glow);
    std::vector<FloatKey>& keys = glow->track.keys;

    curve->leftButton({curve->xAt(2.0f), curve->yAt(0.5f)}, 0);
    curve->mouseMove({curve->xAt(3.1f), curve->yAt(0.8f)});  // beats are half a second
    EXPECT_EQ(keys[1].time, 3.0f);
    EXPECT_NEAR(keys[1].value, 0.8f, 0.011f);
    curve->mouseMove({curve->xAt(9.0f), curve->yAt(0.8f)});  // stops at the next key
    EXPECT_EQ(keys[1].time, 4.0f);
    curve->leftButton({curve->xAt(9.0f), curve->yAt(0.8f)}, 2);
    EXPECT_NE(savedText(glow), original);
    ASSERT_GE(history.undo(&doc.database), 0);  // the whole drag is one step
    EXPECT_EQ(savedText(glow), original);

    curve->mouseMove({curve->xAt(0.0f), curve->yAt(0.0f)});
    EXPECT_TRUE(panel->key('E', true));
    EXPECT_EQ(keys[0].ease, Ease::Smooth);
    ASSERT_GE(history.undo(&doc.database), 0);
    EXPECT_EQ(savedText(glow), original);

    curve->mouseMove({curve->xAt(4.0f), curve->yAt(1.0f)});
    EXPECT_TRUE(panel->key(0x2E, true));  // Delete
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1].time, 2.0f);
    ASSERT_GE(history.undo(&doc.database), 0);
    EXPECT_EQ(savedText(glow), original);
    EXPECT_FALSE(history.canUndo());
}
