// Any bytes as the body of a compressed X file: the first byte picks the binary ("bzip") or text
// ("tzip") encoding, the rest follows the 16-byte header. Every input then reaches the inflater
// (the declared size and the MSZIP blocks) and, when it inflates, the reader behind it.
#include "platform/d3dx/XFileInflate.h"
#include "platform/d3dx/XFileReader.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<unsigned char> file(16 + size - 1);
    std::memcpy(file.data(), (data[0] & 1) ? "xof 0303tzip0032" : "xof 0303bzip0032", 16);
    if (size > 1) std::memcpy(file.data() + 16, data + 1, size - 1);

    std::vector<unsigned char> body;
    std::string error;
    if (d3dx::XFileInflate::inflate(file.data(), file.size(), body, error)) {
        if (body.size() > d3dx::XFileInflate::maxBody) __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();  // a refusal says why
    }
    d3dx::MeshData mesh;
    if (d3dx::XFileReader::read(file.data(), file.size(), mesh, error)) {
        if (mesh.vertexCount() == 0 || mesh.indices.size() % 3 != 0) __builtin_trap();
        for (std::uint32_t index : mesh.indices)
            if (index >= mesh.vertexCount()) __builtin_trap();
    } else if (mesh.vertexCount() != 0 || error.empty()) {
        __builtin_trap();
    }
    return 0;
}
