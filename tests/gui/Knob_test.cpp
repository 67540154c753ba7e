// The knob's arithmetic: dragging (offset from distance and direction), release, keys, wheel,
// and what the listener hears (always value + offset); a typed number, applied by Return only.
#include "gui/Knob.h"
#include "gui/KnobListener.h"
#include "gui/RecordingHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Heard : KnobListener {
    void valueChanged(Knob* knob, float value) override {
        values.push_back(value);
        from = knob;
    }
    std::vector<float> values;
    Knob* from = nullptr;
};

class KnobTest : public ::testing::Test {
protected:
    void SetUp() override {
        knob.setListener(7, &heard);  // without a device the image fails; the listener is set
        knob.setHost(&host);
        knob.setRect({100, 100, 16, 16});
    }
    RecordingHost host;
    Heard heard;
    Knob knob;
};

TEST_F(KnobTest, DraggingFortyPixelsRightAddsTenEleventhsOfTen) {
    knob.leftButton({108, 108}, 0);
    EXPECT_TRUE(knob.isDragging());
    EXPECT_EQ(host.capture, &knob);
    knob.mouseMove({148, 108});
    const float expected = 10.0f / 11.0f * 10.0f;
    EXPECT_NEAR(knob.getOffset(), expected, 1e-5f);
    EXPECT_FLOAT_EQ(knob.value, 0.0f);
    ASSERT_EQ(heard.values.size(), 1u);
    EXPECT_NEAR(heard.values.back(), expected, 1e-5f);
    EXPECT_EQ(heard.from, &knob);

    knob.leftButton({148, 108}, 2);
    EXPECT_FALSE(knob.isDragging());
    EXPECT_NEAR(knob.value, expected, 1e-5f);
    EXPECT_FLOAT_EQ(knob.getOffset(), 0.0f);
    EXPECT_EQ(host.capture, nullptr);
    EXPECT_EQ(host.captureReleases, 1);
}

TEST_F(KnobTest, DraggingDownOrLeftLowersAndDiagonalsAddTheirParts) {
    knob.value = 5.0f;
    knob.leftButton({0, 0}, 0);
    knob.mouseMove({0, 8});  // down: dy = -2
    EXPECT_NEAR(knob.getOffset(), -2.0f / 3.0f * 2.0f, 1e-5f);
    EXPECT_NEAR(heard.values.back(), 5.0f - 4.0f / 3.0f, 1e-5f);
    knob.mouseMove({12, -4});  // right 3, up 1: s = 4, distance sqrt(10)
    EXPECT_NEAR(knob.getOffset(), 4.0f / 5.0f * std::sqrt(10.0f), 1e-5f);
    knob.mouseMove({4, 4});  // right 1, down 1: s = 0, no change whatever the distance
    EXPECT_FLOAT_EQ(knob.getOffset(), 0.0f);
}

TEST_F(KnobTest, StepScalesTheDrag) {
    // With a beat of 60/324 s, 40 pixels right seek about 1.2 s.
    knob.step = 60.0f / 324.0f;
    knob.value = 3.0f;
    knob.leftButton({0, 0}, 0);
    knob.mouseMove({40, 0});
    const float s = 40.0f * 0.25f * 60.0f / 324.0f;
    EXPECT_NEAR(knob.getOffset(), s / (1 + s) * s, 1e-5f);
    EXPECT_NEAR(heard.values.back(), 3.0f + 1.2f, 0.01f);
}

TEST_F(KnobTest, NoDragWithoutTheCapture) {
    host.grantCapture = false;
    knob.leftButton({0, 0}, 0);
    EXPECT_FALSE(knob.isDragging());
    knob.mouseMove({40, 0});
    EXPECT_FLOAT_EQ(knob.getOffset(), 0.0f);
    EXPECT_TRUE(heard.values.empty());
}

TEST_F(KnobTest, LeavingEndsTheDragAndKeepsWhatItAdded) {
    knob.leftButton({0, 0}, 0);
    knob.mouseMove({0, -4});  // up 1: offset 0.5
    knob.mouseLeave();
    EXPECT_FALSE(knob.isHovered());
    EXPECT_FALSE(knob.isDragging());
    EXPECT_FLOAT_EQ(knob.value, 0.5f);
    EXPECT_FLOAT_EQ(knob.getOffset(), 0.0f);
    knob.mouseMove({0, -40});
    EXPECT_FLOAT_EQ(knob.value, 0.5f);
}

TEST_F(KnobTest, KeysStepTheValueOnKeyDownOnly) {
    knob.step = 0.5f;
    EXPECT_TRUE(knob.key(38, true));  // up
    EXPECT_TRUE(knob.key(39, true));  // right
    EXPECT_FLOAT_EQ(knob.value, 1.0f);
    EXPECT_TRUE(knob.key(37, true));  // left
    EXPECT_TRUE(knob.key(40, true));  // down
    EXPECT_FLOAT_EQ(knob.value, 0.0f);
    EXPECT_TRUE(knob.key(33, true));  // page up
    EXPECT_FLOAT_EQ(knob.value, 5.0f);
    EXPECT_TRUE(knob.key(34, true));  // page down
    EXPECT_FLOAT_EQ(knob.value, 0.0f);
    EXPECT_EQ(heard.values.size(), 6u);
    EXPECT_FALSE(knob.key(38, false));
    EXPECT_FALSE(knob.key(32, true));
    EXPECT_FALSE(knob.key(9, true));
    EXPECT_EQ(heard.values.size(), 6u);
    EXPECT_FLOAT_EQ(knob.value, 0.0f);
}

TEST_F(KnobTest, ListenerHearsTheDragInProgressPlusKeySteps) {
    knob.leftButton({0, 0}, 0);
    knob.mouseMove({4, 0});  // offset 0.5
    knob.key(38, true);
    EXPECT_FLOAT_EQ(knob.value, 1.0f);
    EXPECT_FLOAT_EQ(heard.values.back(), 1.5f);
}

TEST_F(KnobTest, WheelTurnsByNotchesTimesStep) {
    knob.step = 2.0f;
    knob.wheel({0, 0}, 1.0f);
    knob.wheel({0, 0}, -0.5f);
    EXPECT_FLOAT_EQ(knob.value, 1.0f);
    ASSERT_EQ(heard.values.size(), 2u);
    EXPECT_FLOAT_EQ(heard.values[0], 2.0f);
    EXPECT_FLOAT_EQ(heard.values[1], 1.0f);
}

// Return applies a typed number, Escape forgets it, and a number the document could not keep is
// refused, saying why, with the entry left to mend; the entry keeps Space from the editor.
TEST_F(KnobTest, ATypedNumberAppliesOnReturnOnlyAndABadOneIsRefusedWithTheReason) {
    constexpr int Return = 13, Escape = 27, Space = 32, Backspace = 8;
    auto type = [&](const char* text) {
        for (const char* c = text; *c; ++c) knob.character(*c);
    };
    type("a");  // a letter starts nothing: it stays a shortcut
    EXPECT_FALSE(knob.isEntering());
    type("-2.5");
    EXPECT_TRUE(knob.key(Space, true));
    EXPECT_EQ(knob.getEntry(), "-2.5");
    EXPECT_TRUE(heard.values.empty());
    EXPECT_TRUE(knob.key(Return, true));
    EXPECT_FALSE(knob.isEntering());
    EXPECT_EQ(heard.values, std::vector<float>{-2.5f});
    EXPECT_EQ(knob.value, -2.5f);

    type("7");
    EXPECT_TRUE(knob.key(Escape, true));
    EXPECT_FALSE(knob.isEntering());
    EXPECT_EQ(heard.values.size(), 1u);
    EXPECT_EQ(knob.value, -2.5f);

    knob.positive = true;
    for (auto [typed, why] : {std::pair{"1,5", "\"1,5\" is not a number"}, std::pair{"-1", "\"-1\" must be above 0"}}) {
        type(typed);
        knob.key(Return, true);
        EXPECT_TRUE(knob.isEntering());
        EXPECT_EQ(knob.getEntryProblem(), why);
        EXPECT_EQ(heard.values.size(), 1u);
        while (!knob.getEntry().empty()) knob.key(Backspace, true);
    }
    type("4");
    knob.key(Return, true);
    EXPECT_EQ(heard.values.back(), 4.0f);
}

}  // namespace
