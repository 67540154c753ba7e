#include "platform/d3d9/FixedFunctionShader.h"

#include "platform/d3d9/VertexShader.h"

#include <cstring>
#include <string_view>

namespace d3d9 {

namespace {

using std::string;
using std::to_string;

// Vertex attribute locations (the device binds vertex formats to the same numbers).
constexpr const char* kAttributes =
    "layout(location = 0) in vec4 aPosition;\n"
    "layout(location = 1) in vec3 aNormal;\n"
    "layout(location = 2) in vec4 aDiffuse;\n"
    "layout(location = 3) in vec4 aSpecular;\n"
    "layout(location = 4) in float aPointSize;\n";

// Direct3D clip space (y up, z 0..w, pixel centres on integers) to GL clip space for a framebuffer
// whose rows run top-down. yFlip mirrors that for the window, whose rows run bottom-up: (1, 0) in
// a target, (-1, a 256th of a pixel upwards) in the window. The rasterizer decides an edge through
// a pixel's centre by GL's up and down, so mirrored, a Direct3D top edge on a row of centres would
// leave its row out; lifted a little it takes it in, as Direct3D and the targets do.
constexpr const char* kToGl =
    "uniform vec4 viewport;  // x, y, width, height in pixels\n"
    "uniform vec2 depthRange; // the viewport's MinZ, MaxZ\n"
    "uniform vec3 pointSize; // size, minimum, maximum\n"
    "uniform vec2 yFlip;     // scale and offset of y\n"
    "vec4 toGl(vec4 p) {\n"
    "    p.y = -p.y;\n"
    "    p.z = 2.0 * p.z - p.w;\n"
    "    p.xy += p.w / viewport.zw;\n"
    "    p.y = p.y * yFlip.x + yFlip.y * p.w;\n"
    "    return p;\n"
    "}\n";

string varyings(const ProgramKey& k, const char* direction) {
    string q = k.flat ? "flat " : "";
    return q + direction + " vec4 vDiffuse;\n" + q + direction + " vec4 vSpecular;\n" + direction + " vec4 vTex[8];\n" +
           direction + " float vFog; // the fog factor, or the depth for table fog\n";
}

// The fog factor of a distance d (1: no fog) for Direct3D's three formulas.
string fogFactor(std::uint8_t formula, const string& d) {
    switch (formula & 3) {
    case D3DFOG_LINEAR:
        return "clamp((fogParameters.y - " + d + ") / (fogParameters.y - fogParameters.x), 0.0, 1.0)";
    case D3DFOG_EXP: return "clamp(exp(-fogParameters.z * " + d + "), 0.0, 1.0)";
    case D3DFOG_EXP2: return "clamp(exp(-(fogParameters.z * " + d + ") * (fogParameters.z * " + d + ")), 0.0, 1.0)";
    }
    return "1.0";
}

constexpr const char* kFogUniforms = "uniform vec4 fogParameters; // start, end, density\nuniform vec4 fogColor;\n";

string lightingCode(const ProgramKey& k) {
    auto source = [](std::uint8_t s, int materialIndex) -> string {
        if (s == D3DMCS_COLOR1) return "aDiffuse";
        if (s == D3DMCS_COLOR2) return "aSpecular";
        return "material[" + to_string(materialIndex) + "]";
    };
    string c;
    c += "    vec3 V = " + string(k.localViewer ? "-normalize(eye.xyz)" : "vec3(0.0, 0.0, -1.0)") + ";\n";
    c += "    vec3 ambientSum = vec3(0.0), diffuseSum = vec3(0.0), specularSum = vec3(0.0);\n";
    for (int i = 0; i < k.lightCount; ++i) {
        const string n = string("[") + char('0' + i) + "]";  // lightCount is at most 8
        c += "    {\n        vec3 L; float att = 1.0;\n";
        if (k.lightTypes[i] == D3DLIGHT_DIRECTIONAL) {
            c += "        L = -lightDirection" + n + ";\n";
        } else {
            c += "        vec3 toLight = lightPosition" + n + " - eye.xyz;\n"
                 "        float d = length(toLight);\n"
                 "        L = toLight / max(d, 1e-20);\n"
                 "        vec4 a = lightAttenuation" + n + ";\n"
                 "        att = d > a.w ? 0.0 : 1.0 / max(a.x + a.y * d + a.z * d * d, 1e-20);\n";
            if (k.lightTypes[i] == D3DLIGHT_SPOT)
                c += "        float rho = dot(-L, lightDirection" + n + ");\n"
                     "        vec3 s = lightSpot" + n + ";\n"
                     "        att *= rho > s.x ? 1.0 : rho <= s.y ? 0.0 : pow((rho - s.y) / max(s.x - s.y, 1e-20), s.z);\n";
        }
        c += "        ambientSum += lightAmbient" + n + ".rgb * att;\n"
             "        float nl = dot(normal, L);\n"
             "        if (nl > 0.0) {\n"
             "            diffuseSum += lightDiffuse" + n + ".rgb * nl * att;\n";
        if (k.specular)
            c += "            float nh = dot(normal, normalize(L + V));\n"
                 "            if (nh > 0.0) specularSum += lightSpecular" + n + ".rgb * pow(nh, materialPower) * att;\n";
        c += "        }\n    }\n";
    }
    c += "    vec4 md = " + source(k.diffuseSource, 0) + ";\n";
    c += "    vec4 ma = " + source(k.ambientSource, 1) + ";\n";
    c += "    vec4 ms = " + source(k.specularSource, 2) + ";\n";
    c += "    vec4 me = " + source(k.emissiveSource, 3) + ";\n";
    c += "    diffuse = vec4(me.rgb + ma.rgb * (ambient.rgb + ambientSum) + md.rgb * diffuseSum, md.a);\n";
    c += "    specular = vec4(ms.rgb * specularSum, ms.a);\n";
    return c;
}

string texCoordCode(const ProgramKey& k) {
    string c;
    for (int s = 0; s < k.stageCount; ++s) {
        const StageKey& st = k.stages[s];
        const string out = "    vTex[" + to_string(s) + "] = ";
        if (!st.texture || k.pointSprite) continue;
        const string in = "aTex" + to_string(st.coordIndex);
        string tc;
        switch (st.coordGen) {
        case 1: tc = "vec4(normal, 1.0)"; break;
        case 2: tc = "vec4(eye.xyz, 1.0)"; break;
        case 3:
        case 4: {
            const string r = string("reflect(") + (k.localViewer ? "normalize(eye.xyz)" : "vec3(0.0, 0.0, 1.0)") + ", normal)";
            if (st.coordGen == 3) {
                tc = "vec4(" + r + ", 1.0)";
            } else {
                c += "    vec3 r" + to_string(s) + " = " + r + ";\n";
                const string rs = "r" + to_string(s);
                tc = "vec4(" + rs + ".xy / (2.0 * length(vec3(" + rs + ".xy, " + rs + ".z + 1.0))) + 0.5, 0.0, 1.0)";
            }
            break;
        }
        default:
            // Missing components: the next one is 1, the rest 0, so (u, v) enters a matrix as (u, v, 1, 0).
            switch (st.coordComponents) {
            case 1: tc = "vec4(" + in + ".x, 1.0, 0.0, 0.0)"; break;
            case 2: tc = "vec4(" + in + ".xy, 1.0, 0.0)"; break;
            case 3: tc = "vec4(" + in + ".xyz, 1.0)"; break;
            case 4: tc = in; break;
            default: tc = "vec4(0.0, 0.0, 0.0, 1.0)"; break;
            }
        }
        if (st.transformCount) tc = tc + " * texMatrix[" + to_string(s) + "]";
        c += out + tc + ";\n";
    }
    return c;
}

string fixedVertexSource(const ProgramKey& k) {
    const bool rhw = (k.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    string s = "#version 330 core\n";
    s += kAttributes;
    for (int i = 0; i < 8; ++i) s += "layout(location = " + to_string(5 + i) + ") in vec4 aTex" + to_string(i) + ";\n";
    s += "uniform mat4 worldView;\nuniform mat4 projection;\nuniform mat3 normalMatrix;\nuniform mat4 texMatrix[8];\n";
    s += "uniform vec4 material[4]; // diffuse, ambient, specular, emissive\nuniform float materialPower;\n";
    s += "uniform vec4 ambient;\n";
    s += "uniform vec4 lightDiffuse[8];\nuniform vec4 lightSpecular[8];\nuniform vec4 lightAmbient[8];\n";
    s += "uniform vec3 lightPosition[8];\nuniform vec3 lightDirection[8];\nuniform vec4 lightAttenuation[8];\n";
    s += "uniform vec3 lightSpot[8];\n";
    s += kFogUniforms;
    s += kToGl;
    s += varyings(k, "out");
    s += "void main() {\n";
    s += string("    vec4 diffuse = ") + ((k.fvf & D3DFVF_DIFFUSE) ? "aDiffuse" : "vec4(1.0)") + ";\n";
    s += string("    vec4 specular = ") + ((k.fvf & D3DFVF_SPECULAR) ? "aSpecular" : "vec4(0.0)") + ";\n";
    for (int i = 0; i < 8; ++i) s += "    vTex[" + to_string(i) + "] = vec4(0.0, 0.0, 0.0, 1.0);\n";
    if (rhw) {
        s += "    float w = aPosition.w == 0.0 ? 1.0 : 1.0 / aPosition.w;\n"
             "    vec2 ndc = (aPosition.xy + 0.5 - viewport.xy) / viewport.zw * 2.0 - 1.0;\n"
             // Pre-transformed z is the depth itself: undo the depth range GL will apply.
             "    float span = depthRange.y - depthRange.x;\n"
             "    float z = span > 0.0 ? (aPosition.z - depthRange.x) / span : aPosition.z;\n"
             "    gl_Position = vec4(ndc.x * w, (ndc.y * yFlip.x + yFlip.y) * w, (2.0 * z - 1.0) * w, w);\n";
        // No coordinate generation or texture matrices for pre-transformed vertices.
        s += "    vec4 eye = vec4(0.0);\n    vec3 normal = vec3(0.0);\n";
    } else {
        s += "    vec4 eye = aPosition * worldView;\n"
             "    gl_Position = toGl(eye * projection);\n";
        s += string("    vec3 normal = ") + ((k.fvf & D3DFVF_NORMAL) ? "aNormal * normalMatrix" : "vec3(0.0)") + ";\n";
        if (k.normalize) s += "    if (dot(normal, normal) > 0.0) normal = normalize(normal);\n";
        if (k.lighting) s += lightingCode(k);
    }
    s += texCoordCode(k);
    const string depth = rhw ? "w" : ((k.fogFormula & 4) ? "length(eye.xyz)" : "eye.z");
    switch (k.fog) {
    case kTableFog: s += "    vFog = " + depth + ";\n"; break;
    case kVertexFog: s += "    vFog = " + fogFactor(k.fogFormula, depth) + ";\n"; break;
    case kSuppliedFog: s += "    vFog = specular.a;\n"; break;
    default: s += "    vFog = 1.0;\n"; break;
    }
    s += string("    gl_PointSize = clamp(") + (k.vertexPointSize ? "aPointSize" : "pointSize.x") +
         ", pointSize.y, pointSize.z);\n";
    s += "    vDiffuse = clamp(diffuse, 0.0, 1.0);\n    vSpecular = clamp(specular, 0.0, 1.0);\n}\n";
    return s;
}

string shaderVertexSource(const ProgramKey& k, const VertexShader& vs) {
    string s = "#version 330 core\n";
    s += kToGl;
    s += kFogUniforms;
    s += vs.glsl();
    s += varyings(k, "out");
    s += "void main() {\n"
         "    oPos = vec4(0.0, 0.0, 0.0, 1.0);\n    oD0 = vec4(1.0);\n    oD1 = vec4(0.0);\n"
         "    for (int i = 0; i < 8; ++i) oT[i] = vec4(0.0, 0.0, 0.0, 1.0);\n"
         "    oFog = vec4(1.0);\n    oPts = vec4(pointSize.x);\n"
         "    vsMain();\n"
         "    gl_Position = toGl(oPos);\n"
         "    gl_PointSize = clamp(oPts.x, pointSize.y, pointSize.z);\n"
         "    vDiffuse = clamp(oD0, 0.0, 1.0);\n    vSpecular = clamp(oD1, 0.0, 1.0);\n";
    switch (k.fog) {
    case kTableFog: s += "    vFog = oPos.w;\n"; break;
    case kVertexFog:
    case kSuppliedFog: s += "    vFog = clamp(oFog.x, 0.0, 1.0);\n"; break;
    default: s += "    vFog = 1.0;\n"; break;
    }
    for (int i = 0; i < 8; ++i)
        s += "    vTex[" + to_string(i) + "] = oT[" + to_string(k.stages[i].coordIndex) + "];\n";
    s += "}\n";
    return s;
}

string argument(std::uint8_t arg, int stage) {
    string base;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: base = "diffuse"; break;
    case D3DTA_CURRENT: base = "current"; break;
    case D3DTA_TEXTURE: base = "tex" + to_string(stage); break;
    case D3DTA_TFACTOR: base = "tfactor"; break;
    case D3DTA_SPECULAR: base = "specular"; break;
    case D3DTA_TEMP: base = "temp"; break;
    case D3DTA_CONSTANT: base = "stageConstant[" + to_string(stage) + "]"; break;
    default: base = "current"; break;
    }
    if (arg & D3DTA_ALPHAREPLICATE) base = "vec4(" + base + ".a)";
    if (arg & D3DTA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
    return base;
}

// One texture operation on the colour (".rgb") or alpha (".a") of its arguments.
string operation(std::uint8_t op, const string& a1, const string& a2, const string& a0, const char* part, int stage) {
    const string x1 = "(" + a1 + ")" + part, x2 = "(" + a2 + ")" + part, x0 = "(" + a0 + ")" + part;
    const string tex = "tex" + to_string(stage);
    switch (op) {
    case D3DTOP_SELECTARG1: return x1;
    case D3DTOP_SELECTARG2: return x2;
    case D3DTOP_MODULATE: return x1 + " * " + x2;
    case D3DTOP_MODULATE2X: return x1 + " * " + x2 + " * 2.0";
    case D3DTOP_MODULATE4X: return x1 + " * " + x2 + " * 4.0";
    case D3DTOP_ADD: return x1 + " + " + x2;
    case D3DTOP_ADDSIGNED: return x1 + " + " + x2 + " - 0.5";
    case D3DTOP_ADDSIGNED2X: return "(" + x1 + " + " + x2 + " - 0.5) * 2.0";
    case D3DTOP_SUBTRACT: return x1 + " - " + x2;
    case D3DTOP_ADDSMOOTH: return x1 + " + " + x2 + " - " + x1 + " * " + x2;
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + x2 + ", " + x1 + ", diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + x2 + ", " + x1 + ", " + tex + ".a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + x2 + ", " + x1 + ", tfactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return x1 + " + " + x2 + " * (1.0 - " + tex + ".a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + x2 + ", " + x1 + ", current.a)";
    case D3DTOP_PREMODULATE: return x1;
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return x1 + " + (" + a1 + ").a * " + x2;
    case D3DTOP_MODULATECOLOR_ADDALPHA: return x1 + " * " + x2 + " + (" + a1 + ").a";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return "(1.0 - (" + a1 + ").a) * " + x2 + " + " + x1;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return "(1.0 - " + x1 + ") * " + x2 + " + (" + a1 + ").a";
    case D3DTOP_DOTPRODUCT3: {
        const string d = "clamp(dot((" + a1 + ").rgb - 0.5, (" + a2 + ").rgb - 0.5) * 4.0, 0.0, 1.0)";
        return string(part) == ".a" ? d : "vec3(" + d + ")";
    }
    case D3DTOP_MULTIPLYADD: return x0 + " + " + x1 + " * " + x2;
    case D3DTOP_LERP: return "mix(" + x2 + ", " + x1 + ", " + x0 + ")";
    default: return "current" + string(part);  // bump mapping: not available, the stage passes through
    }
}

// Operations whose result stays within 0..1 when their arguments do.
bool staysInRange(std::uint8_t op) {
    switch (op) {
    case D3DTOP_SELECTARG1:
    case D3DTOP_SELECTARG2:
    case D3DTOP_MODULATE:
    case D3DTOP_ADDSMOOTH:
    case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDFACTORALPHA:
    case D3DTOP_BLENDCURRENTALPHA:
    case D3DTOP_PREMODULATE:
    case D3DTOP_DOTPRODUCT3:
    case D3DTOP_LERP: return true;
    default: return false;
    }
}

string fragmentSourceOf(const ProgramKey& k) {
    string s = "#version 330 core\n";
    s += varyings(k, "in");
    for (int i = 0; i < k.stageCount; ++i)
        if (k.stages[i].texture) s += "uniform sampler2D texture" + to_string(i) + ";\n";
    s += "uniform vec4 tfactor;\nuniform vec4 stageConstant[8];\nuniform float alphaRef;\n";
    s += kFogUniforms;
    s += "out vec4 fragColor;\n";
    s += "void main() {\n"
         "    vec4 diffuse = vDiffuse;\n    vec4 specular = vSpecular;\n"
         "    vec4 current = diffuse;\n    vec4 temp = vec4(0.0);\n";
    for (int i = 0; i < k.stageCount; ++i) {
        const StageKey& st = k.stages[i];
        const string n = to_string(i);
        string tex = "vec4(1.0)";  // no texture reads as white
        if (st.texture) {
            string coords = "vTex[" + n + "].xy";
            if (k.pointSprite) coords = "gl_PointCoord";
            else if (st.projected) coords = "vTex[" + n + "].xy / vTex[" + n + "][" + to_string(st.projected - 1) + "]";
            tex = "texture(texture" + n + ", " + coords + ")";
        }
        s += "    vec4 tex" + n + " = " + tex + ";\n";
        s += "    {\n";
        s += "        vec3 c = " + operation(st.colorOp, argument(st.colorArg1, i), argument(st.colorArg2, i),
                                            argument(st.colorArg0, i), ".rgb", i) + ";\n";
        if (st.colorOp == D3DTOP_DOTPRODUCT3)
            s += "        float a = c.r;\n";  // the dot product goes to all four channels
        else if (st.alphaOp == D3DTOP_DISABLE || st.alphaOp > D3DTOP_LERP)
            s += "        float a = current.a;\n";
        else
            s += "        float a = " + operation(st.alphaOp, argument(st.alphaArg1, i), argument(st.alphaArg2, i),
                                                 argument(st.alphaArg0, i), ".a", i) + ";\n";
        // Every input lies in 0..1 (unsigned normalised textures, clamped colours, byte constants):
        // only operations that can leave that range pay for a clamp.
        const bool alphaOwn = st.colorOp != D3DTOP_DOTPRODUCT3 && st.alphaOp != D3DTOP_DISABLE && st.alphaOp <= D3DTOP_LERP;
        const string cv = staysInRange(st.colorOp) ? "c" : "clamp(c, 0.0, 1.0)";
        const string av = !alphaOwn || staysInRange(st.alphaOp) ? "a" : "clamp(a, 0.0, 1.0)";
        s += string("        ") + ((st.resultArg & D3DTA_SELECTMASK) == D3DTA_TEMP ? "temp" : "current") +
             " = vec4(" + cv + ", " + av + ");\n";
        s += "    }\n";
    }
    if (k.specular) s += "    current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n";
    if (k.fog == kTableFog)
        s += "    current.rgb = mix(fogColor.rgb, current.rgb, " + fogFactor(k.fogFormula, "vFog") + ");\n";
    else if (k.fog != kNoFog)
        s += "    current.rgb = mix(fogColor.rgb, current.rgb, clamp(vFog, 0.0, 1.0));\n";
    if (k.alphaFunc) {
        static constexpr const char* kCompare[] = {"", "false", "<", "==", "<=", ">", "!=", ">=", "true"};
        const string op = kCompare[k.alphaFunc];
        s += "    float alpha = floor(clamp(current.a, 0.0, 1.0) * 255.0 + 0.5);\n";
        if (op == "false") s += "    discard;\n";
        else if (op != "true") s += "    if (!(alpha " + op + " alphaRef)) discard;\n";
    }
    s += "    fragColor = current;\n}\n";
    return s;
}

GLuint compile(GLenum type, const string& source, string* error) {
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        if (error) *error = string(log) + "\n" + source;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

size_t ProgramKeyHash::operator()(const ProgramKey& k) const {
    // Four bytes at a time: the key is a multiple of four bytes with no padding.
    const auto* bytes = reinterpret_cast<const unsigned char*>(&k);
    std::uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < sizeof k; i += 4) {
        std::uint32_t word;
        std::memcpy(&word, bytes + i, 4);
        h = (h ^ word) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    return size_t(h);
}

std::string ShaderCache::vertexSource(const ProgramKey& key, const VertexShader* vs) {
    return key.shaderId && vs ? shaderVertexSource(key, *vs) : fixedVertexSource(key);
}

std::string ShaderCache::fragmentSource(const ProgramKey& key) { return fragmentSourceOf(key); }

ShaderCache::~ShaderCache() {
    for (auto& [key, program] : programs) glDeleteProgram(program->id);
}

Program* ShaderCache::get(const ProgramKey& key, const VertexShader* vs, std::string* error) {
    // Drawables alternate between a few programs (an overlay, a panel, a line): those are found
    // among the last ones used before the table is asked.
    for (const Recent& r : recent)
        if (r.program && r.key == key) return r.program;
    auto found = programs.find(key);
    if (found != programs.end()) return remember(key, found->second.get());
    if (key.shaderId && !vs) return nullptr;
    GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource(key, vs), error);
    GLuint fragment = vertex ? compile(GL_FRAGMENT_SHADER, fragmentSource(key), error) : 0;
    if (!vertex || !fragment) {
        if (vertex) glDeleteShader(vertex);
        return nullptr;
    }
    auto p = std::make_unique<Program>();
    p->id = glCreateProgram();
    glAttachShader(p->id, vertex);
    glAttachShader(p->id, fragment);
    glLinkProgram(p->id);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(p->id, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(p->id, sizeof log, nullptr, log);
        if (error) *error = log;
        glDeleteProgram(p->id);
        return nullptr;
    }
    auto at = [&](const char* name) { return glGetUniformLocation(p->id, name); };
    p->worldView = at("worldView");
    p->projection = at("projection");
    p->normalMatrix = at("normalMatrix");
    p->viewport = at("viewport");
    p->yFlip = at("yFlip");
    p->depthRange = at("depthRange");
    p->texMatrix = at("texMatrix");
    p->material = at("material");
    p->materialPower = at("materialPower");
    p->ambient = at("ambient");
    p->lightDiffuse = at("lightDiffuse");
    p->lightSpecular = at("lightSpecular");
    p->lightAmbient = at("lightAmbient");
    p->lightPosition = at("lightPosition");
    p->lightDirection = at("lightDirection");
    p->lightAttenuation = at("lightAttenuation");
    p->lightSpot = at("lightSpot");
    p->tfactor = at("tfactor");
    p->stageConstant = at("stageConstant");
    p->alphaRef = at("alphaRef");
    p->pointSize = at("pointSize");
    p->constants = at("c");
    p->fogColor = at("fogColor");
    p->fogParameters = at("fogParameters");
    glUseProgram(p->id);
    for (int i = 0; i < 8; ++i) {
        GLint sampler = at(("texture" + std::to_string(i)).c_str());
        if (sampler >= 0) glUniform1i(sampler, i);
    }
    Program* result = p.get();
    programs.emplace(key, std::move(p));
    return remember(key, result);
}

Program* ShaderCache::remember(const ProgramKey& key, Program* program) {
    recent[nextRecent] = {key, program};
    nextRecent = (nextRecent + 1) % recent.size();
    return program;
}

}  // namespace d3d9
