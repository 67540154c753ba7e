// A vs_1_1 vertex shader: the token stream is checked and translated to GLSL when the shader is
// created; a stream that cannot be read (wrong version, unknown opcode or register, bad
// parameter token, missing end token within the size limit) gives no shader and an error text.
#pragma once

#include "platform/d3d9/LiveObjects.h"
#include "platform/d3d9/d3d9.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace d3d9 {

class VertexShader final : public IDirect3DVertexShader9 {
public:
    static constexpr size_t kMaxTokens = 16384;   // a stream without an end token within this is refused
    static constexpr int kMaxInstructions = 128;  // vs_1_1 instruction slots

    // tokenCount: how many tokens may be read (kMaxTokens when the caller does not know).
    static HRESULT create(const DWORD* tokens, size_t tokenCount, ComRef<IDirect3DVertexShader9>* shader,
                          std::string* error);
    // The checking and translation alone (for tests and fuzzing).
    static bool translate(const DWORD* tokens, size_t tokenCount, std::string* glsl, std::string* error);

    std::uint32_t id() const { return shaderId; }
    const std::string& glsl() const { return source; }  // declarations and `void vsMain()`

private:
    Counted counted{&LiveObjects::vertexShaders};
    VertexShader() = default;
    ~VertexShader() override = default;

    std::uint32_t shaderId = 0;  // unique per process, part of program keys
    std::string source;
};

}  // namespace d3d9
