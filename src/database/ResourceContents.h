// What the loaders would say of a resource's bytes, without a device or an audio output: the
// picture of a texture.file decodes, the mesh of a model.x reads, the music opens as Ogg Vorbis.
#pragma once

#include "resources/LoadResource.h"

#include <string>
#include <vector>

// Empty when the bytes would load as an object of `type`, else why not, naming the resource. A
// mesh's materials may name pictures: each name goes to *pictures once when it is given.
std::string resourceContentProblem(int type, const std::string& name, const ResourceData& data,
                                   std::vector<std::string>* pictures = nullptr);
