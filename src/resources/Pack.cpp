#include "resources/Pack.h"

#include "platform/files/Compression.h"
#include "resources/ResourceFolder.h"
#include "resources/Sha256.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>

namespace {

constexpr char magic[8] = {'Z', 'O', 'D', 'P', 'A', 'C', 'K', '1'};
constexpr std::size_t trailerSize = 8 + 3 * 8 + 32;  // magic, pack start, index start, length, fingerprint

std::unique_ptr<Pack> installedPack;

std::uint64_t little(const unsigned char* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

void putLittle(std::vector<unsigned char>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A name as the folder beside a document resolves it: empty and "." steps left out.
std::string normalName(const char* name) {
    std::string out, part;
    for (const char* p = name;; ++p) {
        if (*p == '/' || *p == '\0') {
            if (!part.empty() && part != ".") out += (out.empty() ? "" : "/") + part;
            part.clear();
            if (*p == '\0') break;
        } else {
            part += *p;
        }
    }
    return out;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Where an ELF executable's own bytes end: its headers, segments and sections. `read` gives the
// bytes at an offset, fewer when the file ends there. 0 when it is not a 64-bit little-endian ELF
// file; the extent may lie beyond the file's end when the file was cut short.
std::uint64_t elfExtent(const std::function<std::vector<unsigned char>(std::uint64_t, std::uint64_t)>& read,
                        bool* whole) {
    *whole = true;
    const std::vector<unsigned char> header = read(0, 64);
    if (header.size() < 64 || std::memcmp(header.data(), "\x7f" "ELF", 4) != 0 || header[4] != 2 || header[5] != 1)
        return 0;
    const std::uint64_t programs = little(&header[32], 8), sections = little(&header[40], 8);
    const std::uint64_t programSize = little(&header[54], 2), programCount = little(&header[56], 2);
    const std::uint64_t sectionSize = little(&header[58], 2), sectionCount = little(&header[60], 2);
    std::uint64_t extent = std::max<std::uint64_t>(64, little(&header[52], 2));
    auto table = [&](std::uint64_t at, std::uint64_t size, std::uint64_t count, int offsetAt, int sizeAt, bool skipNoBits) {
        if (count == 0 || size < 40) return;
        extent = std::max(extent, at + size * count);
        const std::vector<unsigned char> rows = read(at, size * count);
        if (rows.size() < size * count) {
            *whole = false;
            return;
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            const unsigned char* row = rows.data() + i * size;
            if (skipNoBits && little(row + 4, 4) == 8) continue;  // SHT_NOBITS: nothing in the file
            extent = std::max(extent, little(row + offsetAt, 8) + little(row + sizeAt, 8));
        }
    };
    table(programs, programSize, programCount, 8, 32, false);
    table(sections, sectionSize, sectionCount, 24, 32, true);
    return extent;
}

}  // namespace

bool Pack::isExecutable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char start[4] = {};
    return in.read(start, 4) && std::memcmp(start, "\x7f" "ELF", 4) == 0;
}

std::size_t Pack::executableLength(const unsigned char* player, std::size_t size) {
    bool whole = true;
    const std::uint64_t extent = elfExtent(
        [&](std::uint64_t at, std::uint64_t length) {
            if (at >= size) return std::vector<unsigned char>();
            return std::vector<unsigned char>(player + at, player + at + std::min<std::uint64_t>(length, size - at));
        },
        &whole);
    return whole && extent <= size ? static_cast<std::size_t>(extent) : 0;
}

std::unique_ptr<Pack> Pack::open(const std::string& path, Opened* opened, std::string* problem,
                                 const std::string& shown) {
    *opened = Opened::NotPacked;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return nullptr;
    const std::uint64_t size = static_cast<std::uint64_t>(in.tellg());
    auto read = [&](std::uint64_t at, std::uint64_t length) {
        std::vector<unsigned char> bytes;
        if (at >= size) return bytes;
        bytes.resize(std::min(length, size - at));
        in.clear();
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        return bytes;
    };
    auto damaged = [&](const std::string& why) -> std::unique_ptr<Pack> {
        *opened = Opened::Damaged;
        *problem = "the packed production of " + (shown.empty() ? path : shown) + " is damaged: " + why;
        return nullptr;
    };
    bool whole = true;
    const std::uint64_t extent = elfExtent(read, &whole);
    if (extent == 0) return nullptr;
    if (!whole || extent > size) return damaged("it is cut short");
    if (extent == size) return nullptr;  // a player with nothing after it

    const std::uint64_t packSize = size - extent;
    if (packSize > ResourceFolder::maxFileSize * 4) return damaged("it is larger than a pack can be");
    const std::vector<unsigned char> pack = read(extent, packSize);
    if (pack.size() != packSize) return damaged("it cannot be read");
    if (packSize < trailerSize || std::memcmp(&pack[packSize - trailerSize], magic, 8) != 0)
        return damaged("it is cut short (its end is missing)");
    const unsigned char* trailer = &pack[packSize - trailerSize];
    const std::uint64_t start = little(trailer + 8, 8), index = little(trailer + 16, 8), length = little(trailer + 24, 8);
    if (length > size) return damaged("it is cut short");
    if (length != size || start != extent) return damaged("it has been altered");
    Sha256 hash;
    for (std::uint64_t at = 0; at < extent; at += 1 << 20) {
        const std::vector<unsigned char> piece = read(at, std::min<std::uint64_t>(1 << 20, extent - at));
        if (piece.empty()) return damaged("it cannot be read");
        hash.add(piece.data(), piece.size());
    }
    hash.add(pack.data(), packSize - 32);
    const auto fingerprint = hash.finish();
    if (std::memcmp(fingerprint.data(), trailer + 32, 32) != 0)
        return damaged("it has been altered (its fingerprint does not match)");

    // The fingerprint holds: what follows can only fail for a pack that was made wrong.
    auto result = std::make_unique<Pack>();
    result->file = path;
    const std::uint64_t indexEnd = packSize - trailerSize;
    if (index < extent || index - extent > indexEnd) return damaged("its index is malformed");
    std::uint64_t at = index - extent;
    auto take = [&](int bytes, std::uint64_t* value) {
        if (indexEnd - at < static_cast<std::uint64_t>(bytes)) return false;
        *value = little(&pack[at], bytes);
        at += static_cast<std::uint64_t>(bytes);
        return true;
    };
    std::uint64_t count = 0;
    if (!take(4, &count)) return damaged("its index is malformed");
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t nameLength = 0, offset = 0, stored = 0, original = 0;
        if (!take(4, &nameLength) || indexEnd - at < nameLength) return damaged("its index is malformed");
        std::string name(reinterpret_cast<const char*>(&pack[at]), nameLength);
        at += nameLength;
        if (!take(8, &offset) || !take(8, &stored) || !take(8, &original) || offset > index - extent ||
            stored > index - extent - offset || original > ResourceFolder::maxFileSize)
            return damaged("its index is malformed");
        std::vector<unsigned char> bytes;
        if (!files::uncompress(&pack[offset], stored, original, &bytes))
            return damaged("the file \"" + name + "\" in it does not uncompress");
        if (i == 0)
            result->text.assign(bytes.begin(), bytes.end());  // the document comes first
        else
            result->files.emplace_back(std::move(name), std::move(bytes));
    }
    if (count == 0) return damaged("it holds no document");
    *opened = Opened::Packed;
    return result;
}

std::vector<unsigned char> Pack::build(const unsigned char* player, std::size_t playerLength, const std::string& document,
                                       const std::vector<std::pair<std::string, std::vector<unsigned char>>>& carried) {
    std::vector<unsigned char> pack, index;
    putLittle(index, carried.size() + 1, 4);
    auto add = [&](const std::string& name, const unsigned char* data, std::size_t size) {
        const std::vector<unsigned char> stored = files::compress(data, size);
        putLittle(index, name.size(), 4);
        index.insert(index.end(), name.begin(), name.end());
        putLittle(index, pack.size(), 8);
        putLittle(index, stored.size(), 8);
        putLittle(index, size, 8);
        pack.insert(pack.end(), stored.begin(), stored.end());
    };
    add("", reinterpret_cast<const unsigned char*>(document.data()), document.size());
    for (const auto& [name, bytes] : carried) add(normalName(name.c_str()), bytes.data(), bytes.size());
    const std::size_t indexStart = playerLength + pack.size();
    pack.insert(pack.end(), index.begin(), index.end());
    pack.insert(pack.end(), magic, magic + 8);
    putLittle(pack, playerLength, 8);
    putLittle(pack, indexStart, 8);
    putLittle(pack, playerLength + pack.size() + 8 + 32, 8);
    Sha256 hash;
    hash.add(player, playerLength);
    hash.add(pack.data(), pack.size());
    const auto fingerprint = hash.finish();
    pack.insert(pack.end(), fingerprint.begin(), fingerprint.end());
    return pack;
}

void Pack::install(std::unique_ptr<Pack> pack) { installedPack = std::move(pack); }

const Pack* Pack::installed() { return installedPack.get(); }

Pack::Opened Pack::installFrom(const std::string& path, std::string* problem, const std::string& shown) {
    Opened opened = Opened::NotPacked;
    std::unique_ptr<Pack> pack = open(path, &opened, problem, shown);
    if (opened == Opened::NotPacked) *problem = path + " is a program without a packed production";
    if (pack) install(std::move(pack));
    return opened;
}

const std::vector<unsigned char>* Pack::find(const char* name) const {
    if (name == nullptr) return nullptr;
    const std::string wanted = normalName(name);
    const std::vector<unsigned char>* found = nullptr;
    for (const auto& [carried, bytes] : files) {
        if (carried == wanted) return &bytes;  // an exact match wins over one that differs in case
        if (found == nullptr && sameName(carried, wanted)) found = &bytes;
    }
    return found;
}

bool Pack::lookup(const char* name, const unsigned char** data, std::size_t* size) const {
    if (name == nullptr) return false;
    if (sameName(name, "Demo.xml")) {
        *data = reinterpret_cast<const unsigned char*>(text.data());
        *size = text.size();
        return true;
    }
    const std::vector<unsigned char>* bytes = find(name);
    if (bytes == nullptr) return false;
    *data = bytes->data();
    *size = bytes->size();
    return true;
}

std::vector<std::string> Pack::names() const {
    std::vector<std::string> all;
    for (const auto& entry : files) all.push_back(entry.first);
    return all;
}
