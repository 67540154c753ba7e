#include "textures/NoiseGrid.h"

#include "textures/Random.h"

#include <cmath>
#include <new>

namespace {

bool powerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

float smoothstep(float t) {
    return 3.0f * t * t - 2.0f * t * t * t;
}

// One byte of a colour: truncated, then taken modulo 256.
DWORD channel(float v) {
    if (!(v > -2147483648.0f && v < 2147483648.0f)) return 0;  // no integer to truncate to
    return static_cast<DWORD>(static_cast<int>(v)) & 0xffu;
}

// Visits the cells from (x0, y0, z0) up to the far corner, x fastest: each walk runs from its
// start until the offset wraps to 0. The order matters, as random fills draw from one sequence.
template <class Visit>
void walkFrom(NoiseGrid& grid, int x0, int y0, int z0, Visit visit) {
    if (!grid.cells) return;
    const int nx = grid.nx, nxy = grid.nx * grid.ny;
    int z = (z0 * nxy) & grid.maskZ;
    do {
        int y = (y0 * nx) & grid.maskY;
        do {
            int x = x0 & grid.maskX;
            do {
                visit(grid.cells[x + y + z]);
                x = (x + 1) & grid.maskX;
            } while (x != 0);
            y = (y + nx) & grid.maskY;
        } while (y != 0);
        z = (z + nxy) & grid.maskZ;
    } while (z != 0);
}

}  // namespace

bool NoiseGrid::create(int x, int y, int z) {
    if (!powerOfTwo(x) || !powerOfTwo(y) || !powerOfTwo(z)) return false;
    const size_t count = size_t(x) * size_t(y) * size_t(z);
    std::unique_ptr<float[]> fresh(new (std::nothrow) float[count]());
    if (!fresh) return false;
    cells = std::move(fresh);
    nx = x;
    ny = y;
    nz = z;
    maskX = nx - 1;
    maskY = nx * (ny - 1);
    maskZ = nx * ny * (nz - 1);
    return true;
}

void NoiseGrid::fill(int x0, int y0, int z0, float value) {
    walkFrom(*this, x0, y0, z0, [value](float& cell) { cell = value; });
}

void NoiseGrid::addRandom(int x0, int y0, int z0, float amplitude) {
    const float k = amplitude * (1.0f / 32767.0f);
    walkFrom(*this, x0, y0, z0, [k](float& cell) { cell += static_cast<float>(crtRand()) * k; });
}

bool NoiseGrid::upsample(int shift) {
    if (!cells || shift < 0 || shift > 10) return false;
    NoiseGrid bigger;
    if (!bigger.create(nx << shift, ny << shift, nz << shift)) return false;
    // The steps are exact powers of two, so the accumulated fractions reach 1 exactly.
    const float step = 1.0f / static_cast<float>(1 << shift);
    float* out = bigger.cells.get();
    float tz = 0.0f;
    for (int Z = 0; Z < bigger.nz; ++Z) {
        const int z = Z >> shift;
        const float wz = smoothstep(tz);
        float ty = 0.0f;
        for (int Y = 0; Y < bigger.ny; ++Y) {
            const int y = Y >> shift;
            const float wy = smoothstep(ty);
            float tx = 0.0f;
            for (int X = 0; X < bigger.nx; ++X) {
                const int x = X >> shift;
                const float wx = smoothstep(tx);
                auto alongZ = [&](int cx, int cy) { return (1.0f - wz) * at(cx, cy, z) + wz * at(cx, cy, z + 1); };
                auto alongY = [&](int cx) { return (1.0f - wy) * alongZ(cx, y) + wy * alongZ(cx, y + 1); };
                *out++ = (1.0f - wx) * alongY(x) + wx * alongY(x + 1);
                tx += step;
                if (tx >= 1.0f) tx = 0.0f;
            }
            ty += step;
            if (ty >= 1.0f) ty = 0.0f;
        }
        tz += step;
        if (tz >= 1.0f) tz = 0.0f;
    }
    *this = std::move(bigger);
    return true;
}

bool NoiseGrid::addOctave(int shift, float amplitude) {
    NoiseGrid octave;
    if (shift < 0 || shift > 10 || !octave.create(nx >> shift, ny >> shift, nz >> shift)) return false;
    octave.addRandom(0, 0, 0, amplitude);
    if (!octave.upsample(shift)) return false;
    return add(octave);
}

bool NoiseGrid::add(const NoiseGrid& other) {
    if (!cells || !sameSize(other)) return false;
    const size_t count = size_t(nx) * ny * nz;
    for (size_t i = 0; i < count; ++i) cells[i] += other.cells[i];
    return true;
}

bool NoiseGrid::multiply(const NoiseGrid& other) {
    if (!cells || !sameSize(other)) return false;
    const size_t count = size_t(nx) * ny * nz;
    for (size_t i = 0; i < count; ++i) cells[i] *= other.cells[i];
    return true;
}

void NoiseGrid::renderSlice(uint8_t* destination, int pitch, int slice, int axis) const {
    if (!cells) return;
    for (int row = 0; row < 64; ++row) {
        auto* line = reinterpret_cast<D3DCOLOR*>(destination + size_t(row) * pitch);
        for (int column = 0; column < 64; ++column) {
            int x, y, z;
            switch (axis) {
                case 0: x = slice; y = column; z = row; break;
                case 1: y = slice; z = column; x = row; break;
                default: z = slice; x = column; y = row; break;
            }
            const float gx = at(x + 1, y, z) - at(x - 1, y, z);
            const float gy = at(x, y + 1, z) - at(x, y - 1, z);
            const float gz = at(x, y, z + 1) - at(x, y, z - 1);
            line[column] = shade(at(x, y, z), gx, gy, gz);
        }
    }
}

D3DCOLOR shade(float d, float gx, float gy, float gz) {
    const float a = d > 1.0f ? 1.0f : d;
    const float g2 = gx * gx + gy * gy + gz * gz;
    if (g2 < 1e-8f) return 0x00808080;
    float m = (gx + gy + gz) / std::sqrt(g2) * 0.57735f;  // cosine to the light (1, 1, 1) / sqrt 3
    if (m < 0.0f) m = 0.0f;
    if (m > 1.0f) m = 1.0f;
    const float k = 1.0f - a;
    const DWORD red = channel((0.1f * k + 0.2f * m + 0.7f) * 255.0f);
    const DWORD green = channel((0.15f * (k + m) + 0.7f) * 255.0f);
    const DWORD blue = channel((0.2f * k + 0.1f * m + 0.7f) * 255.0f);
    const DWORD alpha = channel(a * 255.0f);
    return alpha << 24 | red << 16 | green << 8 | blue;
}
