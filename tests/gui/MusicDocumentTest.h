// MusicDocumentTest: the fixture of the panels that need the music playing: a device of the given
// size, the document loaded and audio started on the dummy driver; after each test the objects
// are deleted and audio stopped, in that order, as the music is one of the objects.
#pragma once

#include "clock/Audio.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"

#include <gtest/gtest.h>

#include <cstdlib>

class MusicDocumentTest : public ::testing::Test {
protected:
    MusicDocumentTest(int width, int height, const char* document) : screen(width, height), doc(document) {}

    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(startAudio(nullptr));
        audioStarted = true;
        ASSERT_TRUE(doc.loaded);
    }

    void TearDown() override {
        doc.database.deleteObjects();
        if (audioStarted) stopAudio();
    }

    TestDevice screen;
    TestDocument doc;
    bool audioStarted = false;
};
