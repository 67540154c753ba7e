// Scenes for the models' pixel tests: a camera standing still at one pose from time 0 to 100, the
// scene "Scene" drawing the model "Root" with near 1 and far 1000, an empty group for solid-colour
// render-target textures, and a white square mesh; plus a matrix comparison.
#pragma once

#include "paths/Matrix4.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestMesh.h"
#include "support/VisualFrame.h"
#include "visuals/VisualScene.h"

#include <gtest/gtest.h>

#include <string>

// pose: a key's "p" text; "0 10 0 -706 0 0" looks down from y = 10 with +x right and +z up.
inline std::string sceneDocument(const std::string& pose, const std::string& objects) {
    return "<demo><visual.group name=\"Empty\"/><path.spline name=\"Camera\"><key p=\"" + pose +
           "\" t=\"0\"/><key p=\"" + pose + "\" t=\"100\"/></path.spline>" + objects +
           "<visual.scene name=\"Scene\" model=\"Root\" camera=\"Camera\" near=\"1\" far=\"1000\"/></demo>";
}

inline std::string solidTexture(const char* name, const char* argb) {
    return std::string("<texture.target name=\"") + name + "\" visual=\"Empty\" size=\"16\" color=\"" + argb + "\"/>";
}

// The resource "WhiteSquare.x": 2 x 2 in the XZ plane, lit by its own emission to plain white.
inline bool addWhiteSquare() {
    xwriter::Material white;
    white.emissive = {1, 1, 1};
    std::string error;
    return addSquareResource("WhiteSquare.x", white, error);
}

inline void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual(r, c), expected(r, c), tolerance) << "row " << r << " column " << c;
}
