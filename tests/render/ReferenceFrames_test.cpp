// Reference frames: what a viewer sees, pinned. The production and the editor's panels and 3-D
// views are drawn by the fixed-step renderer that zodrender uses, in this process, and compared
// with the pictures kept in tests/data/frames.
//
// Every frame is drawn at 800 x 600, the player's own size, so overlays sit where the player puts
// them whatever the renderer's layout for other sizes, and then shrunk to 320 x 240 by averaging.
//
// Tolerance: the frames are drawn by Mesa's software renderer, whose versions differ in the
// last bits of texture filtering, blending and in which pixels an edge covers. Shrinking by
// averaging turns those into differences of a few levels, and an edge's pixel flipping into at
// most about a sixth of the edge's contrast in one small pixel; the references keep 5 bits a
// channel, 4 levels more at most. So a frame matches when no more than `MaxDiffering` of its
// pixels (0.1%) are more than `Level` levels apart. The same build gives identical frames. What
// this lets through is smaller than the smallest planted fault the frames caught (a hat spinning
// 10% faster: about 100 pixels beyond the level in a frame; a teapot's highlight replaced: 95 to
// 1200).
//
// Frames are drawn as zodrender draws them, into a back buffer that is a target of its own. The
// player draws the same picture straight into its window, upside down, and shows it by a swap.
// The rasterizer meets that picture on a mirrored axis: where an edge falls within a fraction of
// a pixel of a row of centres (the device lifts the window's picture by a 256th of a pixel to keep
// Direct3D's top-left rule), that row of edge pixels can go the other way, and every interpolated
// value moves by as much (a level at most). So the player's picture may differ from these frames
// by a pixel row along some edges, which the shrinking averages down to a few levels, within the
// tolerance above; measured, 3 to 12 of 480,000 pixels more than 1% apart.
//
// On a mismatch the new frame and a difference picture (the reference dimmed, changed pixels in
// red) go to <build>/frames/. scripts/update-frames.sh renews the references on purpose
// (ZOD_UPDATE_FRAMES=1 makes this test write them instead of comparing).
#include "database/Database.h"
#include "gui/EditorPanel.h"
#include "gui/Gui.h"
#include "gui/ListBox.h"
#include "gui/ObjectBrowser.h"
#include "gui/PathPanel.h"
#include "gui/TimeLine.h"
#include "platform/win/Headless.h"
#include "render/FrameRenderer.h"
#include "support/FramePicture.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int DrawWidth = 800, DrawHeight = 600;
constexpr int KeptWidth = 320, KeptHeight = 240;
constexpr int Level = 24;
constexpr int MaxDiffering = KeptWidth * KeptHeight / 1000;
constexpr float Delta = 1.0f / 60.0f;
constexpr int VirtualKeyLeft = 37, VirtualKeyDown = 40;

bool updating() {
    const char* flag = std::getenv("ZOD_UPDATE_FRAMES");
    return flag != nullptr && *flag != '\0' && std::string(flag) != "0";
}

std::string referenceDir() { return testing_paths::sourceDir() + "/tests/data/frames"; }
std::string outputDir() { return testing_paths::binaryDir() + "/frames"; }

// Compares one frame with its reference (or writes the reference); says what differs.
class FrameChecker {
public:
    void check(const std::string& name, const std::vector<std::uint32_t>& pixels) {
        const FramePicture frame = shrinkFrame(pixels, DrawWidth, DrawHeight, KeptWidth, KeptHeight);
        ASSERT_FALSE(frame.empty()) << name << ": no frame was read back";
        seen.push_back(name + ".png");
        const std::string reference = referenceDir() + "/" + name + ".png";
        if (updating()) {
            fs::create_directories(referenceDir());
            EXPECT_TRUE(frame.writePng(reference)) << reference;
            return;
        }
        FramePicture expected;
        const bool found = expected.readPng(reference);
        const FrameDifference d = found ? compareFrames(expected, frame, Level) : FrameDifference{};
        if (found && d.differing <= MaxDiffering) return;
        fs::create_directories(outputDir());
        const std::string actual = outputDir() + "/" + name + ".png";
        frame.writePng(actual);
        if (!found) {
            ADD_FAILURE() << name << ": no reference " << reference << "; the new frame is " << actual
                          << " (scripts/update-frames.sh makes the references)";
            return;
        }
        const std::string difference = outputDir() + "/" + name + "-difference.png";
        differencePicture(expected, frame).writePng(difference);
        ADD_FAILURE() << name << ": " << d.differing << " pixels differ by more than " << Level
                      << " levels (at most " << MaxDiffering << " may), the largest difference " << d.largest
                      << ", the mean " << d.mean << "\n  new frame: " << actual << "\n  difference: " << difference;
    }

    // Every reference of this group was drawn again: none is left over from a longer production.
    void expectAllSeen(const std::string& prefix) const {
        if (updating() || !fs::is_directory(referenceDir())) return;
        for (const auto& entry : fs::directory_iterator(referenceDir())) {
            const std::string file = entry.path().filename().string();
            if (file.rfind(prefix, 0) != 0) continue;
            EXPECT_NE(std::find(seen.begin(), seen.end(), file), seen.end()) << file << " was not drawn";
        }
    }

private:
    std::vector<std::string> seen;
};

struct ReferenceFrames : ::testing::Test {
    void SetUp() override {
        // As zodrender draws: no window on a screen, silent audio.
        win::useHeadlessPlatform();
        std::string error;
        ASSERT_TRUE(renderer.open("", DrawWidth, DrawHeight, false, &error)) << error;
    }
    std::vector<std::uint32_t> draw(float time) {
        std::vector<std::uint32_t> pixels;
        renderer.render(time, Delta);
        EXPECT_TRUE(renderer.readPixels(&pixels));
        return pixels;
    }

    FrameRenderer renderer;
    FrameChecker checker;
};

// The editor's list, as a user picks a row: scrolled to it with the wheel, then clicked.
void pick(FrameRenderer& renderer, const std::string& name) {
    Database& objects = renderer.objects();
    int index = -1;
    for (int i = 0; i < objects.count() && index < 0; ++i)
        if (name == objects.nameAt(i)) index = i;
    ASSERT_GE(index, 0) << name << " is not in the production";
    ListBox* list = renderer.userInterface().getEditor()->getBrowser()->getList();
    list->wheel({0, 0}, -float(index - list->getFirst()));
    const Rect r = list->getRect();
    list->leftButton({r.x + 10, r.y + (index - list->getFirst()) * ListBox::getRowHeight() + 2}, 0);
    ASSERT_EQ(list->getSelected(), index) << name;
}

PathPanel* pathPanel(FrameRenderer& renderer) {
    Widget* shown = renderer.userInterface().getEditor()->getBrowser()->getEditorFrame()->getChild();
    return dynamic_cast<PathPanel*>(shown);
}

}  // namespace

// A frame every two seconds from one second in, up to where the production ends by itself.
TEST_F(ReferenceFrames, TheProductionLooksAsItDid) {
    int frames = 0;
    for (int second = 1; second < 600; second += 2) {
        const float time = float(second);
        std::vector<std::uint32_t> pixels;
        if (!renderer.render(time, Delta)) break;
        ASSERT_TRUE(renderer.readPixels(&pixels));
        char name[32];
        std::snprintf(name, sizeof name, "production-%03d", second);
        checker.check(name, pixels);
        ++frames;
    }
    EXPECT_GT(frames, 80);
    checker.expectAllSeen("production-");
}

// Each kind of panel once, the path editor's views from more than one side.
TEST_F(ReferenceFrames, TheEditorsPanelsAndViewsLookAsTheyDid) {
    const float time = 30.5f;  // the outside act: the island, the sea, the airship and the clouds
    renderer.userInterface().toggleEditor();
    // The time line's waveform is worked out in the background from the first editor frame on:
    // wait until it is whole, so that every frame shows all of it.
    draw(time);
    const Waveform& waveform = renderer.userInterface().getEditor()->getTimeLine()->getWaveform();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while ((waveform.total() == 0 || waveform.ready() < waveform.total()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_GT(waveform.total(), 0);
    ASSERT_EQ(waveform.ready(), waveform.total()) << "the waveform was not worked out";
    const struct {
        const char* frame;
        const char* object;
    } panels[] = {
        {"editor-float", "Space.Speed"},
        {"editor-visual", "Outside.Scene"},
        {"editor-texture", "Clouds.Cloud0 Texture"},
        {"editor-model-teapot", "Inside.Teapot"},
        {"editor-model-group", "Inside.World"},
    };
    for (const auto& panel : panels) {
        pick(renderer, panel.object);
        checker.check(panel.frame, draw(time));
    }

    pick(renderer, "Outside.Camera");
    PathPanel* path = pathPanel(renderer);
    ASSERT_NE(path, nullptr);
    checker.check("editor-path-orbit", draw(time));  // from above, as the view opens
    for (int key : {VirtualKeyLeft, VirtualKeyLeft, VirtualKeyDown, VirtualKeyDown, VirtualKeyDown})
        path->getOrbitView()->key(key, true);
    checker.check("editor-path-orbit-turned", draw(time));
    path->clicked(path->getButton(PathPanel::ViewButton));
    checker.check("editor-path-key", draw(time));

    pick(renderer, "Inside.Arrow1 Path");  // a model as the preview, not a scene
    checker.check("editor-path-orbit-model", draw(time));
    checker.expectAllSeen("editor-");
}

// zodrender's default layout (the player's 800 x 600 window, scaled to the output) of the README's
// small document, halfway: the player's dark blue behind the scene, as the window shows it.
TEST(ReferenceFramesOfDocuments, TheReadmesDocumentAsZodrenderLaysItOut) {
    const std::string readme = testing_paths::readFile(testing_paths::sourceDir() + "/README.md");
    const std::size_t start = readme.find("```xml\n", readme.find("### A complete small document"));
    ASSERT_NE(start, std::string::npos);
    const std::string folder = testing_paths::makeTempDir();
    const std::string document = folder + "/small.xml";
    std::ofstream(document) << readme.substr(start + 7, readme.find("```", start + 7) - start - 7);
    win::useHeadlessPlatform();
    std::vector<std::uint32_t> pixels;
    {
        FrameRenderer renderer;
        std::string error;
        ASSERT_TRUE(renderer.open(document, DrawWidth, DrawHeight, false, &error)) << error;
        renderer.setLayout(800, 600);
        ASSERT_TRUE(renderer.render(5.0f, Delta));
        ASSERT_TRUE(renderer.readPixels(&pixels));
    }
    fs::remove_all(folder);
    FrameChecker checker;
    checker.check("render-readme-005", pixels);
}
