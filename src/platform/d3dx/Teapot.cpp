#include "platform/d3dx/Teapot.h"

#include "platform/d3dx/Mesh.h"

#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace d3dx {

namespace {

// Newell's teapot, z up, in the quarter x >= 0, y <= 0 (the handle and spout in the half y <= 0).
constexpr int patchCount = 10;
constexpr int patches[patchCount][16] = {
    {102, 103, 104, 105, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},          // rim
    {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27},        // body, upper
    {24, 25, 26, 27, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40},        // body, lower
    {96, 96, 96, 96, 97, 98, 99, 100, 101, 101, 101, 101, 0, 1, 2, 3},       // lid, knob
    {0, 1, 2, 3, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117}, // lid
    {118, 118, 118, 118, 124, 122, 119, 121, 123, 126, 125, 120, 40, 39, 38, 37},  // bottom
    {41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56},        // handle
    {53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 28, 65, 66, 67},
    {68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83},        // spout
    {80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95},
};
enum class Part { Revolved, Bottom, Tube };
constexpr Part parts[patchCount] = {Part::Revolved, Part::Revolved, Part::Revolved, Part::Revolved, Part::Revolved,
                                    Part::Bottom,   Part::Tube,     Part::Tube,     Part::Tube,     Part::Tube};

constexpr float points[127][3] = {
    {0.2f, 0.f, 2.7f}, {0.2f, -0.112f, 2.7f}, {0.112f, -0.2f, 2.7f}, {0.f, -0.2f, 2.7f},
    {1.3375f, 0.f, 2.53125f}, {1.3375f, -0.749f, 2.53125f}, {0.749f, -1.3375f, 2.53125f}, {0.f, -1.3375f, 2.53125f},
    {1.4375f, 0.f, 2.53125f}, {1.4375f, -0.805f, 2.53125f}, {0.805f, -1.4375f, 2.53125f}, {0.f, -1.4375f, 2.53125f},
    {1.5f, 0.f, 2.4f}, {1.5f, -0.84f, 2.4f}, {0.84f, -1.5f, 2.4f}, {0.f, -1.5f, 2.4f},
    {1.75f, 0.f, 1.875f}, {1.75f, -0.98f, 1.875f}, {0.98f, -1.75f, 1.875f}, {0.f, -1.75f, 1.875f},
    {2.f, 0.f, 1.35f}, {2.f, -1.12f, 1.35f}, {1.12f, -2.f, 1.35f}, {0.f, -2.f, 1.35f},
    {2.f, 0.f, 0.9f}, {2.f, -1.12f, 0.9f}, {1.12f, -2.f, 0.9f}, {0.f, -2.f, 0.9f},
    {-2.f, 0.f, 0.9f},
    {2.f, 0.f, 0.45f}, {2.f, -1.12f, 0.45f}, {1.12f, -2.f, 0.45f}, {0.f, -2.f, 0.45f},
    {1.5f, 0.f, 0.225f}, {1.5f, -0.84f, 0.225f}, {0.84f, -1.5f, 0.225f}, {0.f, -1.5f, 0.225f},
    {1.5f, 0.f, 0.15f}, {1.5f, -0.84f, 0.15f}, {0.84f, -1.5f, 0.15f}, {0.f, -1.5f, 0.15f},
    {-1.6f, 0.f, 2.025f}, {-1.6f, -0.3f, 2.025f}, {-1.5f, -0.3f, 2.25f}, {-1.5f, 0.f, 2.25f},
    {-2.3f, 0.f, 2.025f}, {-2.3f, -0.3f, 2.025f}, {-2.5f, -0.3f, 2.25f}, {-2.5f, 0.f, 2.25f},
    {-2.7f, 0.f, 2.025f}, {-2.7f, -0.3f, 2.025f}, {-3.f, -0.3f, 2.25f}, {-3.f, 0.f, 2.25f},
    {-2.7f, 0.f, 1.8f}, {-2.7f, -0.3f, 1.8f}, {-3.f, -0.3f, 1.8f}, {-3.f, 0.f, 1.8f},
    {-2.7f, 0.f, 1.575f}, {-2.7f, -0.3f, 1.575f}, {-3.f, -0.3f, 1.35f}, {-3.f, 0.f, 1.35f},
    {-2.5f, 0.f, 1.125f}, {-2.5f, -0.3f, 1.125f}, {-2.65f, -0.3f, 0.9375f}, {-2.65f, 0.f, 0.9375f},
    {-2.f, -0.3f, 0.9f}, {-1.9f, -0.3f, 0.6f}, {-1.9f, 0.f, 0.6f},
    {1.7f, 0.f, 1.425f}, {1.7f, -0.66f, 1.425f}, {1.7f, -0.66f, 0.6f}, {1.7f, 0.f, 0.6f},
    {2.6f, 0.f, 1.425f}, {2.6f, -0.66f, 1.425f}, {3.1f, -0.66f, 0.825f}, {3.1f, 0.f, 0.825f},
    {2.3f, 0.f, 2.1f}, {2.3f, -0.25f, 2.1f}, {2.4f, -0.25f, 2.025f}, {2.4f, 0.f, 2.025f},
    {2.7f, 0.f, 2.4f}, {2.7f, -0.25f, 2.4f}, {3.3f, -0.25f, 2.4f}, {3.3f, 0.f, 2.4f},
    {2.8f, 0.f, 2.475f}, {2.8f, -0.25f, 2.475f}, {3.525f, -0.25f, 2.49375f}, {3.525f, 0.f, 2.49375f},
    {2.9f, 0.f, 2.475f}, {2.9f, -0.15f, 2.475f}, {3.45f, -0.15f, 2.5125f}, {3.45f, 0.f, 2.5125f},
    {2.8f, 0.f, 2.4f}, {2.8f, -0.15f, 2.4f}, {3.2f, -0.15f, 2.4f}, {3.2f, 0.f, 2.4f},
    {0.f, 0.f, 3.15f}, {0.8f, 0.f, 3.15f}, {0.8f, -0.45f, 3.15f}, {0.45f, -0.8f, 3.15f}, {0.f, -0.8f, 3.15f},
    {0.f, 0.f, 2.85f},
    {1.4f, 0.f, 2.4f}, {1.4f, -0.784f, 2.4f}, {0.784f, -1.4f, 2.4f}, {0.f, -1.4f, 2.4f},
    {0.4f, 0.f, 2.55f}, {0.4f, -0.224f, 2.55f}, {0.224f, -0.4f, 2.55f}, {0.f, -0.4f, 2.55f},
    {1.3f, 0.f, 2.55f}, {1.3f, -0.728f, 2.55f}, {0.728f, -1.3f, 2.55f}, {0.f, -1.3f, 2.55f},
    {1.3f, 0.f, 2.4f}, {1.3f, -0.728f, 2.4f}, {0.728f, -1.3f, 2.4f}, {0.f, -1.3f, 2.4f},
    {0.f, 0.f, 0.f}, {1.425f, -0.798f, 0.f}, {1.5f, 0.f, 0.075f}, {1.425f, 0.f, 0.f},
    {0.798f, -1.425f, 0.f}, {0.f, -1.5f, 0.075f}, {0.f, -1.425f, 0.f}, {1.5f, -0.84f, 0.075f},
    {0.84f, -1.5f, 0.075f},
};

constexpr int steps = 6;          // quads along each side of a patch
constexpr float halfHeight = 1.575f;

using Vec = std::array<double, 3>;

Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

void bernstein(double t, double b[4], double d[4]) {
    double s = 1 - t;
    b[0] = s * s * s, b[1] = 3 * t * s * s, b[2] = 3 * t * t * s, b[3] = t * t * t;
    d[0] = -3 * s * s, d[1] = 3 * s * s - 6 * t * s, d[2] = 6 * t * s - 3 * t * t, d[3] = 3 * t * t;
}

// Point and (unnormalised) normal du x dv of a patch at (u, v).
void evaluate(const int patch[16], double u, double v, Vec& point, Vec& normal) {
    double bu[4], du[4], bv[4], dv[4];
    bernstein(u, bu, du);
    bernstein(v, bv, dv);
    Vec pu{}, pv{};
    point = {};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const float* c = points[patch[i * 4 + j]];
            for (int k = 0; k < 3; ++k) {
                point[k] += bu[i] * bv[j] * c[k];
                pu[k] += du[i] * bv[j] * c[k];
                pv[k] += bu[i] * dv[j] * c[k];
            }
        }
    normal = cross(pu, pv);
}

struct GridPoint {
    Vec point, normal;  // normal unit length, outwards
};

}  // namespace

MeshData Teapot::build() {
    MeshData mesh;
    mesh.hasNormals = true;
    // Vertices at the same place with the same normal are shared; where the handle meets the
    // body the place is the same but the normals are not, and both stay.
    std::map<std::tuple<long, long, long>, std::vector<std::uint32_t>> welded;  // quantised position

    auto vertexFor = [&](const Vec& p, const Vec& n) {
        // The teapot's z is up: y and z swap, which also turns the right-handed data left-handed.
        float x = float(p[0]), y = float(p[2]) - halfHeight, z = float(p[1]);
        float nx = float(n[0]), ny = float(n[2]), nz = float(n[1]);
        std::vector<std::uint32_t>& candidates =
            welded[std::make_tuple(std::lround(x * 1e4), std::lround(y * 1e4), std::lround(z * 1e4))];
        for (std::uint32_t candidate : candidates) {
            const float* m = &mesh.normals[candidate * 3];
            if (m[0] * nx + m[1] * ny + m[2] * nz > 0.99f) return candidate;
        }
        std::uint32_t index = std::uint32_t(mesh.vertexCount());
        candidates.push_back(index);
        mesh.positions.insert(mesh.positions.end(), {x, y, z});
        mesh.normals.insert(mesh.normals.end(), {nx, ny, nz});
        return index;
    };

    for (int p = 0; p < patchCount; ++p) {
        // The patch's grid, normals turned outwards.
        GridPoint grid[steps + 1][steps + 1];
        for (int i = 0; i <= steps; ++i)
            for (int j = 0; j <= steps; ++j) {
                double u = double(i) / steps, v = double(j) / steps;
                Vec point, normal;
                evaluate(patches[p], u, v, point, normal);
                double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
                if (length < 1e-9) {  // a collapsed edge: the lid's tip or the bottom's centre
                    Vec ignored;
                    evaluate(patches[p], i == 0 ? 1e-4 : u, v, ignored, normal);
                    length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
                    if (std::fabs(point[0]) < 1e-9 && std::fabs(point[1]) < 1e-9)
                        normal = {0, 0, normal[2] > 0 ? length : -length};
                }
                for (double& c : normal) c /= length;
                grid[i][j] = {point, normal};
            }
        // Which way is out: at the widest point of a surface of revolution the normal points away
        // from the axis; the bottom faces down; the halves of handle and spout face -y in the middle.
        const GridPoint* probe = &grid[steps / 2][steps / 2];
        if (parts[p] == Part::Revolved) {
            for (const auto& row : grid)
                for (const GridPoint& g : row)
                    if (std::hypot(g.point[0], g.point[1]) > std::hypot(probe->point[0], probe->point[1])) probe = &g;
        }
        double outward = parts[p] == Part::Revolved ? probe->normal[0] * probe->point[0] + probe->normal[1] * probe->point[1]
                         : parts[p] == Part::Bottom ? -probe->normal[2]
                                                    : -probe->normal[1];
        double sign = outward < 0 ? -1.0 : 1.0;

        // The mirror images: revolved parts and the bottom in four quarters, handle and spout in two halves.
        int mirrors = parts[p] == Part::Tube ? 2 : 4;
        for (int m = 0; m < mirrors; ++m) {
            double fx = (m & 2) ? -1.0 : 1.0, fy = (m & 1) ? -1.0 : 1.0;
            std::uint32_t index[steps + 1][steps + 1];
            for (int i = 0; i <= steps; ++i)
                for (int j = 0; j <= steps; ++j) {
                    const GridPoint& g = grid[i][j];
                    index[i][j] = vertexFor({g.point[0] * fx, g.point[1] * fy, g.point[2]},
                                            {g.normal[0] * fx * sign, g.normal[1] * fy * sign, g.normal[2] * sign});
                }
            for (int i = 0; i < steps; ++i)
                for (int j = 0; j < steps; ++j) {
                    std::uint32_t a = index[i][j], b = index[i + 1][j], c = index[i + 1][j + 1], d = index[i][j + 1];
                    for (auto [t0, t1, t2] : {std::array<std::uint32_t, 3>{a, b, c}, std::array<std::uint32_t, 3>{a, c, d}}) {
                        if (t0 == t1 || t1 == t2 || t0 == t2) continue;  // collapsed at a pole
                        // Clockwise seen from outside: the face's cross product points along the normals.
                        const float* p0 = &mesh.positions[t0 * 3];
                        const float* p1 = &mesh.positions[t1 * 3];
                        const float* p2 = &mesh.positions[t2 * 3];
                        Vec e1{p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]}, e2{p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
                        Vec face = cross(e1, e2);
                        double along = 0;
                        for (std::uint32_t t : {t0, t1, t2})
                            for (int k = 0; k < 3; ++k) along += face[k] * mesh.normals[t * 3 + k];
                        if (along < 0) std::swap(t1, t2);
                        mesh.indices.insert(mesh.indices.end(), {t0, t1, t2});
                    }
                }
        }
    }
    D3DXMATERIAL material{};
    material.MatD3D.Diffuse = {1, 1, 1, 1};
    mesh.materials.push_back(material);
    MeshSubset all;
    all.faceCount = std::uint32_t(mesh.faceCount());
    mesh.subsets.push_back(all);
    mesh.computeSubsetRanges();
    return mesh;
}

}  // namespace d3dx

HRESULT D3DXCreateTeapot(IDirect3DDevice9* device, ComRef<ID3DXMesh>* mesh) {
    return d3dx::Mesh::create(device, d3dx::Teapot::build(), mesh);
}
