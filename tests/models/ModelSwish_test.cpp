// Swish: ten trail points per second of drawing, the fraction kept between frames.
#include "models/ModelSwish.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"

#include <gtest/gtest.h>

TEST(ModelSwish, StepsThreePointsForThirtyFiveHundredthsAndNoneForZero) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><model.swish name=\"Swish\"/></demo>");
    auto* swish = doc.find<ModelSwish>("Swish", TypeModelSwish);
    ASSERT_NE(swish, nullptr);
    std::array<ModelSwish::Point, ModelSwish::pointCount> before;
    for (int i = 0; i < ModelSwish::pointCount; ++i) before[i] = swish->trailPoint(i);

    swish->render(0.0f, 0.0f);
    for (int i = 0; i < ModelSwish::pointCount; ++i) EXPECT_EQ(swish->trailPoint(i), before[i]) << i;
    EXPECT_EQ(swish->getStepPhase(), 0.0f);

    swish->render(0.0f, 0.35f);
    EXPECT_FLOAT_EQ(swish->getStepPhase(), 0.5f);
    for (int i = 0; i + 3 < ModelSwish::pointCount; ++i) EXPECT_EQ(swish->trailPoint(i), before[i + 3]) << i;
    EXPECT_NE(swish->trailPoint(39), before[39]);
}
