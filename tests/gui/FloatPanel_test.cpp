// A float's panel over a real document, device and music: with keys, turning the knob at a time
// sets the key at the nearest beat (making one there), one undo step each, written by a save.
#include "gui/FloatPanel.h"

#include "clock/Music.h"
#include "database/FloatObject.h"
#include "gui/EditHistory.h"
#include "gui/MusicDocumentTest.h"

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
    FloatPanelTest() : MusicDocumentTest(64, 64, document) {}
};

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
