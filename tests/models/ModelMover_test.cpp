// Moved models: a hat and a boing that carry each other draw and size each other once instead of
// recursing.
#include "models/ModelBoing.h"
#include "models/ModelHat.h"

#include "models/ModelScene.h"

#include <numbers>

TEST(ModelMover, ACycleIsVisitedOnce) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.hat name=\"Hat\" model=\"Boing\"/><model.boing name=\"Boing\" model=\"Hat\"/></demo>");
    auto* hat = doc.find<ModelHat>("Hat", TypeModelHat);
    ASSERT_NE(hat, nullptr);
    ASSERT_NE(doc.find<ModelBoing>("Boing", TypeModelBoing), nullptr);

    const float plainSize = 250.0f;  // what a model with nothing to measure claims
    EXPECT_EQ(hat->getSize(), plainSize);

    // One second: the hat's half turn, then the boing's motion at its phases after one second, each once.
    const Matrix4 identity = identityMatrix();
    Matrix4 world;
    screen->SetTransform(D3DTS_WORLD, &identity);
    hat->render(0.0f, 1.0f);
    screen->GetTransform(D3DTS_WORLD, &world);
    const Matrix4 halfTurn = quaternionToMatrix(quaternionFromAxisAngle({0, 1, 0}, std::numbers::pi_v<float>));
    expectMatrixNear(world, multiplyMatrix(ModelBoing::motionMatrix(0.27f, 0.74f), halfTurn), 1e-4f);
}
