// Reads a Wavefront OBJ file and the MTL files it names into one mesh of a Scene, turned into
// Direct3D's layout: OBJ is right-handed with counter-clockwise front faces and v running up, so
// z is negated, faces are reversed to clockwise and v becomes 1 - v. Each distinct corner
// (position, coordinate, normal) becomes one vertex; materials keep their order of first use,
// and faces before any usemtl get a plain white material. Polygons stay polygons.
#pragma once

#include "XWriter.h"

namespace xwriter {

// Appends the mesh (named after the file) to scene.meshes; false with `error` on a file that
// cannot be read or a face that refers to nothing.
bool importObj(const std::string& path, float scale, Scene& scene, std::string& error);

}  // namespace xwriter
