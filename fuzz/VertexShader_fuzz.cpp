// Any bytes as a vs_1_1 token stream (little-endian DWORDs) into the checking and translation to
// GLSL, which needs no GL context. The tokens sit at the end of their own allocation, so reading one
// past them is caught; a stream is accepted with its program or refused with a reason.
#include "platform/d3d9/VertexShader.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t count = size / sizeof(DWORD);
    std::unique_ptr<DWORD[]> tokens(new DWORD[count ? count : 1]);
    if (count) std::memcpy(tokens.get(), data, count * sizeof(DWORD));

    std::string glsl, error;
    if (d3d9::VertexShader::translate(count ? tokens.get() : nullptr, count, &glsl, &error)) {
        if (glsl.find("void vsMain() {\n") == std::string::npos || glsl.back() != '\n') __builtin_trap();
        // The shader object holds what the translation gave.
        ComRef<IDirect3DVertexShader9> shader;
        std::string again;
        if (d3d9::VertexShader::create(tokens.get(), count, &shader, &again) != D3D_OK || !shader) __builtin_trap();
        if (static_cast<d3d9::VertexShader*>(shader.get())->glsl() != glsl) __builtin_trap();
    } else {
        if (error.empty() || !glsl.empty()) __builtin_trap();
    }
    return 0;
}
