// vs_1_1 vertex shaders: each instruction's result on the device against the same instruction
// computed here on the CPU, registers, swizzles, masks, relative addressing, outputs, and token
// streams the device must refuse.
#include "platform/d3d9/DrawHelpers.h"
#include "support/TestDevice.h"

#include "platform/d3d9/VertexShader.h"
#include "support/TestPaths.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

using namespace d3d9test;

namespace {

using Vec = std::array<float, 4>;

enum Reg : DWORD { kTemp = 0, kInput = 1, kConst = 2, kAddr = 3, kRast = 4, kAttr = 5, kTexOut = 6 };
constexpr DWORD kVersion = 0xFFFE0101, kEnd = 0x0000FFFF;
constexpr DWORD kIdentity = 0xe4;  // .xyzw

DWORD reg(Reg type, DWORD n) { return 0x80000000u | (DWORD(type) & 7) << 28 | (DWORD(type) & 0x18) << 8 | n; }
DWORD dst(Reg type, DWORD n, DWORD mask = 0xf) { return reg(type, n) | mask << 16; }
DWORD src(Reg type, DWORD n, DWORD swizzle = kIdentity, bool negate = false, bool relative = false) {
    return reg(type, n) | swizzle << 16 | (negate ? 1u << 24 : 0) | (relative ? 1u << 13 : 0);
}
constexpr DWORD swizzle(int x, int y, int z, int w) { return DWORD(x | y << 2 | z << 4 | w << 6); }
constexpr DWORD kX = swizzle(0, 0, 0, 0);

struct Program {
    std::vector<DWORD> tokens{kVersion};
    Program& op(DWORD opcode, std::initializer_list<DWORD> params) {
        tokens.push_back(opcode);
        tokens.insert(tokens.end(), params);
        return *this;
    }
    Program& dcl(DWORD usage, DWORD index, DWORD input) {
        return op(31, {0x80000000u | usage | index << 16, dst(kInput, input)});
    }
    Program& def(DWORD c, Vec v) {
        return op(81, {dst(kConst, c), std::bit_cast<DWORD>(v[0]), std::bit_cast<DWORD>(v[1]),
                       std::bit_cast<DWORD>(v[2]), std::bit_cast<DWORD>(v[3])});
    }
    std::vector<DWORD> end() const {
        std::vector<DWORD> t = tokens;
        t.push_back(kEnd);
        return t;
    }
};

enum Op : DWORD {
    MOV = 1, ADD = 2, SUB = 3, MAD = 4, MUL = 5, RCP = 6, RSQ = 7, DP3 = 8, DP4 = 9, MIN = 10, MAX = 11, SLT = 12,
    SGE = 13, EXP = 14, LOG = 15, LIT = 16, DST = 17, FRC = 19, M4X4 = 20, M4X3 = 21, M3X4 = 22, M3X3 = 23,
    M3X2 = 24, MOVA = 46, EXPP = 78, LOGP = 79,
};

// The shader's r0 goes out as the colour scaled into 0..1: oD0 = r0 * c7.x + c7.y.
Program withResult(const std::function<void(Program&)>& body) {
    Program p;
    p.dcl(0, 0, 0);  // dcl_position v0
    p.op(MOV, {dst(kRast, 0), src(kInput, 0)});
    body(p);
    p.op(MAD, {dst(kAttr, 0), src(kTemp, 0), src(kConst, 7, kX), src(kConst, 7, swizzle(1, 1, 1, 1))});
    return p;
}

class ShaderRun {
public:
    ShaderRun() : t(8, 8) {
        noLighting(t.get());
        t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        t->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        t->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        t->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target);
        target->GetSurfaceLevel(0, &surface);
        t->SetRenderTarget(0, surface.get());
    }
    void constant(UINT n, Vec v) { ASSERT_EQ(t->SetVertexShaderConstantF(n, v.data(), 1), D3D_OK); }
    // Draws a full-target quad with the program and reads the centre as four 0..1 values.
    Vec run(const Program& p) {
        ComRef<IDirect3DVertexShader9> shader;
        std::vector<DWORD> tokens = p.end();
        EXPECT_EQ(t->CreateVertexShader(tokens.data(), &shader), D3D_OK);
        if (!shader) return {-1, -1, -1, -1};
        t->SetVertexShader(shader.get());
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
        drawClipQuad(t.get(), 0xffffffff);
        t->SetVertexShader(nullptr);
        DWORD c = t.pixel(4, 4);
        return {((c >> 16) & 0xff) / 255.0f, ((c >> 8) & 0xff) / 255.0f, (c & 0xff) / 255.0f, (c >> 24) / 255.0f};
    }
    TestDevice t;
    ComRef<IDirect3DTexture9> target;
    ComRef<IDirect3DSurface9> surface;
};

::testing::AssertionResult near4(Vec got, Vec expected, float scale, float bias, const char* what) {
    for (int i = 0; i < 4; ++i) {
        float e = std::fmin(std::fmax(expected[i] * scale + bias, 0.0f), 1.0f);
        if (std::fabs(got[i] - e) > 1.5f / 255) {
            return ::testing::AssertionFailure() << what << ": component " << i << " got " << got[i] << " expected "
                                                 << e << " (raw " << expected[i] << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

float dot3(Vec a, Vec b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
float dot4(Vec a, Vec b) { return dot3(a, b) + a[3] * b[3]; }
Vec all(float v) { return {v, v, v, v}; }

}  // namespace

TEST(VertexShaders, EveryInstructionMatchesTheCpu) {
    ShaderRun r;
    const Vec A{0.75f, -0.5f, 0.25f, 1.5f}, B{0.5f, 0.25f, -1.0f, 2.0f}, C{0.125f, 0.5f, 0.375f, -0.25f};
    r.constant(4, A);
    r.constant(5, B);
    r.constant(6, C);
    const float scale = 0.25f, bias = 0.5f;  // maps -2 .. 2 to 0 .. 1
    r.constant(7, {scale, bias, 0, 0});
    const Vec rows[4] = {{0.5f, 0.25f, -0.5f, 0.125f}, {-0.25f, 0.5f, 0.75f, 0.5f}, {1, 0, 0.5f, -0.5f}, {0.25f, 0.25f, 0.25f, 0.25f}};
    for (int i = 0; i < 4; ++i) r.constant(8 + i, rows[i]);
    const DWORD a = src(kConst, 4), b = src(kConst, 5), c = src(kConst, 6), r0 = dst(kTemp, 0);
    auto binary = [&](Op op) { return withResult([&](Program& p) { p.op(op, {r0, a, b}); }); };
    auto unary = [&](Op op, DWORD s) { return withResult([&](Program& p) { p.op(op, {r0, s}); }); };
    auto each = [](Vec x, Vec y, float (*f)(float, float)) {
        return Vec{f(x[0], y[0]), f(x[1], y[1]), f(x[2], y[2]), f(x[3], y[3])};
    };
    struct Case {
        const char* name;
        Program program;
        Vec expected;
    };
    const float w = A[3];
    std::vector<Case> cases = {
        {"mov", unary(MOV, a), A},
        {"add", binary(ADD), each(A, B, [](float x, float y) { return x + y; })},
        {"sub", binary(SUB), each(A, B, [](float x, float y) { return x - y; })},
        {"mul", binary(MUL), each(A, B, [](float x, float y) { return x * y; })},
        {"mad", withResult([&](Program& p) { p.op(MAD, {r0, a, b, c}); }),
         Vec{A[0] * B[0] + C[0], A[1] * B[1] + C[1], A[2] * B[2] + C[2], A[3] * B[3] + C[3]}},
        {"dp3", binary(DP3), all(dot3(A, B))},
        {"dp4", binary(DP4), all(dot4(A, B))},
        {"min", binary(MIN), each(A, B, [](float x, float y) { return std::fmin(x, y); })},
        {"max", binary(MAX), each(A, B, [](float x, float y) { return std::fmax(x, y); })},
        {"slt", binary(SLT), each(A, B, [](float x, float y) { return x < y ? 1.0f : 0.0f; })},
        {"sge", binary(SGE), each(A, B, [](float x, float y) { return x >= y ? 1.0f : 0.0f; })},
        {"rcp", unary(RCP, src(kConst, 5, swizzle(3, 3, 3, 3))), all(1 / B[3])},
        {"rsq", unary(RSQ, src(kConst, 5, swizzle(2, 2, 2, 2))), all(1 / std::sqrt(std::fabs(B[2])))},
        {"exp", unary(EXP, src(kConst, 4, swizzle(1, 1, 1, 1))), all(std::exp2(A[1]))},
        {"log", unary(LOG, src(kConst, 4, swizzle(3, 3, 3, 3))), all(std::log2(std::fabs(w)))},
        {"expp", unary(EXPP, a), Vec{std::exp2(std::floor(w)), w - std::floor(w), std::exp2(w), 1}},
        {"logp", unary(LOGP, a),
         Vec{std::floor(std::log2(w)), w / std::exp2(std::floor(std::log2(w))), std::log2(w), 1}},
        {"lit", unary(LIT, src(kConst, 6, swizzle(2, 1, 0, 3))),  // (0.375, 0.5, 0.125, -0.25)
         Vec{1, 0.375f, std::pow(0.5f, -0.25f) , 1}},
        {"dst", binary(DST), Vec{1, A[1] * B[1], A[2], B[3]}},
        {"frc", unary(FRC, a), each(A, A, [](float x, float) { return x - std::floor(x); })},
        {"m4x4", withResult([&](Program& p) { p.op(M4X4, {r0, a, src(kConst, 8)}); }),
         Vec{dot4(A, rows[0]), dot4(A, rows[1]), dot4(A, rows[2]), dot4(A, rows[3])}},
        {"m4x3", withResult([&](Program& p) { p.op(MOV, {r0, c}).op(M4X3, {dst(kTemp, 0, 7), a, src(kConst, 8)}); }),
         Vec{dot4(A, rows[0]), dot4(A, rows[1]), dot4(A, rows[2]), C[3]}},
        {"m3x4", withResult([&](Program& p) { p.op(M3X4, {r0, a, src(kConst, 8)}); }),
         Vec{dot3(A, rows[0]), dot3(A, rows[1]), dot3(A, rows[2]), dot3(A, rows[3])}},
        {"m3x3", withResult([&](Program& p) { p.op(MOV, {r0, c}).op(M3X3, {dst(kTemp, 0, 7), a, src(kConst, 8)}); }),
         Vec{dot3(A, rows[0]), dot3(A, rows[1]), dot3(A, rows[2]), C[3]}},
        {"m3x2", withResult([&](Program& p) { p.op(MOV, {r0, c}).op(M3X2, {dst(kTemp, 0, 3), a, src(kConst, 8)}); }),
         Vec{dot3(A, rows[0]), dot3(A, rows[1]), C[2], C[3]}},
        {"negated swizzle", unary(MOV, src(kConst, 4, swizzle(3, 2, 1, 0), true)), Vec{-A[3], -A[2], -A[1], -A[0]}},
        {"write mask", withResult([&](Program& p) { p.op(MOV, {r0, c}).op(MOV, {dst(kTemp, 0, 5), a}); }),
         Vec{A[0], C[1], A[2], C[3]}},
        {"temporaries", withResult([&](Program& p) {
             p.op(ADD, {dst(kTemp, 11), a, b}).op(MUL, {r0, src(kTemp, 11), c});
         }),
         Vec{(A[0] + B[0]) * C[0], (A[1] + B[1]) * C[1], (A[2] + B[2]) * C[2], (A[3] + B[3]) * C[3]}},
    };
    for (const Case& k : cases) EXPECT_TRUE(near4(r.run(k.program), k.expected, scale, bias, k.name));
}

TEST(VertexShaders, AddressRegisterAndLocalConstants) {
    ShaderRun r;
    r.constant(7, {1, 0, 0, 0});
    r.constant(4, {2.4f, 2.6f, 0, 0});
    const Vec table[4] = {{0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f, 0.7f}};
    for (int i = 0; i < 4; ++i) r.constant(20 + i, table[i]);
    // mova rounds: 2.6 -> 3; mov to a0 (vs_1_1) truncates down: 2.6 -> 2.
    Program rounded = withResult([&](Program& p) {
        p.op(MOVA, {dst(kAddr, 0, 1), src(kConst, 4, swizzle(1, 1, 1, 1))})
            .op(MOV, {dst(kTemp, 0), src(kConst, 20, kIdentity, false, true)});
    });
    EXPECT_TRUE(near4(r.run(rounded), table[3], 1, 0, "mova"));
    Program floored = withResult([&](Program& p) {
        p.op(MOV, {dst(kAddr, 0, 1), src(kConst, 4, swizzle(1, 1, 1, 1))})
            .op(MOV, {dst(kTemp, 0), src(kConst, 19, kIdentity, false, true)});
    });
    EXPECT_TRUE(near4(r.run(floored), table[1], 1, 0, "mov a0"));
    // def overrides what SetVertexShaderConstantF put in the same register, also when reached
    // through a0.
    Program local = withResult([&](Program& p) {
        p.def(21, {0.25f, 0.5f, 0.75f, 1}).op(MOV, {dst(kAddr, 0, 1), src(kConst, 4, kX)})
            .op(ADD, {dst(kTemp, 0), src(kConst, 21), src(kConst, 19, kIdentity, false, true)});
    });
    EXPECT_TRUE(near4(r.run(local), {0.5f, 1.0f, 1.5f, 2.0f}, 1, 0, "def"));  // colours saturate
    // Out-of-range relative reads give 0.
    r.constant(4, {-40, 0, 0, 0});
    Program outside = withResult([&](Program& p) {
        p.op(MOV, {dst(kAddr, 0, 1), src(kConst, 4, kX)}).op(MOV, {dst(kTemp, 0), src(kConst, 20, kIdentity, false, true)});
    });
    EXPECT_TRUE(near4(r.run(outside), {0, 0, 0, 0}, 1, 0, "outside"));
}

TEST(VertexShaders, TransformsAndFeedsTheStages) {
    TestDevice t(16, 16);
    noLighting(t.get());
    // v0 position, v1 colour, v2 texcoord; oPos = v0 * c0..c3 (rows as dp4 against columns).
    Program p;
    p.dcl(0, 0, 0).dcl(10, 0, 1).dcl(5, 0, 2);
    p.op(M4X4, {dst(kRast, 0), src(kInput, 0), src(kConst, 0)});
    p.op(MOV, {dst(kAttr, 0), src(kInput, 1)});
    p.op(MOV, {dst(kAttr, 1), src(kConst, 4)});
    p.op(ADD, {dst(kTexOut, 0), src(kInput, 2), src(kConst, 5)});
    ComRef<IDirect3DVertexShader9> shader;
    std::vector<DWORD> tokens = p.end();
    ASSERT_EQ(t->CreateVertexShader(tokens.data(), &shader), D3D_OK);
    // Scale x and y by 0.5: the quad covers the middle 8x8 pixels.
    const float m[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    t->SetVertexShaderConstantF(0, m, 4);
    const float specular[4] = {0.25f, 0, 0, 0}, shift[4] = {0.5f, 0, 0, 0};
    t->SetVertexShaderConstantF(4, specular, 1);
    t->SetVertexShaderConstantF(5, shift, 1);
    ComRef<IDirect3DTexture9> tex = makeTexture(t.get(), 2, 1, D3DFMT_X8R8G8B8, {0x000000ff, 0x0000ff00});
    t->SetTexture(0, tex.get());
    t->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    t->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    t->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    ASSERT_EQ(t->SetVertexShader(shader.get()), D3D_OK);
    struct V {
        float x, y, z;
        DWORD color;
        float u, v;
    } q[4] = {{-1, 1, 0.5f, 0xff400000, 0, 0}, {1, 1, 0.5f, 0xff400000, 0.5f, 0},
              {-1, -1, 0.5f, 0xff400000, 0, 1}, {1, -1, 0.5f, 0xff400000, 0.5f, 1}};
    t->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V)), D3D_OK);
    // u + 0.5 lands in the second (green) texel; colour 0x40 red; specular 0.25 red added after.
    EXPECT_TRUE(colorNear(t.pixel(8, 8), 0x80ff00, 2));
    EXPECT_EQ(t.pixel(3, 8) & 0xffffff, 0u);
    EXPECT_NE(t.pixel(4, 8) & 0xffffff, 0u);
    // The shader and its constants are recorded by state blocks.
    ComRef<IDirect3DStateBlock9> block;
    t->BeginStateBlock();
    t->SetVertexShader(nullptr);
    const float none[4] = {0, 0, 0, 0};
    t->SetVertexShaderConstantF(4, none, 1);
    t->EndStateBlock(&block);
    block->Apply();
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V));  // fixed function again: the full target
    EXPECT_NE(t.pixel(1, 1) & 0xffffff, 0u);
    EXPECT_EQ(t->SetVertexShaderConstantF(250, m, 8), D3DERR_INVALIDCALL);

    // oPts sets the size of points.
    Program points;
    points.dcl(0, 0, 0).op(MOV, {dst(kRast, 0), src(kInput, 0)}).op(MOV, {dst(kRast, 2, 1), src(kConst, 6, kX)});
    ComRef<IDirect3DVertexShader9> sized;
    tokens = points.end();
    ASSERT_EQ(t->CreateVertexShader(tokens.data(), &sized), D3D_OK);
    const float three[4] = {3, 0, 0, 0};
    t->SetVertexShaderConstantF(6, three, 1);
    t->SetVertexShader(sized.get());
    t->SetTexture(0, nullptr);
    t->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    ColorVertex point{0, 0, 0.5f, 0xffffffff};  // lands on the centre of pixel (8, 8)
    t->SetFVF(kColorFvf);
    t->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    ASSERT_EQ(t->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
    int lit = 0;
    for (DWORD c : t.readback()) lit += (c & 0xffffff) != 0;
    EXPECT_EQ(lit, 9);
    t->SetVertexShader(nullptr);
}

TEST(VertexShaders, UnreadableStreamsAreRefused) {
    TestDevice t(8, 8);
    auto refused = [&](std::vector<DWORD> tokens) {
        ComRef<IDirect3DVertexShader9> shader;
        HRESULT hr = t->CreateVertexShader(tokens.data(), &shader);
        return hr == D3DERR_INVALIDCALL && !shader;
    };
    const DWORD position = 0x80000000u, dclV0 = dst(kInput, 0);
    const std::vector<DWORD> good = {kVersion, 31, position, dclV0, MOV, dst(kRast, 0), src(kInput, 0), kEnd};
    ComRef<IDirect3DVertexShader9> shader;
    ASSERT_EQ(t->CreateVertexShader(good.data(), &shader), D3D_OK);
    EXPECT_TRUE(refused({0xFFFE0200, MOV, dst(kRast, 0), src(kConst, 0), kEnd}));  // vs_2_0
    EXPECT_TRUE(refused({0xFFFF0101, MOV, dst(kRast, 0), src(kConst, 0), kEnd}));  // a pixel shader
    EXPECT_TRUE(refused({kVersion, 0x7777, dst(kRast, 0), src(kConst, 0), kEnd}));  // unknown opcode
    EXPECT_TRUE(refused({kVersion, 66, dst(kTemp, 0), src(kConst, 0), kEnd}));      // tex: not vertex
    EXPECT_TRUE(refused({kVersion, ADD, dst(kRast, 0), src(kConst, 0), kEnd}));     // cut short
    EXPECT_TRUE(refused({kVersion, MOV, dst(kTemp, 12), src(kConst, 0), kEnd}));    // r12
    EXPECT_TRUE(refused({kVersion, MOV, dst(kInput, 0), src(kConst, 0), kEnd}));    // writes an input
    EXPECT_TRUE(refused({kVersion, MOV, dst(kRast, 0), src(kInput, 3), kEnd}));     // undeclared input
    EXPECT_TRUE(refused({kVersion, MOV, dst(kRast, 0), src(kTemp, 0, kIdentity, false, true), kEnd}));
    EXPECT_TRUE(refused({kVersion, MOV, dst(kRast, 0, 0), src(kConst, 0), kEnd}));  // empty mask
    EXPECT_TRUE(refused({kVersion, MOV, dst(kRast, 0), src(kConst, 0) | 3u << 24, kEnd}));  // bias modifier
    EXPECT_TRUE(refused({kVersion, MOV | 5u << 24, dst(kRast, 0), src(kConst, 0), kEnd}));  // wrong length
    EXPECT_TRUE(refused({kVersion, M4X4, dst(kRast, 0), src(kConst, 0), src(kConst, 254), kEnd}));  // c254..c257
    EXPECT_TRUE(refused({kVersion, M3X3, dst(kRast, 0), src(kConst, 0), src(kTemp, 10), kEnd}));    // r10..r12
    std::vector<DWORD> tooLong = {kVersion};
    for (int i = 0; i < 200; ++i) tooLong.insert(tooLong.end(), {MOV, dst(kTemp, 0), src(kConst, 0)});
    tooLong.push_back(kEnd);
    EXPECT_TRUE(refused(tooLong));
    EXPECT_EQ(t->CreateVertexShader(nullptr, &shader), D3DERR_INVALIDCALL);
    // Without its end token within the tokens there are, a stream is refused, never over-read.
    std::string error;
    EXPECT_FALSE(d3d9::VertexShader::translate(good.data(), good.size() - 1, nullptr, &error));
    EXPECT_NE(error.find("end token"), std::string::npos);
    const std::vector<DWORD> longComment = {kVersion, 0xFFFE | 500u << 16, kEnd};
    EXPECT_FALSE(d3d9::VertexShader::translate(longComment.data(), longComment.size(), nullptr, &error));
    EXPECT_TRUE(d3d9::VertexShader::translate(good.data(), good.size(), nullptr, &error));
    // Comments and instruction lengths (as later compilers write them) are read.
    std::vector<DWORD> annotated = {kVersion, 0xFFFE | 2u << 16, 0x12345678, 0x9abcdef0, 31 | 2u << 24, position,
                                    dclV0, MOV | 2u << 24, dst(kRast, 0), src(kInput, 0), kEnd};
    EXPECT_EQ(t->CreateVertexShader(annotated.data(), &shader), D3D_OK);
}

TEST(VertexShaders, CloudFadeProgramOfFortyTokens) {
    // The fade program the cloud model ships: scale the position, transform it, and give every
    // colour channel |camera-space normal . (0, 0, 1)| so that slices seen edge-on disappear.
    Program p;
    p.dcl(0, 0, 0).dcl(3, 0, 1).dcl(5, 0, 2);
    p.def(9, {0, 0, 1, 0});
    p.op(MUL, {dst(kTemp, 0), src(kInput, 0), src(kConst, 8)});
    p.op(M4X4, {dst(kRast, 0), src(kTemp, 0), src(kConst, 0)});
    p.op(M3X3, {dst(kTemp, 0, 7), src(kInput, 1), src(kConst, 4)});
    p.op(DP4, {dst(kTemp, 0, 8), src(kTemp, 0), src(kConst, 9)});
    p.op(MAX, {dst(kAttr, 0), src(kTemp, 0, swizzle(3, 3, 3, 3)), src(kTemp, 0, swizzle(3, 3, 3, 3), true)});
    p.op(MOV, {dst(kTexOut, 0), src(kInput, 2)});
    std::vector<DWORD> tokens = p.end();
    ASSERT_EQ(tokens.size() * 4, 160u);

    TestDevice t(8, 8);
    noLighting(t.get());
    t->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    t->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    ComRef<IDirect3DVertexShader9> shader;
    ASSERT_EQ(t->CreateVertexShader(tokens.data(), &shader), D3D_OK);
    const float transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float scale[4] = {1, 2, 0.5f, 1};
    t->SetVertexShaderConstantF(0, transform, 4);
    t->SetVertexShaderConstantF(4, transform, 4);
    t->SetVertexShaderConstantF(8, scale, 1);
    struct V {
        float x, y, z, nx, ny, nz, u, v;
    };
    auto draw = [&](float nz) {
        const float ny = std::sqrt(1 - nz * nz);
        V q[4] = {{-1, 0.5f, 0.5f, 0, ny, nz, 0, 0}, {1, 0.5f, 0.5f, 0, ny, nz, 1, 0},
                  {-1, -0.5f, 0.5f, 0, ny, nz, 0, 1}, {1, -0.5f, 0.5f, 0, ny, nz, 1, 1}};
        t->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
        t->SetVertexShader(shader.get());
        t->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1, 0);
        ASSERT_EQ(t->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V)), D3D_OK);
        t->SetVertexShader(nullptr);
    };
    draw(-0.8f);  // y scaled by 2: the quad fills the target
    EXPECT_TRUE(colorNear(t.pixel(4, 0), 0xcccccc, 1));
    EXPECT_TRUE(colorNear(t.pixel(4, 7), 0xcccccc, 1));
    draw(0.0f);  // edge-on: gone
    EXPECT_TRUE(colorNear(t.pixel(4, 4), 0x000000, 0));
}

TEST(VertexShaders, StreamsThatBrokeOrTestTheReaderAreRefused) {
    // Each file is little-endian tokens; they sit at the end of their own allocation, so a read
    // past them is caught by the sanitizer.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testing_paths::sourceDir() + "/tests/data/bad/shader")) {
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t count = bytes.size() / sizeof(DWORD);
        std::unique_ptr<DWORD[]> tokens(new DWORD[count ? count : 1]);
        if (count) std::memcpy(tokens.get(), bytes.data(), count * sizeof(DWORD));
        std::string glsl, error;
        EXPECT_FALSE(d3d9::VertexShader::translate(count ? tokens.get() : nullptr, count, &glsl, &error))
            << entry.path();
        EXPECT_FALSE(error.empty()) << entry.path();
        EXPECT_TRUE(glsl.empty()) << entry.path();
    }
    EXPECT_GE(files, 10);
}
