// The setup dialog as a real window under X, driven by real mouse and keyboard input.
#include "app/SetupDialog.h"

#include "app/Options.h"
#include "platform/win/DialogFont.h"
#include "platform/win/XdotoolDriver.h"
#include "support/PrivateXServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Pixels of the dialog's font for dialog units, as the dialog lays itself out.
struct Units {
    int x = 0;
    int y = 0;
    Units() {
        DialogFont font;
        if (font.open(8)) {
            x = font.baseUnitX();
            y = font.baseUnitY();
        }
    }
    int h(int du) const { return (du * x + 2) / 4; }
    int v(int du) const { return (du * y + 4) / 8; }
};

struct Shown {
    int result = -99;
    bool timedOut = false;
    bool found = false;
};

Shown show(Options& options, std::function<void(XdotoolDriver&)> steps) {
    XdotoolDriver driver("Welcome");
    driver.start(std::move(steps));
    Shown shown;
    shown.result = SetupDialog::show(&options);
    driver.finish();
    shown.timedOut = driver.timedOut;
    shown.found = driver.found;
    return shown;
}

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_x::startPrivateXServer());  // pointer and keyboard focus are ours alone
        ASSERT_GT(units.x, 0);
    }
    Units units;
};

}  // namespace

TEST_F(SetupDialogTest, OkAppliesBoxesAndListChosenWithMouseAndKeys) {
    Options options;
    options.width = 1280;
    options.height = 1024;
    Units u = units;
    Shown shown = show(options, [u](XdotoolDriver& d) {
        d.click(u.h(6) + 6, u.v(122) + u.v(10) / 2);  // the "&Windowed" box
        d.key("alt+a");                                // "&Antialiased"
        d.click(u.h(60 + 33), u.v(126) + 8);           // opens the list
        d.key("Down Return");                          // "1024 x 768" chosen, the list closes
        d.key("Return");                               // the default button
    });
    EXPECT_TRUE(shown.found);
    EXPECT_FALSE(shown.timedOut);
    EXPECT_EQ(shown.result, 1);
    EXPECT_TRUE(options.windowed);
    EXPECT_TRUE(options.antialias);
    EXPECT_EQ(options.width, 1024);
    EXPECT_EQ(options.height, 768);
}

TEST_F(SetupDialogTest, OkWithoutChangesSelects800x600WhateverTheOptionsSaid) {
    Options options;
    options.width = 1280;
    options.height = 1024;
    options.windowed = true;  // shown checked, and kept
    Units u = units;
    Shown shown = show(options, [u](XdotoolDriver& d) { d.click(u.h(186 + 24), u.v(125 + 7)); });
    EXPECT_FALSE(shown.timedOut);
    EXPECT_EQ(shown.result, 1);
    EXPECT_EQ(options.width, 800);
    EXPECT_EQ(options.height, 600);
    EXPECT_TRUE(options.windowed);
    EXPECT_FALSE(options.antialias);
}

TEST_F(SetupDialogTest, KeyboardAloneTabSpaceArrowsAndAccelerators) {
    Options options;
    options.antialias = true;
    Shown shown = show(options, [](XdotoolDriver& d) {
        // Focus starts on OK; Tab goes to "&Windowed", "&Antialiased", the list, "Cancel".
        d.key("Tab space");     // Windowed on
        d.key("Tab space");     // Antialiased off
        d.key("Tab Up");        // the list to "640 x 480"
        d.key("alt+w alt+w");   // Windowed off and on again
        d.key("shift+Tab shift+Tab shift+Tab shift+Tab Return");  // back to OK, which Return presses
    });
    EXPECT_FALSE(shown.timedOut);
    EXPECT_EQ(shown.result, 1);
    EXPECT_TRUE(options.windowed);
    EXPECT_FALSE(options.antialias);
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 480);
}

TEST_F(SetupDialogTest, CancelEscapeAndClosingLeaveTheOptions) {
    Units u = units;
    std::function<void(XdotoolDriver&)> ways[] = {
        [u](XdotoolDriver& d) {
            d.key("alt+w");
            d.click(u.h(132 + 24), u.v(125 + 7));  // "Cancel"
        },
        [](XdotoolDriver& d) { d.key("alt+a Escape"); },
        [](XdotoolDriver& d) {
            d.key("alt+w");
            SDL_Event quit{};
            quit.type = SDL_QUIT;  // what closing the window delivers
            SDL_PushEvent(&quit);
        },
        [](XdotoolDriver& d) { d.key("alt+w alt+F4"); },  // the system menu's Close
    };
    for (auto& way : ways) {
        SCOPED_TRACE("way " + std::to_string(&way - ways + 1));
        Options options;
        options.width = 1280;
        Shown shown = show(options, way);
        EXPECT_FALSE(shown.timedOut);
        EXPECT_EQ(shown.result, 0);
        EXPECT_FALSE(options.windowed);
        EXPECT_FALSE(options.antialias);
        EXPECT_EQ(options.width, 1280);
        EXPECT_EQ(options.height, 600);
    }
}
