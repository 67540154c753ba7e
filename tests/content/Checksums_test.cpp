// The generated resources are committed; tools/checksums.txt records what the generators write.
// The files in resources/ and the bytes linked into the executable must both match it, so a
// hand-edited picture or a stale build is caught.
#include "Sha256.h"

#include "resources/LoadResource.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// name -> sha256 from "hash  name" lines.
std::map<std::string, std::string> readManifest() {
    std::map<std::string, std::string> sums;
    std::istringstream lines(readFile(testing_paths::sourceDir() + "/tools/checksums.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() < 67 || line.substr(64, 2) != "  ") {
            ADD_FAILURE() << "malformed manifest line: " << line;
            continue;
        }
        sums[line.substr(66)] = line.substr(0, 64);
    }
    return sums;
}

// The generated files as tools/generated.txt lists them (comments and blank lines skipped).
std::vector<std::string> readGeneratedList() {
    std::vector<std::string> names;
    std::istringstream lines(readFile(testing_paths::sourceDir() + "/tools/generated.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('#'));
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
        if (!line.empty()) names.push_back(line);
    }
    return names;
}

std::string hashOf(const std::string& bytes) {
    return content::sha256Hex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(hashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits in the first block.
    EXPECT_EQ(hashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hashOf(std::string(1000, 'a')),
              "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

TEST(Checksums, ManifestCoversEveryGeneratedFile) {
    const auto sums = readManifest();
    const auto generated = readGeneratedList();
    ASSERT_FALSE(generated.empty());
    std::set<std::string> listed(generated.begin(), generated.end());
    EXPECT_EQ(listed.size(), generated.size()) << "a file is listed twice in tools/generated.txt";
    for (const std::string& name : generated) EXPECT_TRUE(sums.count(name)) << name << " has no checksum";
    for (const auto& [name, hash] : sums) EXPECT_TRUE(listed.count(name)) << name << " is not a generated file";
}

TEST(Checksums, CommittedResourcesMatchTheManifest) {
    const auto sums = readManifest();
    ASSERT_GE(sums.size(), 14u);  // the icons 120 to 130, 101, 103 and the music at least
    for (const auto& [name, hash] : sums) {
        const std::string bytes = readFile(testing_paths::sourceDir() + "/resources/" + name);
        ASSERT_FALSE(bytes.empty()) << name << " is missing from resources/";
        EXPECT_EQ(hashOf(bytes), hash) << name << " differs from what tools/generate.sh writes";
    }
}

TEST(Checksums, LinkedResourcesMatchTheManifest) {
    for (const auto& [name, hash] : readManifest()) {
        ResourceData data = loadResource(name.c_str());
        ASSERT_TRUE(data) << name << " is not linked into the executable";
        EXPECT_EQ(content::sha256Hex(data.data, data.size), hash) << name << " is linked from an old copy";
    }
}

// Everything in resources/ is linked into the executable, so a picture left behind when its
// generator stopped writing it would still be linked; only the document and the font are not
// generated.
TEST(Checksums, EveryResourceIsGeneratedOrTheDocumentOrTheFont) {
    const auto generated = readGeneratedList();
    const std::set<std::string> listed(generated.begin(), generated.end());
    for (const auto& entry : std::filesystem::directory_iterator(testing_paths::sourceDir() + "/resources")) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(listed.count(name) || name == "Demo.xml" || name == "DejaVuSans.ttf")
            << name << " is in resources/ but no generator writes it";
    }
}
