// The orbit view of the path editor: drags that move and roll the current key (always leaving it
// on whole units), the capture rules of its three drag modes, the wheel's limits, the camera
// kept on the current key, and the key drawn in the middle of the view.
#include "gui/PathOrbitView.h"

#include "gui/PathKeyView.h"
#include "gui/RecordingHost.h"
#include "models/Model.h"
#include "paths/SplineDocument.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr int Shift = 16, Control = 17, PageUp = 33, Left = 37, Up = 38, Down = 40, Numpad1 = 0x61;

std::vector<KeyNumbers> twoKeys() {
    return {{3, 5, 7, 0, 0, 0, 0, 0, 0, 0.0f}, {40, 10, 0, 0, 300, 0, 0, 0, 0, 4.0f}};
}

struct PathOrbitViewTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(p.loaded);
        view.setHost(&host);
        view.setRect({0, 0, 400, 300});
        view.init();
    }
    LoadedPath p{twoKeys()};
    RecordingHost host;
    PathOrbitView view{&p.path};
};

TEST_F(PathOrbitViewTest, MovingTheKeyFollowsTheViewPlaneAndLeavesWholeUnits) {
    view.key(Numpad1, true);  // from +x, level
    view.rightButton({200, 150}, 0);
    EXPECT_EQ(host.capture, &view);
    view.mouseMove({187, 140});  // 13 px left, 10 up, at 200 units over 300 px
    SplineKey key = p.path.keyAt(0);
    EXPECT_EQ(key.position.x, 3.0f);
    EXPECT_EQ(key.position.y, 11.0f);   // floor(5 + 6.67)
    EXPECT_EQ(key.position.z, -2.0f);   // floor(7 - 8.67)
    EXPECT_EQ(key.orientation.w, 1.0f);
    view.rightButton({187, 140}, 2);
    EXPECT_EQ(host.capture, nullptr);
    EXPECT_FALSE(view.isDragging());

    // From any side, Shift with the left button moves too, and only ever to whole units.
    host.keysDown = {Shift};
    for (int turn = 0; turn < 5; ++turn) {
        view.key(Left, true);
        view.key(Up, true);
        view.leftButton({100, 100}, 0);
        view.mouseMove({100 + 7 * turn + 3, 100 - 5 * turn + 1});
        view.leftButton({0, 0}, 2);
        key = p.path.keyAt(0);
        for (float c : {key.position.x, key.position.y, key.position.z}) EXPECT_EQ(c, std::floor(c));
    }
}

// Seen from any side, above and below included, the moved key follows the pointer across the
// screen (right and up as far as the drag went) and keeps its depth, and a roll turns it about the
// line of sight.
TEST_F(PathOrbitViewTest, FromAnySideMovesFollowThePointerAndRollsTurnAboutTheLineOfSight) {
    const struct {
        int left, up;
    } sides[] = {{0, 3}, {2, -2}, {4, 5}, {7, 1}, {13, -4}};
    for (const auto& side : sides) {
        view.key(Numpad1, true);
        for (int k = 0; k < side.left; ++k) view.key(Left, true);
        for (int k = 0; k < std::abs(side.up); ++k) view.key(side.up > 0 ? Up : Down, true);
        const Matrix4 seen = view.getView();
        const SplineKey before = p.path.keyAt(0);
        view.rightButton({200, 150}, 0);
        view.mouseMove({224, 132});  // 24 px right, 18 up, at 200 units over 300 px
        view.rightButton({224, 132}, 2);
        const SplineKey after = p.path.keyAt(0);
        const float moved[3] = {after.position.x - before.position.x, after.position.y - before.position.y,
                                after.position.z - before.position.z};
        float onScreen[3];  // the move in the camera's axes: right, up, away
        for (int c = 0; c < 3; ++c) onScreen[c] = moved[0] * seen.m[0][c] + moved[1] * seen.m[1][c] + moved[2] * seen.m[2][c];
        SCOPED_TRACE("turned left " + std::to_string(side.left) + ", up " + std::to_string(side.up));
        // Whole units: each axis may lose up to one.
        EXPECT_NEAR(onScreen[0], 16.0f, 1.8f);
        EXPECT_NEAR(onScreen[1], 12.0f, 1.8f);
        EXPECT_NEAR(onScreen[2], 0.0f, 1.8f);

        p.path.setKeyPose({after.position, Quaternion{}});
        host.keysDown = {Control};
        view.leftButton({200, 150}, 0);
        view.mouseMove({230, 150});
        view.leftButton({230, 150}, 2);
        host.keysDown.clear();
        const Quaternion turn = p.path.keyAt(0).orientation;  // from none
        const float sine = std::sqrt(turn.x * turn.x + turn.y * turn.y + turn.z * turn.z);
        ASSERT_GT(sine, 0.1f);
        const float sight = (turn.x * seen.m[0][2] + turn.y * seen.m[1][2] + turn.z * seen.m[2][2]) / sine;
        EXPECT_NEAR(std::abs(sight), 1.0f, 1e-3f) << "the axis of the roll is the line of sight";
    }
}

TEST_F(PathOrbitViewTest, OneDragAtATimeAndOnlyWithTheCapture) {
    host.grantCapture = false;
    view.leftButton({10, 10}, 0);
    EXPECT_FALSE(view.isDragging());

    host.grantCapture = true;
    host.keysDown = {Control};
    view.leftButton({10, 10}, 0);  // a roll about the line of sight: the key stays where it is
    view.rightButton({10, 10}, 0);  // ignored while rolling
    view.mouseMove({30, 10});
    SplineKey key = p.path.keyAt(0);
    EXPECT_EQ(key.position.x, 3.0f);
    EXPECT_EQ(key.position.z, 7.0f);
    EXPECT_NE(key.orientation.w, 1.0f);
    view.leftButton({30, 10}, 2);
    EXPECT_FALSE(view.isDragging());

    host.keysDown.clear();
    const float azimuth = view.getAzimuth();
    view.leftButton({10, 10}, 0);  // orbit
    view.mouseMove({0, 10});
    EXPECT_FLOAT_EQ(view.getAzimuth(), azimuth + 0.2f);
    view.mouseLeave();  // leaving ends the drag but keeps the capture
    EXPECT_FALSE(view.isDragging());
    EXPECT_EQ(host.capture, &view);
}

TEST_F(PathOrbitViewTest, TheWheelStaysBetweenTheClippingPlanesAndTheCameraFollowsTheKey) {
    view.wheel({0, 0}, 100.0f);
    EXPECT_EQ(view.getDistance(), view.getNear());
    for (int i = 0; i < 5; ++i) view.wheel({0, 0}, -100.0f);
    EXPECT_EQ(view.getDistance(), view.getFar());
    view.wheel({0, 0}, 8.0f);  // halfway in
    EXPECT_FLOAT_EQ(view.getDistance(), view.getFar() / 2.0f);

    view.key(PageUp, true);  // key 1, at (40, 10, 0), is where the camera looks
    ASSERT_EQ(p.path.getCurrentKey(), 1);
    const Matrix4& m = view.getView();
    const float k[3] = {40.0f, 10.0f, 0.0f};
    float seen[3];
    for (int c = 0; c < 3; ++c) seen[c] = k[0] * m.m[0][c] + k[1] * m.m[1][c] + k[2] * m.m[2][c] + m.m[3][c];
    EXPECT_NEAR(seen[0], 0.0f, 0.01f);
    EXPECT_NEAR(seen[1], 0.0f, 0.01f);
    EXPECT_NEAR(seen[2], view.getDistance(), 0.5f);
}

TEST_F(PathOrbitViewTest, TheCurrentKeyIsAnOrangePointInTheMiddle) {
    TestDevice screen(200, 150);
    view.setRect({0, 0, 200, 150});
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1.0f, 0);
    EXPECT_TRUE(view.draw(0.0f, 0.01f));
    screen->EndScene();
    int orange = 0;
    for (int y = 72; y <= 78; ++y)
        for (int x = 97; x <= 103; ++x)
            if ((screen.pixel(x, y) & 0xF0F0F0) == 0xF0C010) ++orange;
    EXPECT_GT(orange, 3);
    EXPECT_EQ(screen.pixel(2, 2) & 0xFFFFFF, 0u);  // the view's own black, not the frame's blue
}

TEST(PathOrbitViewPreview, ASceneLendsItsModelItsPlanesAndItsCameraPath) {
    TestDocument doc(
        "<demo><path.spline name=\"Edited\" preview=\"Scene\"><key p=\"0 0 0 0 0 0\"/></path.spline>"
        "<path.spline name=\"Camera\"><key p=\"0 0 0 0 0 0\"/></path.spline>"
        "<model.group name=\"World\" size=\"40\"/>"
        "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"2\" far=\"500\"/></demo>");
    auto* path = doc.find<PathSpline>("Edited", TypePathSpline);
    ASSERT_NE(path, nullptr);
    Model* world = doc.find<Model>("World", TypeModel);
    PathOrbitView orbit(path);
    orbit.init();
    EXPECT_EQ(orbit.getModel(), world);
    EXPECT_TRUE(orbit.hasCameraRenderer());
    EXPECT_EQ(orbit.getNear(), 2.0f);
    EXPECT_EQ(orbit.getFar(), 500.0f);
    EXPECT_EQ(orbit.getDistance(), 80.0f);
    PathKeyView through(path);
    through.init();
    EXPECT_EQ(through.getModel(), world);
    EXPECT_FLOAT_EQ(through.getNear(), 0.4f);  // the key view frames the model, not the scene
}

// Without a preview, a path shows where it is used: the scene it is the camera of, or else the
// group that places a model along it.
TEST(PathOrbitViewPreview, WithoutAPreviewThePathsUserIsShown) {
    TestDocument doc(
        "<demo><path.spline name=\"Camera\"><key p=\"0 0 0 0 0 0\"/></path.spline>"
        "<path.spline name=\"Along\"><key p=\"0 0 0 0 0 0\"/></path.spline>"
        "<path.spline name=\"Unused\"><key p=\"0 0 0 0 0 0\"/></path.spline>"
        "<model.group name=\"Pot\" size=\"5\"/>"
        "<model.group name=\"Placed\" size=\"40\"><item model=\"Pot\" path=\"Along\"/></model.group>"
        "<model.group name=\"World\" size=\"40\"><item model=\"Placed\" path=\"Camera\"/></model.group>"
        "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"2\" far=\"500\"/></demo>");
    auto orbitModel = [&](const char* name) {
        PathOrbitView orbit(doc.find<PathSpline>(name, TypePathSpline));
        orbit.init();
        return orbit.getModel();
    };
    EXPECT_EQ(orbitModel("Camera"), doc.find<Model>("World", TypeModel));  // the scene before a group
    EXPECT_EQ(orbitModel("Along"), doc.find<Model>("Placed", TypeModel));
    EXPECT_EQ(orbitModel("Unused"), nullptr);
    PathKeyView through(doc.find<PathSpline>("Camera", TypePathSpline));
    through.init();
    EXPECT_EQ(through.getModel(), doc.find<Model>("World", TypeModel));
}

}  // namespace
