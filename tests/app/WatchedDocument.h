// What the live-reload tests start from: the audio started and a folder of their own (the
// fixture), and the document in it loaded into a display's root and watched, as the player runs it
// (WatchedDocument), taken down in the reverse order.
#pragma once

#include "app/Display.h"
#include "app/LiveReload.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class LiveReloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(startAudio(nullptr));
        folder = testing_paths::makeTempDir();
        file = folder / "demo.xml";
    }
    void TearDown() override {
        stopAudio();
        std::filesystem::remove_all(folder);
    }

    // As editors save: a new file renamed over the old one.
    void saveAsAnEditorDoes(const std::string& text) const {
        const std::filesystem::path temporary = folder / ".demo.xml.swp";
        std::ofstream(temporary) << text;
        std::filesystem::rename(temporary, file);
    }

    TestDevice screen{64, 64};
    std::filesystem::path folder, file;
};

struct WatchedDocument {
    // `beforeWatch` runs between the load and the start of the watch.
    explicit WatchedDocument(const std::filesystem::path& file, const std::function<void()>& beforeWatch = {}) {
        std::vector<std::string> problems;
        if (!LiveReload::load(file.string(), &display, current, &problems)) {
            problem = problems.empty() ? "not loaded" : problems.front();
            return;
        }
        display.setRoot(current.gui.get());
        if (beforeWatch) beforeWatch();
        live = std::make_unique<LiveReload>(file.string(), &display);
        if (!live->start(current)) problem = "the watch did not start";
    }
    ~WatchedDocument() {
        display.setRoot(nullptr);
        if (current.database) current.database->deleteObjects();
    }
    bool ok() const { return problem.empty(); }

    // Polls as the main loop does, between frames, until `done` or 20 s; counts the reloads.
    template <class Done>
    int pollUntil(Done done) {
        int reloads = 0;
        for (int i = 0; i < 1000 && !done(); ++i) {
            reloads += live->poll(current) ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return reloads;
    }

    Display display;  // the host of the root widget; no window is needed here
    LoadedDocument current;
    std::unique_ptr<LiveReload> live;
    std::string problem;
};
