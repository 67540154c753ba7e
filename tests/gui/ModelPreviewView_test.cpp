// The model preview: drags turn and pan through pending deltas that settle on release or when
// the mouse leaves, and the wheel keeps the camera between twice the near plane and half the far.
#include "gui/ModelPreviewView.h"

#include "models/Model.h"

#include <gtest/gtest.h>

namespace {

struct Cube : Model {
    Cube() : Model(nullptr) {}
    Object* castTo(ObjectType type) override { return answerFor(type, TypeModel, TypeModelX); }
    float getSize() override { return 10.0f; }
};

TEST(ModelPreviewViewDrag, DeltasArePendingUntilTheDragEnds) {
    Cube cube;
    ModelPreviewView view(&cube);
    view.setRect({0, 0, 200, 100});
    view.init();
    view.leftButton({50, 50}, 0);
    view.mouseMove({40, 60});
    EXPECT_FLOAT_EQ(view.getAzimuth(), -0.5f + 0.2f);
    EXPECT_FLOAT_EQ(view.getElevation(), 0.5f + 0.2f);
    view.leftButton({40, 60}, 2);
    view.mouseMove({0, 0});  // no drag: nothing moves
    EXPECT_FLOAT_EQ(view.getAzimuth(), -0.3f);

    view.rightButton({50, 50}, 0);
    view.mouseMove({60, 45});
    view.mouseLeave();  // settles the pan like a release
    view.mouseMove({0, 0});
    EXPECT_FALSE(view.isDragging());
    EXPECT_FLOAT_EQ(view.getPanX(), -10.0f * 20.0f / 100.0f);
    EXPECT_FLOAT_EQ(view.getPanY(), -5.0f * 20.0f / 100.0f);
}

TEST(ModelPreviewViewWheel, StaysBetweenTwiceNearAndHalfFar) {
    Cube cube;
    auto* view = dynamic_cast<ModelPreviewView*>(cube.getEditor());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(cube.getEditor(), view);
    EXPECT_FLOAT_EQ(view->getDistance(), 20.0f);
    view->wheel({0, 0}, 100.0f);
    EXPECT_FLOAT_EQ(view->getDistance(), 0.2f);
    for (int i = 0; i < 5; ++i) view->wheel({0, 0}, -100.0f);
    EXPECT_FLOAT_EQ(view->getDistance(), 500.0f);
}

}  // namespace
