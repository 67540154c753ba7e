// Wavefront OBJ into a Scene: see ObjImport.h.
#include "ObjImport.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

namespace xwriter {

namespace {

struct ObjMaterial {
    Material material;
};

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool readMaterials(const std::string& path, std::map<std::string, ObjMaterial>& materials, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    ObjMaterial* current = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "newmtl") {
            std::string name;
            words >> name;
            current = &materials[name];
        } else if (!current) {
            continue;
        } else if (key == "Kd") {
            words >> current->material.diffuse[0] >> current->material.diffuse[1] >> current->material.diffuse[2];
        } else if (key == "d") {
            words >> current->material.diffuse[3];
        } else if (key == "Tr") {
            float transparency = 0;
            words >> transparency;
            current->material.diffuse[3] = 1 - transparency;
        } else if (key == "Ks") {
            words >> current->material.specular[0] >> current->material.specular[1] >> current->material.specular[2];
        } else if (key == "Ke") {
            words >> current->material.emissive[0] >> current->material.emissive[1] >> current->material.emissive[2];
        } else if (key == "Ns") {
            words >> current->material.power;
        } else if (key == "map_Kd") {
            std::string file;
            while (words >> file) {}  // the last word: options come before the name
            current->material.textureFilename = baseName(file);
        }
    }
    return true;
}

// An OBJ index (1-based, or negative from the end) into a 0-based one; -1 when absent or bad.
long resolve(const std::string& text, std::size_t count) {
    if (text.empty()) return -1;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < 0) value += long(count);
    else value -= 1;
    return value >= 0 && std::size_t(value) < count ? value : -2;
}

}  // namespace

bool importObj(const std::string& input, float scale, Scene& scene, std::string& error) {
    std::ifstream in(input);
    if (!in) {
        error = "cannot read " + input;
        return false;
    }
    std::vector<std::array<float, 3>> positions, normals;
    std::vector<std::array<float, 2>> coordinates;
    std::map<std::string, ObjMaterial> library;
    std::vector<std::string> order;  // material names in order of first use
    std::map<std::string, std::uint32_t> materialIndex;
    std::map<std::tuple<long, long, long>, std::uint32_t> corners;
    Mesh mesh;
    std::uint32_t currentMaterial = 0;
    bool anyNormals = false, anyCoordinates = false, materialSet = false;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "v") {
            std::array<float, 3> p{};
            words >> p[0] >> p[1] >> p[2];
            positions.push_back({p[0] * scale, p[1] * scale, -p[2] * scale});
        } else if (key == "vn") {
            std::array<float, 3> n{};
            words >> n[0] >> n[1] >> n[2];
            normals.push_back({n[0], n[1], -n[2]});
        } else if (key == "vt") {
            std::array<float, 2> t{};
            words >> t[0] >> t[1];
            coordinates.push_back({t[0], 1 - t[1]});
        } else if (key == "mtllib") {
            std::string file;
            words >> file;
            if (!readMaterials(folderOf(input) + file, library, error)) return false;
        } else if (key == "usemtl") {
            std::string name;
            words >> name;
            auto found = materialIndex.find(name);
            if (found == materialIndex.end()) found = materialIndex.emplace(name, std::uint32_t(order.size())).first, order.push_back(name);
            currentMaterial = found->second;
            materialSet = true;
        } else if (key == "f") {
            if (!materialSet) {  // faces before any usemtl get a plain white material
                materialIndex.emplace("", std::uint32_t(order.size()));
                order.push_back("");
                currentMaterial = materialIndex[""];
                materialSet = true;
            }
            std::vector<std::uint32_t> face;
            std::string corner;
            while (words >> corner) {
                std::string parts[3];
                std::size_t part = 0;
                for (char c : corner) {
                    if (c == '/') {
                        if (++part == 3) break;
                    } else {
                        parts[part] += c;
                    }
                }
                long p = resolve(parts[0], positions.size()), t = resolve(parts[1], coordinates.size()),
                     n = resolve(parts[2], normals.size());
                if (p < 0 || t == -2 || n == -2) {
                    error = input + ":" + std::to_string(lineNumber) + ": a face corner refers to nothing";
                    return false;
                }
                anyNormals |= n >= 0;
                anyCoordinates |= t >= 0;
                auto key3 = std::make_tuple(p, t, n);
                auto found = corners.find(key3);
                if (found == corners.end()) {
                    found = corners.emplace(key3, std::uint32_t(mesh.positions.size())).first;
                    mesh.positions.push_back(positions[std::size_t(p)]);
                    mesh.textureCoordinates.push_back(t >= 0 ? coordinates[std::size_t(t)] : std::array<float, 2>{0, 0});
                    mesh.normals.push_back(n >= 0 ? normals[std::size_t(n)] : std::array<float, 3>{0, 0, 0});
                }
                face.push_back(found->second);
            }
            if (face.size() < 3) {
                error = input + ":" + std::to_string(lineNumber) + ": a face with fewer than three corners";
                return false;
            }
            mesh.faces.emplace_back(face.rbegin(), face.rend());  // clockwise
            mesh.faceMaterials.push_back(currentMaterial);
        }
    }
    if (!anyNormals) mesh.normals.clear();
    if (!anyCoordinates) mesh.textureCoordinates.clear();
    for (const std::string& name : order) {
        auto found = library.find(name);
        mesh.materials.push_back(found == library.end() ? Material() : found->second.material);
    }
    std::string stem = baseName(input);
    stem = stem.substr(0, stem.find('.'));
    for (char& c : stem)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '_';
    if (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem[0]))) stem = "_" + stem;
    mesh.name = stem;
    scene.meshes.push_back(std::move(mesh));
    return true;
}

}  // namespace xwriter
