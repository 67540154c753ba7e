// What the device frames and their raw OpenGL twins draw, made once and shared by both, so that the
// two sides of every ratio push the same vertices, indices and texels.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace twin {

constexpr int kWidth = 640, kHeight = 480;  // back buffer of both sides
constexpr int kTargetSize = 512;            // the render-target pass
constexpr int kWidgetDraws = 600;           // small draws, state changing between them
constexpr int kMeshDraws = 6;               // large lit textured meshes
constexpr int kCloudQuads = 2000;           // blended quads, one draw each
constexpr int kTargetMeshDraws = 3;         // meshes drawn into the target before it is shown

struct MeshVertex {
    float x, y, z, nx, ny, nz, u, v;  // XYZ | NORMAL | TEX1
};

struct QuadVertex {
    float x, y, z, rhw;  // XYZRHW | DIFFUSE | TEX1
    uint32_t color;
    float u, v;
};

struct LineVertex {
    float x, y, z, rhw;  // XYZRHW | DIFFUSE
    uint32_t color;
};

// A 256 x 256 checker-board with alpha, B, G, R, A bytes (A8R8G8B8 in memory).
inline std::vector<uint32_t> texels() {
    std::vector<uint32_t> t(256 * 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) t[y * 256 + x] = ((x ^ y) & 32) ? 0xffe0c080u : 0xc0406080u;
    return t;
}

// A grid of n x n cells bent into a bowl: 2 n^2 triangles.
struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<uint16_t> indices;
};

inline Mesh bowl(int n) {
    Mesh m;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const float u = float(i) / n, v = float(j) / n, x = u * 2 - 1, y = v * 2 - 1;
            const float z = 0.3f * (x * x + y * y), len = std::sqrt(0.36f * (x * x + y * y) + 1);
            m.vertices.push_back({x, y, z, -0.6f * x / len, -0.6f * y / len, -1 / len, u, v});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const auto a = uint16_t(j * (n + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + n + 1), e = uint16_t(c + 1);
            m.indices.insert(m.indices.end(), {a, b, c, b, e, c});
        }
    return m;
}

// Row-vector world matrix of mesh draw k: a scaled copy placed on a 3 x 2 grid in front of the eye.
// The lights: directional (diffuse kLight, specular 1) and a point light at (0, 0, -2), range 10.
constexpr float kLight = 0.45f, kPointFalloff = 0.3f;  // diffuse level; attenuation 1 + 0.3 d
inline void meshWorld(int k, float m[16]) {
    for (int i = 0; i < 16; ++i) m[i] = 0;
    m[0] = m[5] = m[10] = 0.45f;  // apart: no two copies share a pixel's depth
    m[12] = float(k % 3) - 1.0f;
    m[13] = float(k / 3) * 1.1f - 0.55f;
    m[14] = 3.2f;
    m[15] = 1;
}

// Row-vector projection: 90 degrees across, 4:3, near 0.1, far infinite (as the device bench).
inline void projection(float m[16]) {
    for (int i = 0; i < 16; ++i) m[i] = 0;
    m[0] = 1.0f;
    m[5] = 4.0f / 3;
    m[10] = 1.0f;
    m[11] = 1;
    m[14] = -0.1f;
}

// The four corners of a pre-transformed quad with Direct3D's pixel centres: size s at (x, y).
inline void quad(float x, float y, float s, uint32_t color, QuadVertex q[4]) {
    q[0] = {x - 0.5f, y - 0.5f, 0, 1, color, 0, 0};
    q[1] = {x + s - 0.5f, y - 0.5f, 0, 1, color, 1, 0};
    q[2] = {x - 0.5f, y + s - 0.5f, 0, 1, color, 0, 1};
    q[3] = {x + s - 0.5f, y + s - 0.5f, 0, 1, color, 1, 1};
}

inline float cloudX(int k) { return float((k * 37) % 600); }
inline float cloudY(int k) { return float((k * 53) % 440); }

// Widget draw k: 0 a textured blended icon, 1 a solid panel, 2 a frame outline (line strip).
inline int widgetKind(int k) { return k % 3; }
inline float widgetX(int k) { return float((k * 29) % 600); }
inline float widgetY(int k) { return float((k * 17) % 450); }

inline void outline(float x, float y, float s, uint32_t color, LineVertex l[5]) {
    l[0] = {x, y, 0, 1, color};
    l[1] = {x + s, y, 0, 1, color};
    l[2] = {x + s, y + s, 0, 1, color};
    l[3] = {x, y + s, 0, 1, color};
    l[4] = l[0];
}

}  // namespace twin
