// Cloud slices: each present twice with opposite windings, and the shader's fade run through the
// device for a slice facing the camera, one edge-on and one in between, under a world-view
// rotation whose rows and columns differ (so a normal turned the wrong way round would show).
#include "models/ModelCloud.h"

#include "paths/Matrix4.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Model x turns to view z, y to view x, z to view y (rows and columns differ); the model stands
// `distance` ahead under a 90-degree square projection. Returns the world-view matrix.
Matrix4 turnAndPlace(TestDevice& screen, float distance) {
    Matrix4 world;
    world(0, 2) = 1.0f;
    world(1, 0) = 1.0f;
    world(2, 1) = 1.0f;
    world(3, 3) = 1.0f;
    Matrix4 view = identityMatrix();
    view(3, 2) = distance;
    Matrix4 projection;
    projection(0, 0) = 1.0f;
    projection(1, 1) = 1.0f;
    projection(2, 2) = 1000.0f / 999.0f;
    projection(2, 3) = 1.0f;
    projection(3, 2) = -1000.0f / 999.0f;
    screen->SetTransform(D3DTS_WORLD, &world);
    screen->SetTransform(D3DTS_VIEW, &view);
    screen->SetTransform(D3DTS_PROJECTION, &projection);
    return multiplyMatrix(world, view);
}

// Leaves the frame open: a caller may draw more over the cloud before it ends the scene.
void beginCloudOverWhite(TestDevice& screen, ModelCloud* cloud) {
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xffffffff, 1.0f, 0);
    cloud->render(0.0f, 0.01f);
}

}  // namespace

TEST(ModelCloud, EverySliceTwiceWithOppositeWindings) {
    const std::vector<CloudVertex> v = ModelCloud::buildVertices();
    const std::vector<uint16_t> indices = ModelCloud::buildIndices();
    ASSERT_EQ(v.size(), 60u);
    ASSERT_EQ(indices.size(), 180u);
    int facing[15] = {}, away[15] = {};
    for (size_t t = 0; t < indices.size(); t += 3) {
        const CloudVertex &a = v[indices[t]], &b = v[indices[t + 1]], &c = v[indices[t + 2]];
        const int quad = indices[t] / 4;
        ASSERT_EQ(indices[t + 1] / 4, quad);
        ASSERT_EQ(indices[t + 2] / 4, quad);
        const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const float along = n[0] * a.nx + n[1] * a.ny + n[2] * a.nz;
        (along > 0 ? facing : away)[quad]++;
    }
    for (int q = 0; q < 15; ++q) {
        EXPECT_EQ(facing[q], 2) << q;
        EXPECT_EQ(away[q], 2) << q;
    }
    // Quad q = 3 s + axis lies at -16 + 8 s on its axis and samples the inside of atlas tile q.
    const CloudVertex& y24 = v[4 * 4];  // s = 1, axis 1
    EXPECT_EQ(y24.y, -8.0f);
    EXPECT_EQ(y24.ny, 1.0f);
    EXPECT_FLOAT_EQ(y24.u, 0.5f / 256.0f);
    EXPECT_FLOAT_EQ(y24.v, 64.5f / 256.0f);
}

// Depth writes are off, so the blend is right only when farther slices come first: the faces that
// look along an axis come with their slices in rising order, those that look back in falling
// order, so from either side of the cloud each axis' slices are drawn back to front.
TEST(ModelCloud, SlicesComeBackToFrontFromEitherSide) {
    const std::vector<CloudVertex> v = ModelCloud::buildVertices();
    const std::vector<uint16_t> indices = ModelCloud::buildIndices();
    std::vector<float> order[3][2];  // per axis, per side: the slices' positions as drawn
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const CloudVertex &a = v[indices[t]], &b = v[indices[t + 1]], &c = v[indices[t + 2]];
        const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const int axis = (indices[t] / 4) % 3;
        const float position = axis == 0 ? a.x : axis == 1 ? a.y : a.z;
        std::vector<float>& drawn = order[axis][n[0] * a.nx + n[1] * a.ny + n[2] * a.nz > 0];
        if (drawn.empty() || drawn.back() != position) drawn.push_back(position);
    }
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(order[axis][1], (std::vector<float>{-16, -8, 0, 8, 16})) << "facing along axis " << axis;
        EXPECT_EQ(order[axis][0], (std::vector<float>{16, 8, 0, -8, -16})) << "facing back along axis " << axis;
    }
}

TEST(ModelCloud, ShaderFadeMatchesTheNormalInViewSpace) {
    TestDevice screen(32, 32);
    TestDocument doc(
        "<demo><texture.file name=\"Black\" resource=\"black.jpg\"/>"
        "<model.cloud name=\"Cloud\" texture=\"Black\"/><model.cloud name=\"Other\"/></demo>");
    auto* cloud = doc.find<ModelCloud>("Cloud", TypeModelCloud);
    ASSERT_NE(cloud, nullptr);
    ASSERT_NE(doc.find<ModelCloud>("Other", TypeModel), nullptr);
    EXPECT_EQ(ModelCloud::liveClouds(), 2);

    const Matrix4 worldView = turnAndPlace(screen, 100.0f);

    // Black slices over white: the x slices face the camera and hide the middle.
    beginCloudOverWhite(screen, cloud);
    screen->EndScene();
    EXPECT_LT(screen.pixel(16, 16) & 0xff, 8u);

    // The same shader, constants and states, on a screen-filling square in the plane x = 0 whose
    // normal is chosen freely: the fade is |z| of the normal turned into view space.
    const float normals[3][3] = {{1, 0, 0}, {0, 1, 0}, {0.6f, 0.8f, 0}};
    for (const auto& n : normals) {
        const float z = n[0] * worldView(0, 2) + n[1] * worldView(1, 2) + n[2] * worldView(2, 2);
        const float fade = std::fabs(z);
        const CloudVertex square[4] = {
            {0, -300, -300, n[0], n[1], n[2], 0.5f, 0.5f}, {0, 300, -300, n[0], n[1], n[2], 0.5f, 0.5f},
            {0, 300, 300, n[0], n[1], n[2], 0.5f, 0.5f}, {0, -300, 300, n[0], n[1], n[2], 0.5f, 0.5f}};
        beginCloudOverWhite(screen, cloud);
        screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xffffffff, 1.0f, 0);
        screen->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        screen->SetVertexShader(ModelCloud::shader());
        screen->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, square, sizeof(CloudVertex));
        screen->SetVertexShader(nullptr);
        screen->EndScene();
        EXPECT_NEAR(static_cast<float>(screen.pixel(16, 16) & 0xff), 255.0f * (1.0f - fade), 3.0f)
            << n[0] << " " << n[1] << " " << n[2];
    }
}

TEST(ModelCloud, StretchesAlongYAndZ) {
    // scale1 = 1 keeps y, scale2 = 0.5 halves z. Model y turns to screen x, z to screen y, so the
    // cloud is twice as wide as it is tall on screen.
    TestDevice screen(64, 64);
    TestDocument doc(
        "<demo><texture.file name=\"Black\" resource=\"black.jpg\"/>"
        "<model.cloud name=\"Flat\" texture=\"Black\" scale1=\"1\" scale2=\"0.5\"/></demo>");
    auto* cloud = doc.find<ModelCloud>("Flat", TypeModel);
    ASSERT_NE(cloud, nullptr);
    // The nearest x slice stands 44 ahead: 32 units there are 0.73 of the half screen.
    turnAndPlace(screen, 60.0f);
    beginCloudOverWhite(screen, cloud);
    screen->EndScene();
    EXPECT_LT(screen.pixel(32 + 19, 32) & 0xff, 8u);   // 0.6 of the half width: inside
    EXPECT_EQ(screen.pixel(32, 32 + 19) & 0xff, 255u);  // 0.6 of the half height: above the cloud
    EXPECT_LT(screen.pixel(32, 32 + 9) & 0xff, 8u);    // 0.28: inside
}
