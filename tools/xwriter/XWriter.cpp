// The binary X encoding: a 16-byte header, then little-endian tokens. Data objects are a name
// token (the template), an optional name token (the object's name) and braces around their
// values; runs of integers and of floats go in integer and float list tokens. The text encoding
// writes the same objects as words, every value closed by ';'.
#include "XWriter.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace xwriter {

namespace {

enum : std::uint16_t {
    tokenName = 1, tokenString = 2, tokenInteger = 3, tokenGuid = 5, tokenIntegerList = 6, tokenFloatList = 7,
    tokenOpenBrace = 10, tokenCloseBrace = 11, tokenOpenParen = 12, tokenCloseParen = 13,
    tokenOpenBracket = 14, tokenCloseBracket = 15, tokenDot = 18, tokenComma = 19, tokenSemicolon = 20,
    tokenTemplate = 31, tokenWord = 40, tokenDword = 41, tokenFloat = 42, tokenDouble = 43, tokenChar = 44,
    tokenUchar = 45, tokenSword = 46, tokenSdword = 47, tokenVoid = 48, tokenLpstr = 49, tokenUnicode = 50,
    tokenCstring = 51, tokenArray = 52,
};

// The definitions of the templates the files use, with their standard GUIDs.
const char* const templateDefinitions = R"(
template Vector { <3D82AB5E-62DA-11cf-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }
template Coords2d { <F6F23F44-7686-11cf-8F52-0040333594A3> FLOAT u; FLOAT v; }
template Matrix4x4 { <F6F23F45-7686-11cf-8F52-0040333594A3> array FLOAT matrix[16]; }
template ColorRGBA { <35FF44E0-6C7C-11cf-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; FLOAT alpha; }
template ColorRGB { <D3E16E81-7835-11cf-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; }
template IndexedColor { <1630B820-7842-11cf-8F52-0040333594A3> DWORD index; ColorRGBA indexColor; }
template TextureFilename { <A42790E1-7810-11cf-8F52-0040333594A3> STRING filename; }
template Material { <3D82AB4D-62DA-11cf-AB39-0020AF71E433> ColorRGBA faceColor; FLOAT power;
  ColorRGB specularColor; ColorRGB emissiveColor; [...] }
template MeshFace { <3D82AB5F-62DA-11cf-AB39-0020AF71E433> DWORD nFaceVertexIndices;
  array DWORD faceVertexIndices[nFaceVertexIndices]; }
template MeshTextureCoords { <F6F23F40-7686-11cf-8F52-0040333594A3> DWORD nTextureCoords;
  array Coords2d textureCoords[nTextureCoords]; }
template MeshNormals { <F6F23F43-7686-11cf-8F52-0040333594A3> DWORD nNormals; array Vector normals[nNormals];
  DWORD nFaceNormals; array MeshFace faceNormals[nFaceNormals]; }
template MeshVertexColors { <1630B821-7842-11cf-8F52-0040333594A3> DWORD nVertexColors;
  array IndexedColor vertexColors[nVertexColors]; }
template MeshMaterialList { <F6F23F42-7686-11cf-8F52-0040333594A3> DWORD nMaterials; DWORD nFaceIndexes;
  array DWORD faceIndexes[nFaceIndexes]; [Material <3D82AB4D-62DA-11cf-AB39-0020AF71E433>] }
template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433> DWORD nVertices; array Vector vertices[nVertices];
  DWORD nFaces; array MeshFace faces[nFaces]; [...] }
template FrameTransformMatrix { <F6F23F41-7686-11cf-8F52-0040333594A3> Matrix4x4 frameMatrix; }
template Frame { <3D82AB46-62DA-11cf-AB39-0020AF71E433> [...] }
)";

struct Failure {
    std::string message;
};

class Emitter {
public:
    Emitter(bool textMode, bool doubles) : textMode(textMode), doubles(doubles) {}

    std::vector<unsigned char> bytes;

    void word(std::uint16_t value) {
        bytes.push_back(std::uint8_t(value));
        bytes.push_back(std::uint8_t(value >> 8));
    }
    void dword(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes.push_back(std::uint8_t(value >> (8 * i)));
    }
    void text(const std::string& value) {
        dword(std::uint32_t(value.size()));
        bytes.insert(bytes.end(), value.begin(), value.end());
    }
    void name(const std::string& value) {
        word(tokenName);
        text(value);
    }
    void string(const std::string& value) {
        if (textMode) {
            if (value.find('"') != std::string::npos) throw Failure{"a text file cannot hold the string " + value};
            words("\"" + value + "\";\n");
            return;
        }
        word(tokenString);
        text(value);
        word(tokenSemicolon);
    }
    void integers(const std::vector<std::uint32_t>& values) {
        if (textMode) {
            for (std::uint32_t v : values) words(std::to_string(v) + ";");
            words("\n");
            return;
        }
        word(tokenIntegerList);
        dword(std::uint32_t(values.size()));
        for (std::uint32_t v : values) dword(v);
    }
    void floats(const std::vector<float>& values) {
        for (float v : values)
            if (!std::isfinite(v)) throw Failure{"a number that is not finite"};
        if (textMode) {
            // 9 significant digits give a float back exactly, 17 a double.
            char number[40];
            for (float v : values) {
                std::snprintf(number, sizeof number, doubles ? "%.17g;" : "%.9g;", double(v));
                words(number);
            }
            words("\n");
            return;
        }
        word(tokenFloatList);
        dword(std::uint32_t(values.size()));
        for (float v : values) {
            if (doubles) {
                double wide = v;
                std::uint64_t bits;
                std::memcpy(&bits, &wide, 8);
                dword(std::uint32_t(bits));
                dword(std::uint32_t(bits >> 32));
            } else {
                std::uint32_t bits;
                std::memcpy(&bits, &v, 4);
                dword(bits);
            }
        }
    }
    void open(const char* type, const std::string& objectName) {
        if (textMode) {
            words(std::string(type) + (objectName.empty() ? "" : " " + objectName) + " {\n");
            return;
        }
        name(type);
        if (!objectName.empty()) name(objectName);
        word(tokenOpenBrace);
    }
    void close() {
        if (textMode) words("}\n");
        else word(tokenCloseBrace);
    }

    // Template definitions, from their text form.
    void templates(const char* source) {
        if (textMode) {
            words(source);
            return;
        }
        const char* p = source;
        while (*p) {
            unsigned char c = static_cast<unsigned char>(*p);
            if (std::isspace(c)) {
                ++p;
            } else if (c == '<') {
                const char* close = std::strchr(p, '>');
                guid(std::string(p + 1, close));
                p = close + 1;
            } else if (std::isdigit(c)) {
                std::uint32_t value = 0;
                while (std::isdigit(static_cast<unsigned char>(*p))) value = value * 10 + std::uint32_t(*p++ - '0');
                word(tokenInteger);
                dword(value);
            } else if (std::isalpha(c) || c == '_') {
                const char* start = p;
                while (std::isalnum(static_cast<unsigned char>(*p)) || *p == '_') ++p;
                keyword(std::string(start, p));
            } else {
                switch (c) {
                case '{': word(tokenOpenBrace); break;
                case '}': word(tokenCloseBrace); break;
                case '(': word(tokenOpenParen); break;
                case ')': word(tokenCloseParen); break;
                case '[': word(tokenOpenBracket); break;
                case ']': word(tokenCloseBracket); break;
                case '.': word(tokenDot); break;
                case ',': word(tokenComma); break;
                case ';': word(tokenSemicolon); break;
                }
                ++p;
            }
        }
    }

private:
    void words(const std::string& value) { bytes.insert(bytes.end(), value.begin(), value.end()); }

    const bool textMode;
    const bool doubles;

    void guid(const std::string& text) {  // 8-4-4-4-12 hexadecimal digits
        std::string digits;
        for (char c : text)
            if (c != '-') digits += c;
        auto hex = [&](std::size_t at, std::size_t count) { return std::uint32_t(std::stoul(digits.substr(at, count), nullptr, 16)); };
        word(tokenGuid);
        dword(hex(0, 8));
        word(std::uint16_t(hex(8, 4)));
        word(std::uint16_t(hex(12, 4)));
        for (std::size_t i = 0; i < 8; ++i) bytes.push_back(std::uint8_t(hex(16 + 2 * i, 2)));
    }

    void keyword(const std::string& word_) {
        static const struct {
            const char* text;
            std::uint16_t token;
        } keywords[] = {
            {"template", tokenTemplate}, {"WORD", tokenWord},     {"DWORD", tokenDword},   {"FLOAT", tokenFloat},
            {"DOUBLE", tokenDouble},     {"CHAR", tokenChar},     {"UCHAR", tokenUchar},   {"SWORD", tokenSword},
            {"SDWORD", tokenSdword},     {"VOID", tokenVoid},     {"STRING", tokenLpstr},  {"UNICODE", tokenUnicode},
            {"CSTRING", tokenCstring},   {"array", tokenArray},
        };
        for (const auto& k : keywords)
            if (word_ == k.text) {
                word(k.token);
                return;
            }
        name(word_);
    }
};

void checkName(const std::string& name) {
    if (name.empty()) return;
    bool ok = std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_';
    for (char c : name) ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-');
    if (!ok) throw Failure{"the name \"" + name + "\" is not a letter or '_' followed by letters, digits, '_' or '-'"};
}

void writeMesh(Emitter& out, const Mesh& mesh) {
    checkName(mesh.name);
    std::size_t n = mesh.positions.size();
    const std::string what = mesh.name.empty() ? "a mesh" : "mesh " + mesh.name;
    if (mesh.faces.empty()) throw Failure{what + " has no faces"};
    if (!mesh.normals.empty() && mesh.normals.size() != n) throw Failure{what + ": normals are not one per position"};
    if (!mesh.textureCoordinates.empty() && mesh.textureCoordinates.size() != n)
        throw Failure{what + ": texture coordinates are not one per position"};
    if (!mesh.colors.empty() && mesh.colors.size() != n) throw Failure{what + ": colours are not one per position"};
    std::vector<std::uint32_t> faceList{std::uint32_t(mesh.faces.size())};
    for (const auto& face : mesh.faces) {
        if (face.size() < 3) throw Failure{what + " has a face with fewer than three corners"};
        faceList.push_back(std::uint32_t(face.size()));
        for (std::uint32_t index : face) {
            if (index >= n) throw Failure{what + " has a face corner beyond its positions"};
            faceList.push_back(index);
        }
    }
    std::vector<std::uint32_t> faceMaterials = mesh.faceMaterials;
    if (!mesh.materials.empty()) {
        if (faceMaterials.empty() && mesh.materials.size() == 1) faceMaterials.assign(mesh.faces.size(), 0);
        if (faceMaterials.size() != mesh.faces.size()) throw Failure{what + ": face materials are not one per face"};
        for (std::uint32_t m : faceMaterials)
            if (m >= mesh.materials.size()) throw Failure{what + " has a face material beyond its materials"};
    } else if (!faceMaterials.empty()) {
        throw Failure{what + " has face materials but no materials"};
    }

    out.open("Mesh", mesh.name);
    out.integers({std::uint32_t(n)});
    std::vector<float> values;
    values.reserve(n * 3);
    for (const auto& p : mesh.positions) values.insert(values.end(), p.begin(), p.end());
    out.floats(values);
    out.integers(faceList);

    if (!mesh.normals.empty()) {
        out.open("MeshNormals", "");
        out.integers({std::uint32_t(n)});
        values.clear();
        for (const auto& v : mesh.normals) values.insert(values.end(), v.begin(), v.end());
        out.floats(values);
        out.integers(faceList);  // normal i belongs to position i
        out.close();
    }
    if (!mesh.textureCoordinates.empty()) {
        out.open("MeshTextureCoords", "");
        out.integers({std::uint32_t(n)});
        values.clear();
        for (const auto& v : mesh.textureCoordinates) values.insert(values.end(), v.begin(), v.end());
        out.floats(values);
        out.close();
    }
    if (!mesh.colors.empty()) {
        out.open("MeshVertexColors", "");
        out.integers({std::uint32_t(n)});
        for (std::size_t i = 0; i < n; ++i) {
            out.integers({std::uint32_t(i)});
            out.floats({mesh.colors[i][0], mesh.colors[i][1], mesh.colors[i][2], mesh.colors[i][3]});
        }
        out.close();
    }
    if (!mesh.materials.empty()) {
        out.open("MeshMaterialList", "");
        std::vector<std::uint32_t> list{std::uint32_t(mesh.materials.size()), std::uint32_t(faceMaterials.size())};
        list.insert(list.end(), faceMaterials.begin(), faceMaterials.end());
        out.integers(list);
        for (const Material& m : mesh.materials) {
            if (m.textureFilename.find('\0') != std::string::npos) throw Failure{what + ": a texture name holds a NUL"};
            out.open("Material", "");
            out.floats({m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3], m.power, m.specular[0], m.specular[1],
                        m.specular[2], m.emissive[0], m.emissive[1], m.emissive[2]});
            if (!m.textureFilename.empty()) {
                out.open("TextureFilename", "");
                out.string(m.textureFilename);
                out.close();
            }
            out.close();
        }
        out.close();
    }
    out.close();
}

void writeFrame(Emitter& out, const Frame& frame, int depth) {
    if (depth > 32) throw Failure{"frames nested more than 32 deep"};
    checkName(frame.name);
    out.open("Frame", frame.name);
    out.open("FrameTransformMatrix", "");
    out.floats(std::vector<float>(frame.transform.begin(), frame.transform.end()));
    out.close();
    for (const Mesh& mesh : frame.meshes) writeMesh(out, mesh);
    for (const Frame& child : frame.children) writeFrame(out, child, depth + 1);
    out.close();
}

}  // namespace

std::vector<unsigned char> encode(const Scene& scene, std::string& error) {
    return encode(scene, Format(), error);
}

std::vector<unsigned char> encode(const Scene& scene, const Format& format, std::string& error) {
    try {
        Emitter out(format.text, format.doubles);
        std::string header = "xof 0303";
        header += format.text ? "txt " : "bin ";
        header += format.doubles ? "0064" : "0032";
        out.bytes.assign(header.begin(), header.end());
        if (format.text) out.bytes.push_back('\n');
        out.templates(templateDefinitions);
        for (const Frame& frame : scene.frames) writeFrame(out, frame, 0);
        for (const Mesh& mesh : scene.meshes) writeMesh(out, mesh);
        return std::move(out.bytes);
    } catch (const Failure& failure) {
        error = failure.message;
    }
    return {};
}

bool writeFile(const std::string& path, const Scene& scene, std::string& error) {
    return writeFile(path, scene, Format(), error);
}

bool writeFile(const std::string& path, const Scene& scene, const Format& format, std::string& error) {
    std::vector<unsigned char> bytes = encode(scene, format, error);
    if (bytes.empty()) return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace xwriter
