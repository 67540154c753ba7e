// vs_1_1 token streams to GLSL. The stream is read in two passes: the first checks every token
// and gathers declarations and constants (a `def` counts for the whole program wherever it
// stands), the second writes one GLSL statement per instruction.
#include "platform/d3d9/VertexShader.h"

#include <array>
#include <atomic>
#include <cstring>
#include <map>
#include <vector>

namespace d3d9 {

namespace {

enum Opcode : DWORD {
    kNop = 0, kMov = 1, kAdd = 2, kSub = 3, kMad = 4, kMul = 5, kRcp = 6, kRsq = 7, kDp3 = 8, kDp4 = 9,
    kMin = 10, kMax = 11, kSlt = 12, kSge = 13, kExp = 14, kLog = 15, kLit = 16, kDst = 17, kFrc = 19,
    kM4x4 = 20, kM4x3 = 21, kM3x4 = 22, kM3x3 = 23, kM3x2 = 24, kDcl = 31, kMova = 46, kExpp = 78,
    kLogp = 79, kDef = 81, kComment = 0xfffe, kEnd = 0xffff,
};

enum RegisterType : int { kTemp = 0, kInput = 1, kConst = 2, kAddress = 3, kRastOut = 4, kAttrOut = 5, kTexCrdOut = 6 };

constexpr DWORD kVersion11 = 0xFFFE0101, kVersion10 = 0xFFFE0100;

int sourceCount(DWORD op) {
    switch (op) {
    case kNop: return 0;
    case kMov: case kRcp: case kRsq: case kExp: case kLog: case kLit: case kFrc: case kMova: case kExpp: case kLogp:
        return 1;
    case kAdd: case kSub: case kMul: case kDp3: case kDp4: case kMin: case kMax: case kSlt: case kSge: case kDst:
    case kM4x4: case kM4x3: case kM3x4: case kM3x3: case kM3x2:
        return 2;
    case kMad: return 3;
    default: return -1;
    }
}

int registerType(DWORD t) { return int(((t >> 28) & 7) | ((t >> 8) & 0x18)); }
int registerNumber(DWORD t) { return int(t & 0x7ff); }
bool relative(DWORD t) { return (t >> 13) & 1; }

struct Instruction {
    DWORD opcode = 0;
    DWORD destination = 0;
    std::array<DWORD, 3> sources{};
    int sourceCount = 0;
};

class Translator {
public:
    Translator(const DWORD* t, size_t n) : tokens(t), count(n) {}

    bool run(std::string* glsl, std::string* error) {
        bool ok = read() && write(glsl);
        if (!ok && error) *error = problem;
        return ok;
    }

private:
    bool fail(const std::string& why) {
        problem = why + " at token " + std::to_string(position);
        return false;
    }
    bool next(DWORD* t) {
        if (position >= count) return fail("stream ends without an end token");
        *t = tokens[position++];
        return true;
    }

    bool checkDestination(DWORD t, DWORD op) {
        if (!(t & 0x80000000u)) return fail("bad destination token");
        const int type = registerType(t), n = registerNumber(t);
        if (relative(t)) return fail("relative destination");
        if (((t >> 16) & 0xf) == 0) return fail("empty write mask");
        if ((t >> 20) & 0xe) return fail("unsupported result modifier");
        if ((t >> 24) & 0xf) return fail("result shift");
        switch (type) {
        case kTemp: return n < 12 || fail("temporary register out of range");
        case kAddress:
            if (op != kMov && op != kMova) return fail("a0 written by an arithmetic instruction");
            return n == 0 || fail("address register out of range");
        case kRastOut: return n < 3 || fail("rasteriser output out of range");
        case kAttrOut: return n < 2 || fail("colour output out of range");
        case kTexCrdOut: return n < 8 || fail("texture coordinate output out of range");
        default: return fail("register type cannot be written");
        }
    }

    bool checkSource(DWORD t) {
        if (!(t & 0x80000000u)) return fail("bad source token");
        const int type = registerType(t), n = registerNumber(t);
        const DWORD modifier = (t >> 24) & 0xf;
        if (modifier > 1) return fail("unsupported source modifier");
        if (relative(t) && type != kConst) return fail("relative addressing outside constants");
        if (relative(t)) usesAddress = true;
        switch (type) {
        case kTemp: return n < 12 || fail("temporary register out of range");
        case kInput:
            if (n >= 16 || !declared[n]) return fail("input register not declared");
            return true;
        case kConst: return n < 256 || fail("constant register out of range");
        default: return fail("register type cannot be read");
        }
    }

    bool read() {
        DWORD version = 0;
        if (!next(&version)) return false;
        if (version != kVersion11 && version != kVersion10) return fail("not a vs_1_1 stream");
        int slots = 0;
        // Sources are checked once every declaration is known.
        for (;;) {
            DWORD token = 0;
            if (!next(&token)) return false;
            const DWORD op = token & 0xffff;
            if (op == kEnd) {
                if (token != 0x0000ffff) return fail("bad end token");
                break;
            }
            if (op == kComment) {
                const size_t length = (token >> 16) & 0x7fff;
                if (length > count - position) return fail("comment runs past the stream");
                position += length;
                continue;
            }
            if (token & 0x80000000u) return fail("parameter token where an instruction was expected");
            const DWORD length = (token >> 24) & 0xf;
            if (op == kDcl) {
                DWORD usage = 0, reg = 0;
                if ((length && length != 2) || !next(&usage) || !next(&reg)) return length && length != 2 ? fail("bad dcl length") : false;
                if (!(usage & 0x80000000u) || !(reg & 0x80000000u)) return fail("bad dcl token");
                if (registerType(reg) != kInput || registerNumber(reg) >= 16) return fail("dcl of a non-input register");
                const int n = registerNumber(reg);
                declared[n] = true;
                inputs[n] = location(usage & 0x1f, (usage >> 16) & 0xf);
                continue;
            }
            if (op == kDef) {
                DWORD reg = 0;
                if (length && length != 5) return fail("bad def length");
                if (!next(&reg)) return false;
                if (!(reg & 0x80000000u) || registerType(reg) != kConst || registerNumber(reg) >= 256)
                    return fail("def of a non-constant register");
                std::array<float, 4> v{};
                for (float& f : v) {
                    DWORD bits = 0;
                    if (!next(&bits)) return false;
                    std::memcpy(&f, &bits, 4);
                }
                defs[registerNumber(reg)] = v;
                continue;
            }
            const int sources = sourceCount(op);
            if (sources < 0) return fail("unknown opcode " + std::to_string(op));
            if (length && int(length) != sources + (op == kNop ? 0 : 1)) return fail("bad instruction length");
            if (++slots > VertexShader::kMaxInstructions) return fail("too many instructions");
            Instruction in;
            in.opcode = op;
            in.sourceCount = sources;
            if (op != kNop) {
                if (!next(&in.destination) || !checkDestination(in.destination, op)) return false;
                for (int s = 0; s < sources; ++s) {
                    // The marker bit is checked at once, so a stream cut short stops at its end token.
                    if (!next(&in.sources[s])) return false;
                    if (!(in.sources[s] & 0x80000000u)) return fail("bad source token");
                }
            }
            program.push_back(in);
        }
        for (const Instruction& in : program) {
            for (int s = 0; s < in.sourceCount; ++s)
                if (!checkSource(in.sources[s])) return false;
            // A matrix operand names its first row; every row it reaches must exist too.
            const int rows = in.opcode == kM4x4 || in.opcode == kM3x4 ? 4
                             : in.opcode == kM4x3 || in.opcode == kM3x3 ? 3
                             : in.opcode == kM3x2 ? 2 : 1;
            for (int k = 1; k < rows; ++k)
                if (!checkSource(in.sources[1] + DWORD(k))) return fail("matrix rows run out of registers");
        }
        return true;
    }

    static int location(DWORD usage, DWORD index) {  // -1: no vertex element feeds it
        enum { kPositionUsage = 0, kNormalUsage = 3, kPointSizeUsage = 4, kTexCoordUsage = 5, kPositionT = 9, kColor = 10 };
        if ((usage == kPositionUsage || usage == kPositionT) && index == 0) return 0;
        if (usage == kNormalUsage && index == 0) return 1;
        if (usage == kColor && index < 2) return 2 + int(index);
        if (usage == kPointSizeUsage && index == 0) return 4;
        if (usage == kTexCoordUsage && index < 8) return 5 + int(index);
        return -1;
    }

    std::string registerName(int type, int n, bool rel) const {
        switch (type) {
        case kTemp: return "r" + std::to_string(n);
        case kInput: return "v" + std::to_string(n);
        case kConst:
            if (rel) return "cRel(a0.x + " + std::to_string(n) + ")";
            if (defs.count(n)) return "d" + std::to_string(n);
            return "c[" + std::to_string(n) + "]";
        }
        return "r0";
    }

    std::string source(DWORD t) const {
        std::string s = registerName(registerType(t), registerNumber(t), relative(t));
        const DWORD swizzle = (t >> 16) & 0xff;
        if (swizzle != 0xe4) {  // .xyzw is the identity
            s += '.';
            for (int k = 0; k < 4; ++k) s += "xyzw"[(swizzle >> (2 * k)) & 3];
        }
        if (((t >> 24) & 0xf) == 1) s = "(-" + s + ")";
        return s;
    }

    std::string row(DWORD t, int k) const {  // row k of a matrix operand: the k-th register from it
        return registerName(registerType(t), registerNumber(t) + k, relative(t));
    }

    std::string expression(const Instruction& in) const {
        const std::string a = in.sourceCount > 0 ? source(in.sources[0]) : "";
        const std::string b = in.sourceCount > 1 ? source(in.sources[1]) : "";
        const std::string c = in.sourceCount > 2 ? source(in.sources[2]) : "";
        auto dots = [&](int rows, bool four) {
            std::string e = "vec4(";
            for (int k = 0; k < 4; ++k) {
                if (k) e += ", ";
                if (k < rows)
                    e += four ? "dot(" + a + ", " + row(in.sources[1], k) + ")"
                              : "dot((" + a + ").xyz, (" + row(in.sources[1], k) + ").xyz)";
                else
                    e += "0.0";
            }
            return e + ")";
        };
        switch (in.opcode) {
        case kMov: case kMova: return a;
        case kAdd: return a + " + " + b;
        case kSub: return a + " - " + b;
        case kMul: return a + " * " + b;
        case kMad: return a + " * " + b + " + " + c;
        case kRcp: return "zRcp(" + a + ")";
        case kRsq: return "zRsq(" + a + ")";
        case kDp3: return "vec4(dot((" + a + ").xyz, (" + b + ").xyz))";
        case kDp4: return "vec4(dot(" + a + ", " + b + "))";
        case kMin: return "min(" + a + ", " + b + ")";
        case kMax: return "max(" + a + ", " + b + ")";
        case kSlt: return "vec4(lessThan(" + a + ", " + b + "))";
        case kSge: return "vec4(greaterThanEqual(" + a + ", " + b + "))";
        case kExp: return "vec4(exp2((" + a + ").w))";
        case kLog: return "zLog(" + a + ")";
        case kExpp: return "zExpp(" + a + ")";
        case kLogp: return "zLogp(" + a + ")";
        case kLit: return "zLit(" + a + ")";
        case kDst: return "vec4(1.0, (" + a + ").y * (" + b + ").y, (" + a + ").z, (" + b + ").w)";
        case kFrc: return "fract(" + a + ")";
        case kM4x4: return dots(4, true);
        case kM4x3: return dots(3, true);
        case kM3x4: return dots(4, false);
        case kM3x3: return dots(3, false);
        case kM3x2: return dots(2, false);
        }
        return "vec4(0.0)";
    }

    std::string statement(const Instruction& in) const {
        if (in.opcode == kNop) return "";
        const DWORD d = in.destination;
        const int type = registerType(d), n = registerNumber(d);
        std::string mask;
        for (int k = 0; k < 4; ++k)
            if ((d >> (16 + k)) & 1) mask += "xyzw"[k];
        std::string e = "(" + expression(in) + ")";
        if ((d >> 20) & 1) e = "clamp(" + e + ", 0.0, 1.0)";
        if (type == kAddress)  // vs_1_1 mov truncates towards minus infinity, mova rounds
            return "    a0." + mask + " = ivec4(floor(" + e + (in.opcode == kMova ? " + 0.5" : "") + "))." + mask + ";\n";
        std::string target;
        switch (type) {
        case kTemp: target = "r" + std::to_string(n); break;
        case kRastOut: target = n == 0 ? "oPos" : n == 1 ? "oFog" : "oPts"; break;
        case kAttrOut: target = "oD" + std::to_string(n); break;
        case kTexCrdOut: target = "oT[" + std::to_string(n) + "]"; break;
        }
        if (mask == "xyzw") return "    " + target + " = " + e + ";\n";
        return "    " + target + "." + mask + " = " + e + "." + mask + ";\n";
    }

    bool write(std::string* glsl) {
        std::string s;
        std::array<bool, 16> locationDeclared{};
        for (int n = 0; n < 16; ++n)
            if (declared[n] && inputs[n] >= 0 && !locationDeclared[inputs[n]]) {
                locationDeclared[inputs[n]] = true;
                s += "layout(location = " + std::to_string(inputs[n]) + ") in vec4 attribute" +
                     std::to_string(inputs[n]) + ";\n";
            }
        s += "uniform vec4 c[256];\n";
        s += "vec4 oPos;\nvec4 oD0;\nvec4 oD1;\nvec4 oT[8];\nvec4 oFog;\nvec4 oPts;\n";
        for (auto& [n, v] : defs) {
            char text[200];
            std::snprintf(text, sizeof text, "const vec4 d%d = vec4(%.9g, %.9g, %.9g, %.9g);\n", n, v[0], v[1], v[2], v[3]);
            s += text;
        }
        s += "vec4 cRel(int i) {\n";
        for (auto& [n, v] : defs) s += "    if (i == " + std::to_string(n) + ") return d" + std::to_string(n) + ";\n";
        s += "    return i >= 0 && i < 256 ? c[i] : vec4(0.0);\n}\n";
        s += "vec4 zRcp(vec4 s) { return vec4(s.w == 1.0 ? 1.0 : 1.0 / s.w); }\n"
             "vec4 zRsq(vec4 s) { float w = abs(s.w); return vec4(w == 1.0 ? 1.0 : inversesqrt(w)); }\n"
             "vec4 zLog(vec4 s) { float v = abs(s.w); return vec4(v == 0.0 ? -3.4028235e38 : log2(v)); }\n"
             "vec4 zExpp(vec4 s) { float f = floor(s.w); return vec4(exp2(f), s.w - f, exp2(s.w), 1.0); }\n"
             "vec4 zLogp(vec4 s) {\n"
             "    float v = abs(s.w);\n"
             "    if (v == 0.0) return vec4(-3.4028235e38, -3.4028235e38, -3.4028235e38, 1.0);\n"
             "    float e = floor(log2(v));\n"
             "    return vec4(e, v / exp2(e), log2(v), 1.0);\n"
             "}\n"
             "vec4 zLit(vec4 s) {\n"
             "    vec4 r = vec4(1.0, 0.0, 0.0, 1.0);\n"
             "    if (s.x > 0.0) {\n"
             "        r.y = s.x;\n"
             "        if (s.y > 0.0) r.z = pow(s.y, clamp(s.w, -127.9961, 127.9961));\n"
             "    }\n"
             "    return r;\n"
             "}\n";
        s += "void vsMain() {\n";
        for (int n = 0; n < 12; ++n) s += "    vec4 r" + std::to_string(n) + " = vec4(0.0);\n";
        s += "    ivec4 a0 = ivec4(0);\n";
        for (int n = 0; n < 16; ++n)
            if (declared[n])
                s += "    vec4 v" + std::to_string(n) + " = " +
                     (inputs[n] >= 0 ? "attribute" + std::to_string(inputs[n]) : std::string("vec4(0.0, 0.0, 0.0, 1.0)")) +
                     ";\n";
        for (const Instruction& in : program) s += statement(in);
        s += "}\n";
        *glsl = s;
        return true;
    }

    const DWORD* tokens;
    size_t count;
    size_t position = 0;
    std::string problem;
    std::array<bool, 16> declared{};
    std::array<int, 16> inputs{};
    std::map<int, std::array<float, 4>> defs;
    std::vector<Instruction> program;
    bool usesAddress = false;
};

std::atomic<std::uint32_t> nextShaderId{1};

}  // namespace

bool VertexShader::translate(const DWORD* tokens, size_t tokenCount, std::string* glsl, std::string* error) {
    if (!tokens || tokenCount == 0) {
        if (error) *error = "no tokens";
        return false;
    }
    std::string text;
    if (!Translator(tokens, std::min(tokenCount, kMaxTokens)).run(&text, error)) return false;
    if (glsl) *glsl = std::move(text);
    return true;
}

HRESULT VertexShader::create(const DWORD* tokens, size_t tokenCount, ComRef<IDirect3DVertexShader9>* shader,
                             std::string* error) {
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    std::string glsl;
    if (!translate(tokens, tokenCount, &glsl, error)) return D3DERR_INVALIDCALL;
    auto* vs = new VertexShader;
    vs->shaderId = nextShaderId++;
    vs->source = std::move(glsl);
    *shader = ComRef<IDirect3DVertexShader9>::adopt(vs);
    return D3D_OK;
}

}  // namespace d3d9
