// GLSL programs that stand in for Direct3D's fixed-function pipeline and for vs_1_1 shaders.
// A ProgramKey holds exactly the state that changes the generated code (vertex format, lighting
// set-up, texture stage operations and arguments, coordinate generation, alpha test); programs
// are built on first use and cached by key for the life of the device. Values that do not change
// the code (matrices, colours, light parameters) are uniforms.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>

namespace d3d9 {

class VertexShader;

struct StageKey {
    std::uint8_t colorOp = 0, colorArg1 = 0, colorArg2 = 0, colorArg0 = 0;
    std::uint8_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0, alphaArg0 = 0;
    std::uint8_t resultArg = 0;
    std::uint8_t texture = 0;         // 1: a texture is bound and read
    std::uint8_t coordIndex = 0;      // vertex coordinate set (pass-through)
    std::uint8_t coordGen = 0;        // TEXCOORDINDEX generation >> 16
    std::uint8_t coordComponents = 0; // components of that set in the vertex format
    std::uint8_t transformCount = 0;  // TEXTURETRANSFORMFLAGS count, 0: no matrix
    std::uint8_t projected = 0;       // divide by the last transformed component
    std::uint8_t pad = 0;
};

enum FogSource : std::uint8_t {
    kNoFog,
    kTableFog,       // per pixel from the depth
    kVertexFog,      // per vertex from the depth (or distance)
    kSuppliedFog,    // the vertex's specular alpha, or a shader's oFog
};

struct ProgramKey {
    std::uint32_t fvf = 0;
    std::uint32_t shaderId = 0;       // 0: fixed-function vertex processing
    std::uint8_t lighting = 0, specular = 0, localViewer = 0, normalize = 0;
    std::uint8_t diffuseSource = 0, ambientSource = 0, specularSource = 0, emissiveSource = 0;
    std::uint8_t lightCount = 0;
    std::array<std::uint8_t, 8> lightTypes{};
    std::uint8_t flat = 0, pointSprite = 0, alphaFunc = 0;  // alphaFunc 0: no alpha test
    std::uint8_t stageCount = 0;
    std::uint8_t vertexPointSize = 0;
    std::uint8_t fog = 0;         // FogSource
    std::uint8_t fogFormula = 0;  // D3DFOGMODE of the table or vertex fog; range fog adds 4
    std::array<StageKey, 8> stages{};

    bool operator==(const ProgramKey& o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};
static_assert(sizeof(ProgramKey) % 4 == 0 && std::has_unique_object_representations_v<ProgramKey>);

struct ProgramKeyHash {
    size_t operator()(const ProgramKey& k) const;
};

// Uniform groups, each with a change counter kept by the device; a program uploads a group when
// the counter differs from the one it saw last.
enum UniformGroup { kTransforms, kLighting, kStageValues, kViewport, kConstants, kUniformGroups };

struct Program {
    GLuint id = 0;  // owned
    GLint worldView = -1, projection = -1, normalMatrix = -1, viewport = -1, texMatrix = -1;
    GLint material = -1, materialPower = -1, ambient = -1;
    GLint lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1, lightPosition = -1, lightDirection = -1;
    GLint lightAttenuation = -1, lightSpot = -1;
    GLint tfactor = -1, stageConstant = -1, alphaRef = -1, pointSize = -1, constants = -1;
    GLint fogColor = -1, fogParameters = -1, depthRange = -1, yFlip = -1;
    std::array<std::uint64_t, kUniformGroups> seen{};  // 0: never uploaded
};

class ShaderCache {
public:
    ~ShaderCache();
    // The program for key (vertexShader given when key.shaderId != 0); null when GL refused it,
    // with the log in *error.
    Program* get(const ProgramKey& key, const VertexShader* vertexShader, std::string* error);
    size_t size() const { return programs.size(); }

    static std::string vertexSource(const ProgramKey& key, const VertexShader* vertexShader);
    static std::string fragmentSource(const ProgramKey& key);

private:
    Program* remember(const ProgramKey& key, Program* program);

    struct Recent {
        ProgramKey key;
        Program* program = nullptr;  // in programs; none: empty entry
    };
    std::unordered_map<ProgramKey, std::unique_ptr<Program>, ProgramKeyHash> programs;
    std::array<Recent, 4> recent{};  // the programs asked for last, searched first
    size_t nextRecent = 0;           // the entry replaced next
};

}  // namespace d3d9
