// Overlays drawn with the real device: fades, placement, texture coordinates, load rules.
// Solid-colour textures are render targets cleared to a colour around an empty group.
#include "visuals/VisualOverlay.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/VisualFrame.h"
#include "textures/TextureTarget.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string overlayDocument(const std::string& overlayAttributes, const char* colour = "ffffffff") {
    return std::string("<demo>") + "<visual.group name=\"Empty\"/>" +
           "<texture.target name=\"Solid\" visual=\"Empty\" size=\"64\" color=\"" + colour + "\"/>" +
           "<visual.overlay name=\"Overlay\" texture=\"Solid\" " + overlayAttributes + "/>" + "</demo>";
}

int channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xff); }

// Draws the overlay over black at a time and returns the red level at the centre.
class OverlayFrame {
public:
    explicit OverlayFrame(const std::string& text, int width = 64, int height = 64)
        : screen(width, height), doc(text.c_str()) {
        overlay = doc.find<VisualOverlay>("Overlay", TypeVisualOverlay);
    }
    bool drawAt(float time) { return drawVisualFrame(screen, overlay, time); }
    int redAt(int x, int y) { return channel(screen.pixel(x, y), 16); }

    TestDevice screen;
    TestDocument doc;
    VisualOverlay* overlay = nullptr;
};

}  // namespace

TEST(VisualOverlay, FadeOutSamplesAndInclusiveWindow) {
    OverlayFrame frame(overlayDocument("start=\"0.0\" stop=\"2.0\" t1=\"0\" t2=\"2.0\""));
    ASSERT_NE(frame.overlay, nullptr);

    ASSERT_TRUE(frame.drawAt(0.0f));
    EXPECT_NEAR(frame.redAt(32, 32), 255, 1);
    ASSERT_TRUE(frame.drawAt(0.5f));
    EXPECT_NEAR(frame.redAt(32, 32), 215, 1);  // a quarter in: smoothstep(0.75) = 0.84375, not 0.75
    ASSERT_TRUE(frame.drawAt(1.0f));
    EXPECT_NEAR(frame.redAt(32, 32), 127, 1);  // f = 0.5, alpha byte 127
    ASSERT_TRUE(frame.drawAt(2.0f));           // the window includes its stop
    EXPECT_NEAR(frame.redAt(32, 32), 0, 1);
    EXPECT_FALSE(frame.drawAt(2.001f));
    EXPECT_EQ(frame.redAt(32, 32), 0);
}

TEST(VisualOverlay, FadeInFromTransparentToFull) {
    OverlayFrame frame(overlayDocument("start=\"249.0\" stop=\"251.0\" t1=\"2.0\" t2=\"0\""));
    ASSERT_NE(frame.overlay, nullptr);
    EXPECT_FALSE(frame.drawAt(248.99f));
    ASSERT_TRUE(frame.drawAt(249.0f));
    EXPECT_NEAR(frame.redAt(10, 10), 0, 1);
    ASSERT_TRUE(frame.drawAt(251.0f));
    EXPECT_NEAR(frame.redAt(10, 10), 255, 1);
}

TEST(VisualOverlay, FadeOutReplacesFadeInWhereWindowsOverlap) {
    TestDevice screen(8, 8);
    TestDocument loaded(overlayDocument("start=\"0\" stop=\"2\" t1=\"2\" t2=\"2\"").c_str());
    VisualOverlay* o = loaded.find<VisualOverlay>("Overlay", TypeVisualOverlay);
    ASSERT_NE(o, nullptr);
    // At 0.5 the fade-in gives 0.15625 and the fade-out 0.84375: the fade-out wins.
    EXPECT_FLOAT_EQ(o->fadeAt(0.5f), 0.84375f);
    // At 1.5 the fade-out alone gives 0.15625 even though the fade-in value is higher.
    EXPECT_FLOAT_EQ(o->fadeAt(1.5f), 0.15625f);
}

TEST(VisualOverlay, CornerPlacementOnEightHundredBySixHundred) {
    OverlayFrame frame(overlayDocument("start=\"0\" stop=\"10\" position=\"-272 -48 256 32\""), 800, 600);
    ASSERT_NE(frame.overlay, nullptr);
    ASSERT_TRUE(frame.drawAt(1.0f));
    float left, top, right, bottom;
    frame.overlay->placement(1.0f, left, top, right, bottom);
    EXPECT_EQ(left, 528.0f);
    EXPECT_EQ(right, 784.0f);
    EXPECT_EQ(top, 552.0f);
    EXPECT_EQ(bottom, 584.0f);
    // Exactly those pixels are covered, thanks to the half-pixel offset.
    EXPECT_EQ(frame.redAt(528, 552), 255);
    EXPECT_EQ(frame.redAt(783, 583), 255);
    EXPECT_EQ(frame.redAt(527, 552), 0);
    EXPECT_EQ(frame.redAt(784, 560), 0);
    EXPECT_EQ(frame.redAt(600, 551), 0);
    EXPECT_EQ(frame.redAt(600, 584), 0);
}

TEST(VisualOverlay, NoPositionCoversTheWholeRect) {
    OverlayFrame frame(overlayDocument("start=\"0\" stop=\"10\""), 40, 30);
    ASSERT_TRUE(frame.drawAt(5.0f));
    EXPECT_EQ(frame.redAt(0, 0), 255);
    EXPECT_EQ(frame.redAt(39, 29), 255);
    EXPECT_EQ(frame.redAt(20, 15), 255);
}

TEST(VisualOverlay, PositionNumbersInEveryBaseAndMissingOnesZero) {
    TestDevice screen(8, 8);
    TestDocument doc(overlayDocument("start=\"0\" stop=\"1\" position=\"0x10 010\"").c_str());
    VisualOverlay* overlay = doc.find<VisualOverlay>("Overlay", TypeVisualOverlay);
    ASSERT_NE(overlay, nullptr);
    overlay->setRect({100, 200, 300, 400});
    float left, top, right, bottom;
    overlay->placement(0.0f, left, top, right, bottom);
    EXPECT_EQ(left, 116.0f);   // hexadecimal 16
    EXPECT_EQ(top, 208.0f);    // octal 8
    EXPECT_EQ(right, 416.0f);  // width 0 means the rect's own
    EXPECT_EQ(bottom, 608.0f);
}

TEST(VisualOverlay, SwappedTextureCoordinatesMirror) {
    // A 64-texel target: left half red, right half green.
    const char* text =
        "<demo>"
        "<visual.group name=\"Empty\"/>"
        "<texture.target name=\"Red\" visual=\"Empty\" size=\"8\" color=\"ffff0000\"/>"
        "<visual.overlay name=\"LeftHalf\" texture=\"Red\" start=\"0\" stop=\"10\" position=\"0 0 32 64\"/>"
        "<visual.group name=\"Halves\"><item visual=\"LeftHalf\"/></visual.group>"
        "<texture.target name=\"Split\" visual=\"Halves\" size=\"64\" color=\"ff00ff00\"/>"
        "<visual.overlay name=\"Overlay\" texture=\"Split\" start=\"0\" stop=\"10\" u0=\"1\" u1=\"0\"/>"
        "<visual.overlay name=\"Plain\" texture=\"Split\" start=\"0\" stop=\"10\"/>"
        "</demo>";
    OverlayFrame frame(text);
    ASSERT_NE(frame.overlay, nullptr);
    // "Split" was created before "Red", so it samples Red's previous frame: draw twice.
    ASSERT_TRUE(frame.drawAt(1.0f));
    ASSERT_TRUE(frame.drawAt(1.0f));
    DWORD left = frame.screen.pixel(8, 32), right = frame.screen.pixel(56, 32);
    EXPECT_EQ(channel(left, 8), 255) << std::hex << left;  // mirrored: green on the left
    EXPECT_EQ(channel(left, 16), 0);
    EXPECT_EQ(channel(right, 16), 255) << std::hex << right;

    VisualOverlay* plain = frame.doc.find<VisualOverlay>("Plain", TypeVisualOverlay);
    ASSERT_NE(plain, nullptr);
    frame.screen->BeginScene();
    plain->setRect({0, 0, 64, 64});
    plain->render(1.0f, 0.01f);
    frame.screen->EndScene();
    EXPECT_EQ(channel(frame.screen.pixel(8, 32), 16), 255);
    EXPECT_EQ(channel(frame.screen.pixel(56, 32), 8), 255);
}

TEST(VisualOverlay, LoadNeedsStartStopAndATexture) {
    TestDevice screen(8, 8);
    const char* text =
        "<demo>"
        "<visual.group name=\"Empty\"/>"
        "<texture.target name=\"Solid\" visual=\"Empty\" size=\"8\"/>"
        "<visual.overlay name=\"NoStart\" texture=\"Solid\" stop=\"1\"/>"
        "<visual.overlay name=\"NoStop\" texture=\"Solid\" start=\"1\"/>"
        "<visual.overlay name=\"NoTexture\" start=\"0\" stop=\"1\"/>"
        "<visual.overlay name=\"MissingTexture\" texture=\"Nothing\" start=\"0\" stop=\"1\"/>"
        "<visual.overlay name=\"VisualAsTexture\" texture=\"Empty\" start=\"0\" stop=\"1\"/>"
        "<visual.overlay name=\"Good\" texture=\"Solid\" start=\"0\" stop=\"1\"/>"
        "</demo>";
    TestDocument doc(text);
    ASSERT_TRUE(doc.loaded);
    EXPECT_EQ(doc.find<VisualOverlay>("NoStart", TypeVisual), nullptr);
    EXPECT_EQ(doc.find<VisualOverlay>("NoStop", TypeVisual), nullptr);
    EXPECT_EQ(doc.find<VisualOverlay>("NoTexture", TypeVisual), nullptr);
    EXPECT_EQ(doc.find<VisualOverlay>("MissingTexture", TypeVisual), nullptr);
    EXPECT_EQ(doc.find<VisualOverlay>("VisualAsTexture", TypeVisual), nullptr);
    EXPECT_NE(doc.find<VisualOverlay>("Good", TypeVisual), nullptr);
    EXPECT_NE(doc.find<VisualOverlay>("Good", TypeVisualOverlay), nullptr);
    EXPECT_EQ(doc.find<VisualOverlay>("Good", TypeTexture), nullptr);
}

// A caption sliding in: x follows a float from 0 to 32 pixels over two seconds, and the overall
// alpha another float that holds 1 and then steps down to a half.
TEST(VisualOverlay, DrivenPositionAndAlphaMoveWithTheTime) {
    const std::string text = std::string("<demo><float name=\"X\"><key t=\"0\" v=\"0\" ease=\"linear\"/>") +
                             "<key t=\"2\" v=\"32\"/></float>" +
                             "<float name=\"A\"><key t=\"0\" v=\"1\"/><key t=\"1.5\" v=\"0.5\"/></float>" +
                             overlayDocument("start=\"0\" stop=\"10\" position=\"@X 0 16 16\" alpha=\"@A\"")
                                 .substr(6);
    OverlayFrame frame(text);
    ASSERT_NE(frame.overlay, nullptr);
    ASSERT_TRUE(frame.drawAt(1.0f));  // x = 16, full opacity
    EXPECT_EQ(frame.redAt(15, 8), 0);
    EXPECT_EQ(frame.redAt(16, 8), 255);
    EXPECT_EQ(frame.redAt(31, 15), 255);
    EXPECT_EQ(frame.redAt(32, 8), 0);
    EXPECT_EQ(frame.redAt(16, 16), 0);
    ASSERT_TRUE(frame.drawAt(2.0f));  // x = 32, half opacity
    EXPECT_EQ(frame.redAt(31, 8), 0);
    EXPECT_NEAR(frame.redAt(32, 8), 127, 1);
    EXPECT_NEAR(frame.redAt(47, 15), 127, 1);
    EXPECT_EQ(frame.redAt(48, 8), 0);
}
