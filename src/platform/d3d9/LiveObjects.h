// How many of each device object exist now, so that a test can see objects outlive their use.
// Every object counts itself through a Counted member; only the device's thread creates and
// releases them.
#pragma once

namespace d3d9 {

struct LiveObjects {
    int textures = 0;
    int surfaces = 0;
    int vertexBuffers = 0;
    int indexBuffers = 0;
    int stateBlocks = 0;
    int vertexShaders = 0;

    bool operator==(const LiveObjects&) const = default;
};

const LiveObjects& liveObjects();

class Counted {
public:
    explicit Counted(int LiveObjects::*kind);
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    ~Counted();

private:
    int LiveObjects::*kind;
};

}  // namespace d3d9
