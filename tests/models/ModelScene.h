// Documents for the models' pixel tests: a camera standing still at one pose from time 0 to 100,
// the scene "Scene" drawing the model "Root" with near 1 and far 1000, and an empty group for
// solid-colour render-target textures.
#pragma once

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
