#include "platform/d3dx/Teapot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using d3dx::MeshData;
using d3dx::Teapot;

TEST(Teapot, HasTheStandardCountsLayoutAndOneSubset) {
    MeshData mesh = Teapot::build();
    EXPECT_EQ(mesh.vertexCount(), 1178u);
    EXPECT_EQ(mesh.faceCount(), 2256u);
    EXPECT_EQ(mesh.fvf(), D3DFVF_XYZ | D3DFVF_NORMAL);
    EXPECT_EQ(mesh.stride(), 24u);
    ASSERT_EQ(mesh.subsets.size(), 1u);
    EXPECT_EQ(mesh.subsets[0].faceStart, 0u);
    EXPECT_EQ(mesh.subsets[0].faceCount, 2256u);
    EXPECT_EQ(mesh.subsets[0].vertexCount, 1178u);
    for (std::uint32_t index : mesh.indices) ASSERT_LT(index, 1178u);
}

TEST(Teapot, ExtentIsTheStandardOneCentredVertically) {
    MeshData mesh = Teapot::build();
    float low[3] = {1e9f, 1e9f, 1e9f}, high[3] = {-1e9f, -1e9f, -1e9f};
    for (std::size_t v = 0; v < mesh.vertexCount(); ++v)
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], mesh.positions[v * 3 + k]);
            high[k] = std::max(high[k], mesh.positions[v * 3 + k]);
        }
    EXPECT_NEAR(low[1], -1.575f, 1e-5);   // the bottom
    EXPECT_NEAR(high[1], 1.575f, 1e-5);   // the lid's tip
    EXPECT_NEAR(low[2], -2.0f, 1e-3);     // the body's widest ring
    EXPECT_NEAR(high[2], 2.0f, 1e-3);
    EXPECT_NEAR(low[0], -3.0f, 0.02);     // the handle
    EXPECT_GT(high[0], 3.3f);             // the spout's tip, along +x
    EXPECT_LT(high[0], 3.5f);
}

TEST(Teapot, NormalsAreUnitAndFacesAreClockwiseFromOutside) {
    MeshData mesh = Teapot::build();
    for (std::size_t v = 0; v < mesh.vertexCount(); ++v) {
        const float* n = &mesh.normals[v * 3];
        ASSERT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-4) << "vertex " << v;
    }
    int backwards = 0;
    for (std::size_t f = 0; f < mesh.faceCount(); ++f) {
        const std::uint32_t* t = &mesh.indices[f * 3];
        const float* a = &mesh.positions[t[0] * 3];
        const float* b = &mesh.positions[t[1] * 3];
        const float* c = &mesh.positions[t[2] * 3];
        float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float face[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        float along = 0;
        for (int k = 0; k < 3; ++k) along += face[k] * (mesh.normals[t[0] * 3 + k] + mesh.normals[t[1] * 3 + k] + mesh.normals[t[2] * 3 + k]);
        if (along <= 0) ++backwards;
    }
    EXPECT_EQ(backwards, 0);
    // The lid's tip faces up and the bottom's centre down; the body's side at +z faces +z.
    for (std::size_t v = 0; v < mesh.vertexCount(); ++v) {
        const float* p = &mesh.positions[v * 3];
        const float* n = &mesh.normals[v * 3];
        if (p[0] == 0 && p[2] == 0 && p[1] > 1.5f) {
            EXPECT_NEAR(n[1], 1.0f, 1e-5);
        }
        if (p[0] == 0 && p[2] == 0 && p[1] < -1.5f) {
            EXPECT_NEAR(n[1], -1.0f, 1e-5);
        }
        if (std::fabs(p[2] - 2.0f) < 1e-3f) {
            EXPECT_GT(n[2], 0.9f);
        }
    }
}
