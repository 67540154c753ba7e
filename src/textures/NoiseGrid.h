// NoiseGrid: a periodic 3-D grid of floats with power-of-two edges, x fastest, then y, then z.
// Every walk wraps with the masks, so no operation reads or writes outside the cells. Random
// values come from the program-wide crtRand, so what a grid gets depends on every earlier draw.
// Also holds shade, the lighting of one cloud-slice pixel.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <memory>

class NoiseGrid {
public:
    bool create(int nx, int ny, int nz);  // false when an edge is 0 or not a power of two
    void fill(int x0, int y0, int z0, float value);
    void addRandom(int x0, int y0, int z0, float amplitude);  // each cell grows by [0, amplitude]
    bool upsample(int shift);                                  // 2^shift times larger, smoothstep blend
    bool addOctave(int shift, float amplitude);
    bool add(const NoiseGrid& other);       // false (nothing changed) when the edges differ
    bool multiply(const NoiseGrid& other);  // likewise
    // A 64 x 64 block of ARGB pixels through cell index `slice` on `axis` (0 x, 1 y, 2 z); rows
    // are `pitch` bytes apart. The grid must be at least 64 along the two running axes.
    void renderSlice(uint8_t* destination, int pitch, int slice, int axis) const;

    float at(int x, int y, int z) const {  // wrapped
        return cells[(x & maskX) + ((y * nx) & maskY) + ((z * nx * ny) & maskZ)];
    }
    bool sameSize(const NoiseGrid& other) const { return nx == other.nx && ny == other.ny && nz == other.nz; }

    int nx = 0, ny = 0, nz = 0;
    int maskX = 0, maskY = 0, maskZ = 0;  // wrap an offset along x, y (multiples of nx), z (of nx ny)
    std::unique_ptr<float[]> cells;       // owned, nx ny nz floats
};

// One pixel of a cloud slice: density d as alpha, lit from the diagonal (1, 1, 1) by the
// gradient; a flat spot (no gradient) is transparent mid grey.
D3DCOLOR shade(float d, float gx, float gy, float gz);
