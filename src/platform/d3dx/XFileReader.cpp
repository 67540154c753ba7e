// Two passes: the tokens become a tree of data objects (template definitions skipped), then the
// tree's Frame and Mesh objects are interpreted into one mesh. Errors inside both passes travel
// as a ReadError exception that never leaves read().
#include "platform/d3dx/XFileReader.h"

#include "platform/d3dx/XFileInflate.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <new>

namespace d3dx {

namespace {

struct ReadError {
    std::string message;
};

[[noreturn]] void fail(std::string message) { throw ReadError{std::move(message)}; }

// --- tokens -----------------------------------------------------------------------------------------------
enum class TokenKind { End, Name, String, Integer, Float, OpenBrace, CloseBrace, Guid, Template, Other };

struct Token {
    TokenKind kind = TokenKind::End;
    double number = 0;  // Integer and Float
    std::string text;   // Name and String
};

// Binary token numbers of the X format.
enum : std::uint16_t {
    tokenName = 1, tokenString = 2, tokenInteger = 3, tokenGuid = 5, tokenIntegerList = 6, tokenFloatList = 7,
    tokenOpenBrace = 10, tokenCloseBrace = 11, tokenComma = 19, tokenSemicolon = 20, tokenTemplate = 31,
};

class Tokenizer {
public:
    Tokenizer(const unsigned char* begin, const unsigned char* end, bool binary, bool doubles)
        : p(begin), end(end), binary(binary), doubles(doubles) {}

    Token next() {
        return binary ? nextBinary() : nextText();
    }
private:
    std::size_t left() const { return std::size_t(end - p); }

    std::uint32_t readDword() {
        if (left() < 4) fail("the file ends inside a token");
        std::uint32_t value = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                              std::uint32_t(p[3]) << 24;
        p += 4;
        return value;
    }

    std::string readText() {
        std::uint32_t length = readDword();
        if (length > left()) fail("a name or string runs past the end of the file");
        std::string text(reinterpret_cast<const char*>(p), length);
        p += length;
        return text;
    }

    Token listElement() {
        --listLeft;
        Token token;
        if (!listFloats) {
            token.kind = TokenKind::Integer;
            token.number = readDword();
        } else if (doubles) {
            if (left() < 8) fail("the file ends inside a float list");
            double value;
            std::memcpy(&value, p, 8);
            p += 8;
            token.kind = TokenKind::Float;
            token.number = value;
        } else {
            std::uint32_t bits = readDword();
            float value;
            std::memcpy(&value, &bits, 4);
            token.kind = TokenKind::Float;
            token.number = value;
        }
        return token;
    }

    Token nextBinary() {
        if (listLeft > 0) return listElement();
        for (;;) {
            if (p == end) return {};
            if (left() < 2) fail("the file ends inside a token");
            std::uint16_t code = std::uint16_t(p[0] | p[1] << 8);
            p += 2;
            Token token;
            switch (code) {
            case tokenName:
                token.kind = TokenKind::Name;
                token.text = readText();
                return token;
            case tokenString:
                token.kind = TokenKind::String;
                token.text = readText();
                return token;
            case tokenInteger:
                token.kind = TokenKind::Integer;
                token.number = readDword();
                return token;
            case tokenGuid:
                if (left() < 16) fail("the file ends inside a GUID");
                p += 16;
                token.kind = TokenKind::Guid;
                return token;
            case tokenIntegerList:
            case tokenFloatList: {
                std::uint32_t count = readDword();
                std::size_t elementSize = code == tokenFloatList && doubles ? 8 : 4;
                if (count > left() / elementSize) fail("a number list runs past the end of the file");
                if (count == 0) continue;
                listLeft = count;
                listFloats = code == tokenFloatList;
                return listElement();
            }
            case tokenOpenBrace: token.kind = TokenKind::OpenBrace; return token;
            case tokenCloseBrace: token.kind = TokenKind::CloseBrace; return token;
            case tokenComma:
            case tokenSemicolon: continue;
            case tokenTemplate: token.kind = TokenKind::Template; return token;
            default:
                if ((code >= 12 && code <= 18) || (code >= 40 && code <= 52)) {
                    token.kind = TokenKind::Other;  // punctuation and types of template definitions
                    return token;
                }
                fail("unknown binary token " + std::to_string(code));
            }
        }
    }

    static bool isNameStart(unsigned char c) { return std::isalpha(c) || c == '_'; }
    // Exporters write names such as "Box01.001"; a dot inside a name is part of it.
    static bool isNameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '-' || c == '.'; }

    // A sign or a dot starts a number only when a digit follows ("-.5", "+1", ".25"); otherwise it
    // is punctuation, as in the "[...]" of an open template.
    bool startsNumber() const {
        const unsigned char* q = p;
        if (q != end && (*q == '-' || *q == '+')) ++q;
        if (q != end && *q == '.') ++q;
        return q != end && std::isdigit(*q);
    }

    Token nextText() {
        for (;;) {
            while (p != end && (std::isspace(*p) || *p == ',' || *p == ';')) ++p;
            if (p == end) return {};
            if (*p == '#' || (*p == '/' && left() > 1 && p[1] == '/')) {
                while (p != end && *p != '\n') ++p;
                continue;
            }
            break;
        }
        Token token;
        unsigned char c = *p;
        if (c == '{') {
            ++p;
            token.kind = TokenKind::OpenBrace;
        } else if (c == '}') {
            ++p;
            token.kind = TokenKind::CloseBrace;
        } else if (c == '<') {
            const unsigned char* close = static_cast<const unsigned char*>(std::memchr(p, '>', left()));
            if (!close) fail("a GUID is not closed");
            p = close + 1;
            token.kind = TokenKind::Guid;
        } else if (c == '"') {
            const unsigned char* close = static_cast<const unsigned char*>(std::memchr(p + 1, '"', left() - 1));
            if (!close) fail("a string is not closed");
            token.kind = TokenKind::String;
            token.text.assign(reinterpret_cast<const char*>(p + 1), std::size_t(close - p - 1));
            p = close + 1;
        } else if (std::isdigit(c) || ((c == '-' || c == '+' || c == '.') && startsNumber())) {
            const unsigned char* start = p;
            bool integer = true;
            while (p != end && (std::isdigit(*p) || *p == '-' || *p == '+' || *p == '.' || *p == 'e' || *p == 'E')) {
                if (*p == '.' || *p == 'e' || *p == 'E') integer = false;
                ++p;
            }
            const char* first = reinterpret_cast<const char*>(start);
            if (*first == '+') ++first;
            double value = 0;
            auto [last, status] = std::from_chars(first, reinterpret_cast<const char*>(p), value);
            if (status != std::errc() || last != reinterpret_cast<const char*>(p)) fail("a malformed number");
            token.kind = integer ? TokenKind::Integer : TokenKind::Float;
            token.number = value;
        } else if (isNameStart(c)) {
            const unsigned char* start = p;
            while (p != end && isNameChar(*p)) ++p;
            token.text.assign(reinterpret_cast<const char*>(start), std::size_t(p - start));
            token.kind = token.text == "template" ? TokenKind::Template : TokenKind::Name;
        } else {
            ++p;
            token.kind = TokenKind::Other;
        }
        return token;
    }

    const unsigned char* p;    // next unread byte
    const unsigned char* end;  // one past the last byte
    bool binary;
    bool doubles;               // float lists hold 64-bit values
    std::uint32_t listLeft = 0; // elements of the current binary list still to hand out
    bool listFloats = false;
};

// --- the tree of data objects -------------------------------------------------------------------------------
struct Value {
    bool isString = false;
    bool isInteger = false;
    double number = 0;
    std::uint32_t stringIndex = 0;  // into DataObject::strings
};

struct DataObject;

struct Child {
    std::unique_ptr<DataObject> object;  // a nested data object, or
    std::string reference;               // the name of an object referred to ({ name })
};

struct DataObject {
    std::string type;
    std::string name;
    std::vector<Value> values;
    std::vector<std::string> strings;
    std::vector<Child> children;
};

class TreeParser {
public:
    explicit TreeParser(Tokenizer& tokens) : tokens(tokens) {}

    std::vector<std::unique_ptr<DataObject>> parseFile() {
        std::vector<std::unique_ptr<DataObject>> objects;
        for (;;) {
            Token token = tokens.next();
            switch (token.kind) {
            case TokenKind::End: return objects;
            case TokenKind::Template: skipTemplate(); break;
            case TokenKind::Name: objects.push_back(parseObject(std::move(token.text), 0)); break;
            default: fail("unexpected data at the top level of the file");
            }
        }
    }

private:
    void skipTemplate() {
        if (tokens.next().kind != TokenKind::Name) fail("a template without a name");
        if (tokens.next().kind != TokenKind::OpenBrace) fail("a template without a body");
        int depth = 1;
        while (depth > 0) {
            Token token = tokens.next();
            if (token.kind == TokenKind::End) fail("the file ends inside a template");
            if (token.kind == TokenKind::OpenBrace) ++depth;
            if (token.kind == TokenKind::CloseBrace) --depth;
        }
    }

    std::unique_ptr<DataObject> parseObject(std::string type, int depth) {
        if (depth > XFileReader::maxDepth) fail("data objects nested too deeply");
        auto object = std::make_unique<DataObject>();
        object->type = std::move(type);
        Token token = tokens.next();
        if (token.kind == TokenKind::Name) {
            object->name = std::move(token.text);
            token = tokens.next();
        }
        if (token.kind != TokenKind::OpenBrace) fail("a " + object->type + " without a body");
        for (;;) {
            token = tokens.next();
            switch (token.kind) {
            case TokenKind::Guid: break;
            case TokenKind::Integer:
            case TokenKind::Float: {
                Value value;
                value.isInteger = token.kind == TokenKind::Integer;
                value.number = token.number;
                object->values.push_back(value);
                break;
            }
            case TokenKind::String: {
                Value value;
                value.isString = true;
                value.stringIndex = std::uint32_t(object->strings.size());
                object->strings.push_back(std::move(token.text));
                object->values.push_back(value);
                break;
            }
            case TokenKind::Name: {
                Child child;
                child.object = parseObject(std::move(token.text), depth + 1);
                object->children.push_back(std::move(child));
                break;
            }
            case TokenKind::OpenBrace: {
                Child child;
                Token name = tokens.next();
                if (name.kind == TokenKind::Name) {
                    child.reference = std::move(name.text);
                    name = tokens.next();
                }
                if (name.kind == TokenKind::Guid) name = tokens.next();
                if (name.kind != TokenKind::CloseBrace) fail("a malformed reference in a " + object->type);
                object->children.push_back(std::move(child));
                break;
            }
            case TokenKind::CloseBrace: return object;
            case TokenKind::End: fail("the file ends inside a " + object->type);
            default: fail("unexpected data inside a " + object->type);
            }
        }
    }

    Tokenizer& tokens;
};

// Reads the values of one object in order.
class Values {
public:
    explicit Values(const DataObject& object) : object(object) {}

    std::uint32_t integer() {
        const Value& value = take();
        if (!value.isInteger || !(value.number >= 0 && value.number <= 4294967295.0))
            fail("a " + object.type + " holds a non-integer where a count or index belongs");
        return std::uint32_t(value.number);
    }
    float real() {
        const Value& value = take();
        if (value.isString) fail("a " + object.type + " holds a string where a number belongs");
        if (std::fabs(value.number) > double(std::numeric_limits<float>::max()))
            fail("a " + object.type + " holds a number too large for a float");
        return float(value.number);  // NaN passes through as NaN
    }
    const std::string& string() {
        const Value& value = take();
        if (!value.isString) fail("a " + object.type + " holds a number where a string belongs");
        return object.strings[value.stringIndex];
    }
    // A count of items of `perItem` values each must fit in what is left.
    std::uint32_t count(std::size_t perItem) {
        std::uint32_t n = integer();
        if (n > (object.values.size() - index) / perItem) fail("a " + object.type + " is shorter than its counts say");
        return n;
    }

private:
    const Value& take() {
        if (index >= object.values.size()) fail("a " + object.type + " ends early");
        return object.values[index++];
    }

    const DataObject& object;
    std::size_t index = 0;
};

// --- interpretation ------------------------------------------------------------------------------------------
struct Matrix {
    float m[4][4];
    bool identity;
};

Matrix identityMatrix() {
    Matrix r{};
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    r.identity = true;
    return r;
}

Matrix multiply(const Matrix& a, const Matrix& b) {  // a applied first
    if (a.identity) return b;
    if (b.identity) return a;
    Matrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    r.identity = false;
    return r;
}

std::uint32_t colorFromFloats(float r, float g, float b, float a) {
    auto byte = [](float c) {
        if (!(c > 0.0f)) return 0u;  // also NaN
        if (c >= 1.0f) return 255u;
        return unsigned(std::lround(c * 255.0f));
    };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

class MeshBuilder {
public:
    explicit MeshBuilder(const std::vector<std::unique_ptr<DataObject>>& objects) {
        for (const auto& object : objects)
            if (!object->name.empty()) named[object->name] = object.get();
    }

    void visit(const DataObject& object, const Matrix& parent) {
        if (object.type == "Mesh") {
            addMesh(object, parent);
        } else if (object.type == "Frame") {
            Matrix world = parent;
            for (const Child& child : object.children)
                if (child.object && child.object->type == "FrameTransformMatrix") world = multiply(readMatrix(*child.object), parent);
            for (const Child& child : object.children)
                if (child.object) visit(*child.object, world);
        }
    }

    void finish(MeshData& mesh) {
        if (triangles.empty()) fail("the file holds no mesh with faces");
        std::vector<std::uint32_t> order(triangleSubsets.size());
        for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return triangleSubsets[a] < triangleSubsets[b]; });
        out.indices.clear();
        out.indices.reserve(triangles.size());
        out.subsets.assign(out.materials.size(), MeshSubset());
        for (std::uint32_t face = 0; face < order.size(); ++face) {
            std::uint32_t source = order[face];
            MeshSubset& subset = out.subsets[triangleSubsets[source]];
            if (subset.faceCount == 0) subset.faceStart = face;
            ++subset.faceCount;
            for (int k = 0; k < 3; ++k) out.indices.push_back(triangles[std::size_t(source) * 3 + k]);
        }
        // Empty subsets start where the next run would.
        std::uint32_t next = std::uint32_t(order.size());
        for (std::size_t i = out.subsets.size(); i-- > 0;) {
            if (out.subsets[i].faceCount == 0) out.subsets[i].faceStart = next;
            else next = out.subsets[i].faceStart;
        }
        if (!out.hasNormals) out.normals.clear();
        if (!out.hasTextureCoordinates) out.textureCoordinates.clear();
        if (!out.hasColors) out.colors.clear();
        out.computeSubsetRanges();
        mesh = std::move(out);
    }

private:
    static Matrix readMatrix(const DataObject& object) {
        Values values(object);
        Matrix r{};
        r.identity = true;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                r.m[i][j] = values.real();
                if (r.m[i][j] != (i == j ? 1.0f : 0.0f)) r.identity = false;
            }
        return r;
    }

    const DataObject* resolve(const Child& child) const {
        if (child.object) return child.object.get();
        auto found = named.find(child.reference);
        return found == named.end() ? nullptr : found->second;
    }

    static D3DXMATERIAL readMaterial(const DataObject& object) {
        Values values(object);
        D3DXMATERIAL material{};
        D3DMATERIAL9& d = material.MatD3D;
        d.Diffuse = {values.real(), values.real(), values.real(), values.real()};
        d.Power = values.real();
        d.Specular = {values.real(), values.real(), values.real(), 1.0f};
        d.Emissive = {values.real(), values.real(), values.real(), 1.0f};
        d.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};  // X materials carry none
        for (const Child& child : object.children) {
            if (child.object && (child.object->type == "TextureFilename" || child.object->type == "TextureFileName")) {
                Values name(*child.object);
                material.textureFilename = name.string();
            }
        }
        return material;
    }

    static D3DXMATERIAL defaultMaterial() {
        D3DXMATERIAL material{};
        material.MatD3D.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        material.MatD3D.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
        material.MatD3D.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
        material.MatD3D.Emissive = {0.0f, 0.0f, 0.0f, 1.0f};
        return material;
    }

    void addMesh(const DataObject& object, const Matrix& world) {
        Values values(object);
        std::uint32_t vertexCount = values.count(3);
        std::vector<float> positions(std::size_t(vertexCount) * 3);
        for (float& v : positions) v = values.real();
        std::uint32_t faceCount = values.count(1);
        std::vector<std::uint32_t> faceStarts(faceCount + 1);
        std::vector<std::uint32_t> faceIndices;
        for (std::uint32_t f = 0; f < faceCount; ++f) {
            faceStarts[f] = std::uint32_t(faceIndices.size());
            std::uint32_t corners = values.count(1);
            if (corners < 3) fail("a face with fewer than three corners");
            for (std::uint32_t k = 0; k < corners; ++k) {
                std::uint32_t index = values.integer();
                if (index >= vertexCount) fail("a face refers to a vertex that does not exist");
                faceIndices.push_back(index);
            }
        }
        faceStarts[faceCount] = std::uint32_t(faceIndices.size());

        std::vector<float> normals;
        std::vector<std::uint32_t> normalIndices;  // one per face corner
        std::vector<float> coordinates;
        std::vector<std::uint32_t> colors;
        std::vector<D3DXMATERIAL> materials;
        std::vector<std::uint32_t> faceMaterials;
        for (const Child& child : object.children) {
            if (!child.object) continue;
            const DataObject& part = *child.object;
            if (part.type == "MeshNormals") {
                Values n(part);
                std::uint32_t normalCount = n.count(3);
                normals.resize(std::size_t(normalCount) * 3);
                for (float& v : normals) v = n.real();
                if (n.count(1) != faceCount) fail("MeshNormals has another face count than its mesh");
                normalIndices.clear();
                for (std::uint32_t f = 0; f < faceCount; ++f) {
                    if (n.count(1) != faceStarts[f + 1] - faceStarts[f]) fail("a normal face differs from its face");
                    for (std::uint32_t k = faceStarts[f]; k < faceStarts[f + 1]; ++k) {
                        std::uint32_t index = n.integer();
                        if (index >= normalCount) fail("a normal face refers to a normal that does not exist");
                        normalIndices.push_back(index);
                    }
                }
            } else if (part.type == "MeshTextureCoords") {
                Values t(part);
                if (t.count(2) != vertexCount) fail("MeshTextureCoords has another count than its mesh");
                coordinates.resize(std::size_t(vertexCount) * 2);
                for (float& v : coordinates) v = t.real();
            } else if (part.type == "MeshVertexColors") {
                Values c(part);
                std::uint32_t n = c.count(5);
                colors.assign(vertexCount, 0xffffffffu);
                for (std::uint32_t i = 0; i < n; ++i) {
                    std::uint32_t index = c.integer();
                    if (index >= vertexCount) fail("a vertex colour refers to a vertex that does not exist");
                    float r = c.real(), g = c.real(), b = c.real(), a = c.real();
                    colors[index] = colorFromFloats(r, g, b, a);
                }
            } else if (part.type == "MeshMaterialList") {
                Values m(part);
                std::uint32_t materialCount = m.integer();
                std::uint32_t given = m.count(1);
                faceMaterials.assign(faceCount, 0);
                std::uint32_t last = 0;
                for (std::uint32_t i = 0; i < given; ++i) {
                    std::uint32_t index = m.integer();
                    if (index >= materialCount) fail("a face refers to a material that does not exist");
                    if (i < faceCount) faceMaterials[i] = last = index;
                }
                for (std::uint32_t i = given; i < faceCount; ++i) faceMaterials[i] = last;  // the last one repeats
                materials.clear();
                for (const Child& entry : part.children) {
                    const DataObject* material = resolve(entry);
                    if (!material) fail("a material reference names no material");
                    if (material->type != "Material") continue;
                    if (materials.size() < materialCount) materials.push_back(readMaterial(*material));
                }
                if (materials.size() < materialCount) fail("MeshMaterialList has fewer materials than it counts");
                if (materialCount == 0) faceMaterials.clear();
            }
        }
        if (materials.empty()) {
            materials.push_back(defaultMaterial());
            faceMaterials.assign(faceCount, 0);
        }

        // Vertex i of the file stays vertex i; a position used with several normals gets copies.
        std::size_t base = out.vertexCount();
        std::vector<std::int64_t> slotNormal(vertexCount, -1);
        std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> copies;
        std::vector<std::uint32_t> cornerSlots(faceIndices.size());
        std::vector<std::pair<std::uint32_t, std::uint32_t>> extra;  // (position, normal) of each copy
        for (std::size_t k = 0; k < faceIndices.size(); ++k) {
            std::uint32_t position = faceIndices[k];
            cornerSlots[k] = position;
            if (normals.empty()) continue;
            std::uint32_t normal = normalIndices[k];
            if (slotNormal[position] < 0 || slotNormal[position] == normal) {
                slotNormal[position] = normal;
                continue;
            }
            auto key = std::make_pair(position, normal);
            auto found = copies.find(key);
            if (found == copies.end()) {
                found = copies.emplace(key, vertexCount + std::uint32_t(extra.size())).first;
                extra.push_back(key);
            }
            cornerSlots[k] = found->second;
        }
        std::size_t total = std::size_t(vertexCount) + extra.size();
        if (base + total > XFileReader::maxVertices) fail("the meshes hold more than 65535 vertices");

        bool hasNormals = !normals.empty();
        // The inverse transpose carries normals through a frame's transformation.
        float normalMatrix[3][3] = {};
        if (!world.identity && hasNormals) {
            const float(&m)[4][4] = world.m;
            float det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                        m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                        m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
            if (det == 0.0f || !std::isfinite(det)) det = 1.0f;
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) {
                    int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
                    normalMatrix[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / det;  // cofactor / det
                }
        }
        for (std::size_t v = 0; v < total; ++v) {
            std::uint32_t position = v < vertexCount ? std::uint32_t(v) : extra[v - vertexCount].first;
            const float* p = &positions[std::size_t(position) * 3];
            if (world.identity) {
                out.positions.insert(out.positions.end(), p, p + 3);
            } else {
                for (int j = 0; j < 3; ++j)
                    out.positions.push_back(p[0] * world.m[0][j] + p[1] * world.m[1][j] + p[2] * world.m[2][j] + world.m[3][j]);
            }
            float n[3] = {0, 0, 0};
            if (hasNormals) {
                std::int64_t normal = v < vertexCount ? slotNormal[v] : std::int64_t(extra[v - vertexCount].second);
                if (normal >= 0) std::memcpy(n, &normals[std::size_t(normal) * 3], sizeof n);
                if (!world.identity && normal >= 0) {
                    float t[3];
                    for (int j = 0; j < 3; ++j) t[j] = n[0] * normalMatrix[0][j] + n[1] * normalMatrix[1][j] + n[2] * normalMatrix[2][j];
                    float length = std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
                    if (length > 0 && std::isfinite(length))
                        for (int j = 0; j < 3; ++j) n[j] = t[j] / length;
                }
            }
            out.normals.insert(out.normals.end(), n, n + 3);
            if (!coordinates.empty()) {
                out.textureCoordinates.push_back(coordinates[std::size_t(position) * 2]);
                out.textureCoordinates.push_back(coordinates[std::size_t(position) * 2 + 1]);
            } else {
                out.textureCoordinates.push_back(0.0f);
                out.textureCoordinates.push_back(0.0f);
            }
            out.colors.push_back(colors.empty() ? 0xffffffffu : colors[position]);
        }
        out.hasNormals |= hasNormals;
        out.hasTextureCoordinates |= !coordinates.empty();
        out.hasColors |= !colors.empty();

        std::uint32_t subsetBase = std::uint32_t(out.materials.size());
        out.materials.insert(out.materials.end(), materials.begin(), materials.end());
        for (std::uint32_t f = 0; f < faceCount; ++f) {
            std::uint32_t first = faceStarts[f];
            for (std::uint32_t k = first + 1; k + 1 < faceStarts[f + 1]; ++k) {  // a fan of triangles
                triangles.push_back(std::uint32_t(base + cornerSlots[first]));
                triangles.push_back(std::uint32_t(base + cornerSlots[k]));
                triangles.push_back(std::uint32_t(base + cornerSlots[k + 1]));
                triangleSubsets.push_back(subsetBase + faceMaterials[f]);
            }
        }
    }

    std::map<std::string, const DataObject*> named;  // top-level objects that references can name
    MeshData out;
    std::vector<std::uint32_t> triangles;       // 3 indices per triangle, in file order
    std::vector<std::uint32_t> triangleSubsets; // subset of each triangle
};

}  // namespace

bool XFileReader::read(const void* data, std::size_t size, MeshData& mesh, std::string& error) {
    mesh = MeshData();
    auto* bytes = static_cast<const unsigned char*>(data);
    if (!data || size < 16 || std::memcmp(bytes, "xof ", 4) != 0) {
        error = "not an X file";
        return false;
    }
    const bool compressed = std::memcmp(bytes + 8, "bzip", 4) == 0 || std::memcmp(bytes + 8, "tzip", 4) == 0;
    const bool binary = std::memcmp(bytes + 8, "bin ", 4) == 0 || std::memcmp(bytes + 8, "bzip", 4) == 0;
    const bool text = std::memcmp(bytes + 8, "txt ", 4) == 0 || std::memcmp(bytes + 8, "tzip", 4) == 0;
    if (!binary && !text) {
        error = "unknown X file encoding";
        return false;
    }
    bool doubles = std::memcmp(bytes + 12, "0064", 4) == 0;
    if (!doubles && std::memcmp(bytes + 12, "0032", 4) != 0) {
        error = "unknown X file float size";
        return false;
    }
    try {
        // A compressed file's body is inflated first and then read like the plain encodings.
        std::vector<unsigned char> inflated;
        const unsigned char* begin = bytes + 16;
        const unsigned char* end = bytes + size;
        if (compressed) {
            if (!XFileInflate::inflate(bytes, size, inflated, error)) return false;
            begin = inflated.data();
            end = inflated.data() + inflated.size();
        }
        Tokenizer tokens(begin, end, binary, doubles);
        TreeParser parser(tokens);
        std::vector<std::unique_ptr<DataObject>> objects = parser.parseFile();
        MeshBuilder builder(objects);
        for (const auto& object : objects) builder.visit(*object, identityMatrix());
        builder.finish(mesh);
        return true;
    } catch (const ReadError& e) {
        error = e.message;
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    }
    mesh = MeshData();
    return false;
}

}  // namespace d3dx
