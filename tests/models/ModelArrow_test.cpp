// Arrow: the trail's coverage by its path, the fading alphas of ribbon and outline.
#include "models/ModelArrow.h"

#include "models/ModelScene.h"
#include "paths/Path.h"
#include "paths/PathState.h"

TEST(ModelArrow, TrailCoveredByThePathFadesFromTailToHead) {
    TestDevice screen(16, 16);
    TestDocument doc("<demo><path.spline name=\"Line\"><key p=\"0 0 0 0 0 0\" t=\"0\"/><key p=\"0 0 100 0 0 0\" t=\"10\"/>"
                     "</path.spline><model.arrow name=\"Arrow\" path=\"Line\" color=\"20a0ff\" scale1=\"4\"/>"
                     "<model.arrow name=\"Lost\" path=\"Nothing\"/><path.spline name=\"Still\"><key p=\"0 0 0\" t=\"0\"/>"
                     "<key p=\"0 0 0\" t=\"10\"/></path.spline><model.arrow name=\"Parked\" path=\"Still\"/></demo>");
    auto* arrow = doc.find<ModelArrow>("Arrow", TypeModelArrow);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(doc.find<ModelArrow>("Lost", TypeModelArrow), nullptr);

    EXPECT_TRUE(arrow->buildTrail(10.0f));  // the head exactly on the last key
    ASSERT_TRUE(arrow->buildTrail(4.0f));
    for (int v : {0, 1}) EXPECT_EQ(arrow->vertexAt(v).color, 0x0020a0ffu) << v;
    for (int v : {118, 119, 120, 121, 122}) EXPECT_EQ(arrow->vertexAt(v).color, 0xff20a0ffu) << v;
    // The head's corners a ribbon width apart across the path, the tip a width ahead along it.
    PathState head;
    ASSERT_TRUE(doc.find<Path>("Line", TypePath)->evaluate(head, 4.0f));
    EXPECT_FLOAT_EQ(arrow->vertexAt(120).x, 2.0f);
    EXPECT_FLOAT_EQ(arrow->vertexAt(120).z, head.position.z);
    EXPECT_NEAR(arrow->vertexAt(122).z, head.position.z + 2.0f, 1e-4f);

    auto* parked = doc.find<ModelArrow>("Parked", TypeModelArrow);  // no direction for the tip
    ASSERT_TRUE(parked && parked->buildTrail(6.0f));
    EXPECT_EQ(parked->vertexAt(122).z, 0.0f);

    arrow->render(4.0f, 0.01f);  // the outline leaves the vertices black with the same alphas
    EXPECT_EQ(arrow->vertexAt(0).color, 0x00000000u);
    EXPECT_EQ(arrow->vertexAt(121).color, 0xff000000u);
}

TEST(ModelArrow, RibbonSeenFromAboveFadesToTheTailAndWaitsForItsTrail) {
    TestDevice screen(64, 64);
    TestDocument doc(sceneDocument("0 10 0 -706 0 0",
                                   "<path.spline name=\"Line\"><key p=\"0 0 -3 0 0 0\" t=\"0\"/>"
                                   "<key p=\"0 0 3 0 0 0\" t=\"8\"/></path.spline>"
                                   "<model.arrow name=\"Root\" path=\"Line\" color=\"ff0000\" scale1=\"8\"/>")
                         .c_str());
    auto* scene = doc.find<VisualScene>("Scene", TypeVisualScene);
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 7.99f));
    EXPECT_EQ(screen.pixel(32, 20), 0xff000000u);  // the tail would lie before the first key

    ASSERT_TRUE(drawVisualFrame(screen, scene, 8.0f));
    const DWORD head = screen.pixel(32, 20), tail = screen.pixel(32, 52);
    EXPECT_GT((head >> 16) & 0xff, 200u);  // red, near opaque
    EXPECT_LT((head >> 8) & 0xff, 80u);
    EXPECT_LT((tail >> 16) & 0xff, 80u);   // nearly transparent over black
    EXPECT_EQ(screen.pixel(48, 32), 0xff000000u);  // beside the ribbon
}
