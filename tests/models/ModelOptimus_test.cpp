// Optimus: the background blinks opaque above a blink phase of 0.8 and blends below it.
#include "models/ModelOptimus.h"

#include "models/ModelScene.h"

TEST(ModelOptimus, BackgroundOpaqueOnlyPastTheBlinkThreshold) {
    TestDevice screen(64, 64);
    // A mostly transparent picture: blended, the clear colour shows through it.
    TestDocument doc(sceneDocument("0 0 0 0 0 0", "<texture.file name=\"Icon\" resource=\"120-Close.png\"/>"
                                                  "<model.optimus name=\"Root\" texture=\"Icon\"/>").c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    auto* optimus = doc.find<ModelOptimus>("Root", TypeModelOptimus);
    ASSERT_NE(scene, nullptr);
    ASSERT_NE(optimus, nullptr);

    // Each pair of frames: the phase set by the first, the second of length 0 over another colour.
    for (auto [delta, opaque] : {std::pair{0.2f, false}, std::pair{0.16f, true}}) {
        drawVisualFrame(screen, scene, 1.0f, 0xff000000, delta);
        const DWORD overBlack = screen.pixel(4, 4);
        drawVisualFrame(screen, scene, 1.0f, 0xffffffff, 0.0f);
        EXPECT_EQ(overBlack == screen.pixel(4, 4), opaque) << optimus->getBlinkPhase();
    }
    EXPECT_FLOAT_EQ(optimus->getBlinkPhase(), 0.9f);
}
