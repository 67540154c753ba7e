// Builds the production's meshes as binary X files (32-bit floats) with the xwriter library:
//   Airship.x, Propeller.x   the airship's hull with fins, gondola and engine pods; one propeller
//                            (blades in the xz plane: the airship model turns its axis to z)
//   InsideHall.x             the hall: floor, walls, ceiling, pillars, a stage and two screens
//                            whose materials name "mainscreen.jpg" and "screen1.jpg"
//   InsideBall.x, InsideHat.x the chequered ball and the top hat
// Direct3D's layout: left-handed, y up, clockwise front faces. Every face is wound from the
// side it is meant to be seen from, so the output does not depend on how a shape was listed.
//
// Usage: meshes <resources folder>
#include "XWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Vec = std::array<float, 3>;
constexpr float pi = 3.14159265f;

Vec operator+(Vec a, Vec b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec operator-(Vec a, Vec b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec operator*(Vec a, float s) { return {a[0] * s, a[1] * s, a[2] * s}; }
float dot(Vec a, Vec b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(Vec a, Vec b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec normalised(Vec a) {
    float l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1 / l) : a;
}

xwriter::Material material(unsigned rgb, float power = 0, float specular = 0, float emissive = 0,
                           const char* texture = "") {
    xwriter::Material m;
    m.diffuse = {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, 1};
    m.power = power;
    m.specular = {specular, specular, specular};
    m.emissive = {emissive, emissive, emissive};
    m.textureFilename = texture;
    return m;
}

class Builder {
public:
    xwriter::Mesh mesh;

    explicit Builder(std::vector<xwriter::Material> materials) { mesh.materials = std::move(materials); }

    std::uint32_t vertex(Vec p, Vec n, float u = 0, float v = 0) {
        mesh.positions.push_back(p);
        mesh.normals.push_back(normalised(n));
        mesh.textureCoordinates.push_back({u, v});
        return std::uint32_t(mesh.positions.size() - 1);
    }

    // A triangle seen from the side `facing` points to: clockwise from there.
    void triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, Vec facing, std::uint32_t materialIndex) {
        const auto& p = mesh.positions;
        Vec n = cross(p[b] - p[a], p[c] - p[a]);
        if (dot(n, facing) < 0) std::swap(b, c);
        mesh.faces.push_back({a, b, c});
        mesh.faceMaterials.push_back(materialIndex);
    }

    // A flat grid of nu x nv quads from `origin` along `edgeU` and `edgeV`, facing `facing`;
    // texture coordinates run 0..tu and 0..tv.
    void grid(Vec origin, Vec edgeU, Vec edgeV, int nu, int nv, Vec facing, std::uint32_t materialIndex,
              float tu = 1, float tv = 1) {
        std::vector<std::uint32_t> index;
        for (int j = 0; j <= nv; ++j)
            for (int i = 0; i <= nu; ++i)
                index.push_back(vertex(origin + edgeU * (float(i) / nu) + edgeV * (float(j) / nv), facing,
                                       tu * i / nu, tv * j / nv));
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                auto at = [&](int x, int y) { return index[y * (nu + 1) + x]; };
                triangle(at(i, j), at(i + 1, j), at(i + 1, j + 1), facing, materialIndex);
                triangle(at(i, j), at(i + 1, j + 1), at(i, j + 1), facing, materialIndex);
            }
    }

    // A box seen from outside (inward = false) or from inside.
    void box(Vec centre, Vec half, std::uint32_t materialIndex, bool inward = false, int n = 1) {
        const float s = inward ? -1.0f : 1.0f;
        for (int axis = 0; axis < 3; ++axis)
            for (float side : {-1.0f, 1.0f}) {
                Vec normal{0, 0, 0};
                normal[axis] = side;
                const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
                Vec origin = centre, eu{0, 0, 0}, ev{0, 0, 0};
                origin[axis] += side * half[axis];
                origin[ua] -= half[ua];
                origin[va] -= half[va];
                eu[ua] = 2 * half[ua];
                ev[va] = 2 * half[va];
                grid(origin, eu, ev, n, n, normal * s, materialIndex);
            }
    }

    // A surface of revolution about `axis` (0 x, 1 y, 2 z) through `centre`: the profile is a
    // list of (radius, position along the axis) with the outside on its right (walking up the
    // axis while the radius is positive faces outwards); each profile segment gets its own vertices so
    // creases stay sharp, and its material from `materialOf(segment)`.
    void revolve(Vec centre, int axis, const std::vector<std::array<float, 2>>& profile, int segments,
                 const std::function<std::uint32_t(int)>& materialOf, bool smoothProfile = false) {
        const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
        auto point = [&](float radius, float along, float angle) {
            Vec p = centre;
            p[axis] += along;
            p[ua] += radius * std::cos(angle);
            p[va] += radius * std::sin(angle);
            return p;
        };
        auto radial = [&](float angle) {
            Vec d{0, 0, 0};
            d[ua] = std::cos(angle);
            d[va] = std::sin(angle);
            return d;
        };
        auto slope = [&](size_t k) {  // the profile's outward normal (radial, axial) at segment k
            float dr = profile[k + 1][0] - profile[k][0], da = profile[k + 1][1] - profile[k][1];
            return std::array<float, 2>{da, -dr};
        };
        for (size_t k = 0; k + 1 < profile.size(); ++k) {
            std::array<float, 2> n0 = slope(k), n1 = n0;
            if (smoothProfile) {
                if (k > 0) n0 = {n0[0] + slope(k - 1)[0], n0[1] + slope(k - 1)[1]};
                if (k + 2 < profile.size()) n1 = {n1[0] + slope(k + 1)[0], n1[1] + slope(k + 1)[1]};
            }
            std::vector<std::uint32_t> ring0, ring1;
            for (int s = 0; s <= segments; ++s) {
                float angle = 2 * pi * s / segments;
                Vec axisDir{0, 0, 0};
                axisDir[axis] = 1;
                Vec na = radial(angle) * n0[0] + axisDir * n0[1];
                Vec nb = radial(angle) * n1[0] + axisDir * n1[1];
                ring0.push_back(vertex(point(profile[k][0], profile[k][1], angle), na, float(s) / segments, 0));
                ring1.push_back(vertex(point(profile[k + 1][0], profile[k + 1][1], angle), nb, float(s) / segments, 1));
            }
            for (int s = 0; s < segments; ++s) {
                float mid = 2 * pi * (s + 0.5f) / segments;
                Vec axisDir{0, 0, 0};
                axisDir[axis] = 1;
                std::array<float, 2> n = slope(k);
                Vec facing = radial(mid) * n[0] + axisDir * n[1];
                std::uint32_t m = materialOf(int(k));
                if (profile[k][0] > 0) triangle(ring0[s], ring0[s + 1], ring1[s + 1], facing, m);
                if (profile[k + 1][0] > 0) triangle(ring0[s], ring1[s + 1], ring1[s], facing, m);
            }
        }
    }

    // A flat polygon (a convex fan) seen from both sides.
    void plate(const std::vector<Vec>& corners, std::uint32_t materialIndex) {
        Vec n = normalised(cross(corners[1] - corners[0], corners[2] - corners[0]));
        for (float side : {1.0f, -1.0f}) {
            std::vector<std::uint32_t> index;
            for (const Vec& c : corners) index.push_back(vertex(c, n * side));
            for (size_t i = 1; i + 1 < index.size(); ++i) triangle(index[0], index[i], index[i + 1], n * side, materialIndex);
        }
    }
};

void write(const std::string& path, xwriter::Mesh mesh) {
    xwriter::Scene scene;
    scene.meshes.push_back(std::move(mesh));
    std::string error;
    if (!xwriter::writeFile(path, scene, error)) {
        std::fprintf(stderr, "meshes: %s: %s\n", path.c_str(), error.c_str());
        std::exit(1);
    }
}

// The hull runs along z, nose at +z (the way the airship flies), 320 units long.
float hullRadius(float z) {
    float t = z / 160.0f;
    if (std::abs(t) >= 1) return 0;
    return 50.0f * std::pow(1 - t * t, t < 0 ? 0.62f : 0.45f);
}

xwriter::Mesh airship() {
    enum { Skin, Stripe, Fin, Gondola, Window, Pod };
    Builder b({material(0xd8dce4, 30, 0.4f), material(0xc03028, 20, 0.3f), material(0xb02820),
               material(0x404858), material(0xffe08a, 0, 0, 0.7f), material(0x8890a0, 30, 0.5f)});
    std::vector<std::array<float, 2>> profile;
    for (int i = 0; i <= 24; ++i) {
        float z = -160.0f + 320.0f * i / 24;  // from the tail to the nose
        profile.push_back({hullRadius(z), z});
    }
    b.revolve({0, 0, 0}, 2, profile, 24, [](int k) -> std::uint32_t { return k == 15 || k == 16 ? Stripe : Skin; }, true);
    // Four tail fins, in the planes x = 0 and y = 0.
    for (int f = 0; f < 4; ++f) {
        float cx = f == 0 ? 1.f : f == 1 ? -1.f : 0.f, cy = f == 2 ? 1.f : f == 3 ? -1.f : 0.f;
        auto at = [&](float radial, float z) { return Vec{cx * radial, cy * radial, z}; };
        b.plate({at(hullRadius(-100) - 4, -100), at(hullRadius(-148) - 2, -148), at(58, -166), at(62, -128)}, Fin);
    }
    // The gondola with a row of lit windows on each side.
    b.box({0, -54, 20}, {11, 8, 38}, Gondola);
    for (float side : {-1.0f, 1.0f})
        for (int w = 0; w < 6; ++w) {
            float z = -8 + w * 11.0f;
            b.grid({side * 11.2f, -54, z}, {0, 4, 0}, {0, 0, 6}, 1, 1, {side, 0, 0}, Window);
        }
    // Engine pods at x = +-65 whose propellers (the propeller mesh) sit at z = 53, on struts.
    for (float side : {-1.0f, 1.0f}) {
        b.revolve({side * 65, 0, 0}, 2, {{0, 53}, {5, 54}, {9, 62}, {9, 95}, {6, 106}, {0, 110}}, 12,
                  [](int) -> std::uint32_t { return Pod; }, true);
        b.box({side * 52, 0, 82}, {12, 2, 6}, Gondola);
    }
    return b.mesh;
}

xwriter::Mesh propeller() {
    enum { Blade, Hub };
    Builder b({material(0x303238, 10, 0.3f), material(0xa0a8b8, 30, 0.5f)});
    // Two blades along x in the xz plane, twisted: the leading edge a little higher.
    for (float side : {-1.0f, 1.0f})
        b.plate({{side * 4, 1.5f, -5}, {side * 34, 3, -3}, {side * 36, -1, 3}, {side * 4, -1.5f, 5}}, Blade);
    b.revolve({0, 0, 0}, 1, {{0, -5}, {4, -3}, {5, 0}, {4, 3}, {0, 5}}, 8, [](int) -> std::uint32_t { return Hub; }, true);
    return b.mesh;
}

// Seen from inside: 600 wide (x), 300 high, 800 deep (z); the camera looks at the back wall
// (z = 400) where the main screen hangs; the small screen is on the left wall (x = -300).
xwriter::Mesh hall() {
    enum { Floor, Wall, Ceiling, Frame, Pillar, Stage, MainScreen, SmallScreen, Lamp };
    Builder b({material(0xffffff, 0, 0, 0, "InsideFloor.jpg"), material(0x8a6a9a), material(0x3a3050),
               material(0x181820), material(0xc0b0d0, 20, 0.4f), material(0x6a4a7a),
               material(0xffffff, 0, 0, 1, "mainscreen.jpg"), material(0xffffff, 0, 0, 1, "screen1.jpg"),
               material(0xfff0c0, 0, 0, 1)});
    const float w = 300, h = 300, d = 400;
    b.grid({-w, 0, -d}, {2 * w, 0, 0}, {0, 0, 2 * d}, 6, 8, {0, 1, 0}, Floor, 6, 8);
    b.grid({-w, h, -d}, {2 * w, 0, 0}, {0, 0, 2 * d}, 3, 4, {0, -1, 0}, Ceiling);
    b.grid({-w, 0, d}, {2 * w, 0, 0}, {0, h, 0}, 6, 3, {0, 0, -1}, Wall);
    b.grid({-w, 0, -d}, {2 * w, 0, 0}, {0, h, 0}, 6, 3, {0, 0, 1}, Wall);
    b.grid({-w, 0, -d}, {0, 0, 2 * d}, {0, h, 0}, 8, 3, {1, 0, 0}, Wall);
    b.grid({w, 0, -d}, {0, 0, 2 * d}, {0, h, 0}, 8, 3, {-1, 0, 0}, Wall);
    // The main screen, 4:3, u from left to right and v from top to bottom as seen from the hall.
    b.grid({-172, 28, d - 1}, {344, 0, 0}, {0, 264, 0}, 1, 1, {0, 0, -1}, Frame);
    {
        std::uint32_t tl = b.vertex({-160, 280, d - 2}, {0, 0, -1}, 0, 0), tr = b.vertex({160, 280, d - 2}, {0, 0, -1}, 1, 0);
        std::uint32_t br = b.vertex({160, 40, d - 2}, {0, 0, -1}, 1, 1), bl = b.vertex({-160, 40, d - 2}, {0, 0, -1}, 0, 1);
        b.triangle(tl, tr, br, {0, 0, -1}, MainScreen);
        b.triangle(tl, br, bl, {0, 0, -1}, MainScreen);
    }
    // The small screen on the left wall, 4:3; seen from the hall its left edge is towards -z.
    b.grid({-w + 1, 92, -12}, {0, 0, 224}, {0, 168, 0}, 1, 1, {1, 0, 0}, Frame);
    {
        std::uint32_t tl = b.vertex({-w + 2, 250, 0}, {1, 0, 0}, 0, 0), tr = b.vertex({-w + 2, 250, 200}, {1, 0, 0}, 1, 0);
        std::uint32_t br = b.vertex({-w + 2, 100, 200}, {1, 0, 0}, 1, 1), bl = b.vertex({-w + 2, 100, 0}, {1, 0, 0}, 0, 1);
        b.triangle(tl, tr, br, {1, 0, 0}, SmallScreen);
        b.triangle(tl, br, bl, {1, 0, 0}, SmallScreen);
    }
    for (float x : {-230.0f, 230.0f})
        for (float z : {-250.0f, 250.0f}) b.box({x, h / 2, z}, {12, h / 2, 12}, Pillar);
    b.box({0, 8, 330}, {220, 8, 60}, Stage);
    for (float x : {-150.0f, 0.0f, 150.0f}) b.box({x, h - 3, 0}, {40, 3, 40}, Lamp);
    return b.mesh;
}

xwriter::Mesh ball() {
    enum { Red, White };
    Builder b({material(0xe02818, 40, 0.6f), material(0xf4f4f4, 40, 0.6f)});
    const int rings = 10, segments = 16;
    const float r = 40;
    std::vector<std::uint32_t> index;
    for (int j = 0; j <= rings; ++j)
        for (int i = 0; i <= segments; ++i) {
            float lat = pi * j / rings - pi / 2, lon = 2 * pi * i / segments;
            Vec n{std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
            index.push_back(b.vertex(Vec{0, r, 0} + n * r, n));
        }
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < segments; ++i) {
            auto at = [&](int x, int y) { return index[y * (segments + 1) + x]; };
            float lat = pi * (j + 0.5f) / rings - pi / 2, lon = 2 * pi * (i + 0.5f) / segments;
            Vec facing{std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
            std::uint32_t m = (i + j) % 2 ? White : Red;
            if (j > 0) b.triangle(at(i, j), at(i + 1, j), at(i + 1, j + 1), facing, m);
            if (j + 1 < rings) b.triangle(at(i, j), at(i + 1, j + 1), at(i, j + 1), facing, m);
        }
    return b.mesh;
}

xwriter::Mesh hat() {
    enum { Felt, Band };
    Builder b({material(0x1c1c24, 20, 0.25f), material(0xc02030, 20, 0.3f)});
    // From the middle of the brim's underside out, up over the brim, up the crown, over the top.
    b.revolve({0, 0, 0}, 1, {{0, 0}, {46, 0}, {48, 3}, {44, 5}, {27, 5}, {26.6f, 16}, {25.5f, 56}, {22, 60}, {0, 60}},
              20, [](int k) -> std::uint32_t { return k == 4 ? Band : Felt; });
    return b.mesh;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: meshes <resources folder>\n");
        return 2;
    }
    const std::string out = std::string(argv[1]) + "/";
    write(out + "Airship.x", airship());
    write(out + "Propeller.x", propeller());
    write(out + "InsideHall.x", hall());
    write(out + "InsideBall.x", ball());
    write(out + "InsideHat.x", hat());
    return 0;
}
