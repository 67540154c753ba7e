// The star field: the same field every time it is built, nextRandom going on from where the last
// field left it, and squares that face the camera.
#include "models/ModelStars.h"

#include "paths/Matrix4.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "textures/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(ModelStars, FieldsRepeatAndTheGeneratorGoesOn) {
    TestDocument doc(
        "<demo><model.stars name=\"A\" scale1=\"300\" scale2=\"50\"/>"
        "<model.stars name=\"B\" scale1=\"300\" scale2=\"50\"/><model.stars name=\"Plain\"/></demo>");
    randomSeed = 777;
    auto* a = doc.find<ModelStars>("A", TypeModel);
    ASSERT_NE(a, nullptr);
    const uint32_t afterA = randomSeed;
    randomSeed = 4242;
    auto* b = doc.find<ModelStars>("B", TypeModelStars);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::memcmp(a->getStars(), b->getStars(), sizeof(float) * 3 * ModelStars::starCount), 0);
    EXPECT_EQ(randomSeed, afterA);

    // Worked out apart from the model: 12345 stepped once for the first x, 7500 times in all.
    uint32_t state = 12345;
    state = state * 1664525u + 1013904223u;
    EXPECT_FLOAT_EQ(a->getStars()[0][0], static_cast<float>(static_cast<int32_t>(state)) / 2147483648.0f * 300.0f);
    for (int i = 1; i < 7500; ++i) state = state * 1664525u + 1013904223u;
    EXPECT_EQ(randomSeed, state);
    EXPECT_EQ(a->getSize(), 600.0f);

    auto* plain = doc.find<ModelStars>("Plain", TypeModel);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->getSize(), 200.0f);
    for (int i = 0; i < ModelStars::starCount; ++i)
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(plain->getStars()[i][k], -100.0f);
            EXPECT_LE(plain->getStars()[i][k], 100.0f);
        }
}

TEST(ModelStars, SquaresFaceTheCamera) {
    TestDevice screen(32, 32);
    TestDocument doc("<demo><model.stars name=\"Stars\" scale1=\"10\" scale2=\"10\"/></demo>");
    auto* stars = doc.find<ModelStars>("Stars", TypeModel);
    ASSERT_NE(stars, nullptr);
    // A world turned about a slanted axis; the view stands back along z.
    Matrix4 world = quaternionToMatrix(scaleQuaternion(Quaternion{0.9f, 0.3f, 0.2f, 0.1f}, 1.0f / std::sqrt(0.95f)));
    Matrix4 view = identityMatrix();
    view(3, 2) = 50.0f;
    screen->SetTransform(D3DTS_WORLD, &world);
    screen->SetTransform(D3DTS_VIEW, &view);
    screen->BeginScene();
    stars->render(0.0f, 0.01f);
    const StarVertex* firstFrame = stars->getVertices();
    stars->render(0.0f, 0.01f);
    screen->EndScene();
    EXPECT_EQ(stars->getVertices(), firstFrame);  // rebuilt in place

    const Matrix4 worldView = multiplyMatrix(world, view);
    auto toView = [&](const StarVertex& p, int axis) {
        return p.x * worldView(0, axis) + p.y * worldView(1, axis) + p.z * worldView(2, axis) + worldView(3, axis);
    };
    for (int star : {0, 1234, 2499}) {
        const StarVertex* corners = firstFrame + 6 * star;
        const float depth = toView(corners[0], 2);
        for (int k = 1; k < 6; ++k) EXPECT_NEAR(toView(corners[k], 2), depth, 1e-3f) << star;
        // Side 2 along view x and y: corner 0 is bottom left, corner 2 top right.
        EXPECT_NEAR(toView(corners[2], 0) - toView(corners[0], 0), 2.0f, 1e-4f);
        EXPECT_NEAR(toView(corners[2], 1) - toView(corners[0], 1), 2.0f, 1e-4f);
        const float* p = stars->getStars()[star];
        EXPECT_NEAR((corners[0].x + corners[2].x) / 2, p[0], 1e-4f);
        EXPECT_EQ(corners[1].u, 0.0f);
        EXPECT_EQ(corners[1].v, 0.0f);
    }
}
