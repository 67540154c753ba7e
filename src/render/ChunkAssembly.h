// ChunkAssembly: joins the chunks of a plan, in order and without encoding the pictures again
// (every chunk starts with a key frame), and adds the music, encoded once over the whole range
// exactly as a one-machine render encodes it, so that no join can be heard. Every chunk is checked
// first; a missing or damaged one is named and nothing is written under the output's name.
#pragma once

#include <string>

class RenderPlan;

class ChunkAssembly {
public:
    static bool run(const RenderPlan& plan, std::string* error);
};
