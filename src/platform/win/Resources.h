// Resources of the executable: found by name without regard to letter case, or by number.
// A missing resource, or one of size 0, is not found. The bytes are read-only and stay valid
// for the whole run; nothing is ever released.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace win {

struct ResourceBytes {
    const unsigned char* data = nullptr;  // none when not found
    std::size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

[[nodiscard]] ResourceBytes findResource(const char* name);
[[nodiscard]] ResourceBytes findResource(int number);
// The names of the linked resources and of those added, in table order.
[[nodiscard]] std::vector<std::string> resourceNames();

// Tests and tools add named resources of their own at run time (for example meshes they have just
// written); the linked resources are searched first. Added bytes also stay until the process ends.
void addResource(const std::string& name, std::vector<unsigned char> bytes);

}  // namespace win
