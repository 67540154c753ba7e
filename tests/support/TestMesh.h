// Meshes for tests of the 3-D picture: a flat square written with the X writer and added as a
// resource of the running executable, so that a document's model.x can load it by name.
#pragma once

#include "platform/win/Resources.h"
#include "xwriter/XWriter.h"

#include <string>

// A 2 x 2 square in the XZ plane at y = 0, facing up (+y), front face clockwise seen from above
// with +z at the top of the picture; texture coordinates span it once.
inline xwriter::Mesh squareMesh(const xwriter::Material& material) {
    xwriter::Mesh mesh;
    mesh.positions = {{-1, 0, 1}, {1, 0, 1}, {1, 0, -1}, {-1, 0, -1}};
    mesh.faces = {{0, 1, 2, 3}};
    mesh.normals = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    mesh.textureCoordinates = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.materials = {material};
    return mesh;
}

// Adds the square as resource `name` once per process; false with the writer's reason otherwise.
inline bool addSquareResource(const std::string& name, const xwriter::Material& material, std::string& error) {
    if (win::findResource(name.c_str())) return true;
    xwriter::Scene scene;
    scene.meshes.push_back(squareMesh(material));
    std::vector<unsigned char> bytes = xwriter::encode(scene, error);
    if (bytes.empty()) return false;
    win::addResource(name, std::move(bytes));
    return true;
}
