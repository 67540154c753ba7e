// The packing tool as an author uses it: the README's own production with a picture of its own,
// packed into one file that is then used from another folder with nothing beside it.
#include "support/ChildProcess.h"
#include "support/FramePicture.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* ownDocument =
    "<demo>\n"
    "    <music name=\"Music\" resource=\"Music.ogg\" tempo=\"120\" />\n"
    "    <texture.file name=\"Logo\" resource=\"logo.png\" />\n"
    "    <visual.overlay name=\"Title\" texture=\"Logo\" start=\"0\" stop=\"30\" t1=\"1\" t2=\"1\" />\n"
    "    <visual.group name=\"Main\">\n"
    "        <item visual=\"Title\" />\n"
    "    </visual.group>\n"
    "</demo>\n";

std::string bytesOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct Production {
    Production() : folder(testing_paths::makeTempDir()), elsewhere(testing_paths::makeTempDir()) {
        std::ofstream(folder + "/demo.xml") << ownDocument;
        FramePicture logo;
        logo.width = 64;
        logo.height = 32;
        for (int y = 0; y < logo.height; ++y)
            for (int x = 0; x < logo.width; ++x)
                logo.rgb.insert(logo.rgb.end(), {std::uint8_t(x * 4), std::uint8_t(y * 8), std::uint8_t((x ^ y) * 8)});
        logo.writePng(folder + "/logo.png");
    }
    ~Production() {
        fs::remove_all(folder);
        fs::remove_all(elsewhere);
    }
    ChildOutcome tool(const std::string& name, const std::vector<std::string>& arguments) const {
        ChildOptions options;
        options.withDisplay = false;
        options.timeLimitSeconds = 120;
        options.workingDirectory = elsewhere;
        return runTool(testing_paths::binaryDir() + "/" + name, arguments, options);
    }
    ChildOutcome pack() const { return tool("zodpack", {"-o", packed(), folder + "/demo.xml"}); }
    std::string packed() const { return elsewhere + "/mydemo.run"; }

    std::string folder, elsewhere;
};

}  // namespace

TEST(zodpack, PackedProductionRendersTheFramesOfItsFolder) {
    Production production;
    ChildOutcome packing = production.pack();
    ASSERT_EQ(packing.exitCode, 0) << packing.errors;
    EXPECT_EQ(production.tool("zodcheck", {"mydemo.run"}).exitCode, 0);
    const std::vector<std::string> frame{"--fps", "2", "--from", "1.5", "--to", "2", "--size", "160x120"};
    auto render = [&](const std::string& output, const std::string& document) {
        std::vector<std::string> arguments{"-o", output, "-d" + document};
        arguments.insert(arguments.end(), frame.begin(), frame.end());
        return production.tool("zodrender", arguments);
    };
    const std::string fromFolder = production.folder + "/folder.png";
    ChildOutcome direct = render(fromFolder, production.folder + "/demo.xml");
    ASSERT_EQ(direct.exitCode, 0) << direct.errors;
    // From the other folder, with only the packed file there: the picture can only come from the pack.
    ChildOutcome fromPack = render(production.elsewhere + "/pack.png", "mydemo.run");
    ASSERT_EQ(fromPack.exitCode, 0) << fromPack.errors;
    const std::string picture = bytesOf(production.elsewhere + "/pack00003.png");
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(picture, bytesOf(production.folder + "/folder00003.png"));
}

// The packed player itself, in a window, from a folder with nothing else in it: it plays the
// packed production to its end, its picture found in the pack (a missing one would be listed).
TEST(zodpack, PackedPlayerPlaysFromAnotherFolder) {
    Production production;
    std::ofstream(production.folder + "/demo.xml", std::ios::trunc) << std::string(ownDocument).replace(
        std::string(ownDocument).find("stop=\"30\""), 9, "stop=\"1\"");
    ASSERT_EQ(production.pack().exitCode, 0);
    ChildOptions options;
    options.workingDirectory = production.elsewhere;
    options.timeLimitSeconds = 120;
    ChildOutcome play = runTool(production.packed(), {"-a", "-w", "-x320", "-y240"}, options);
    EXPECT_EQ(play.exitCode, 0) << play.errors;
    EXPECT_EQ(play.errors.find("logo.png"), std::string::npos) << play.errors;
    EXPECT_EQ(play.errors.find("Title"), std::string::npos) << play.errors;
}

TEST(zodpack, DamagedPackIsRefusedAtStart) {
    Production production;
    ASSERT_EQ(production.pack().exitCode, 0);
    const std::string whole = bytesOf(production.packed());
    struct Damage {
        std::string bytes, message;
    };
    // A byte of the player itself that starting it never reads (the name of its last section in the
    // ELF section table): a byte of its code or data could make it fail before it checks anything.
    const auto field = [&](std::size_t at, int size) {
        std::size_t value = 0;
        for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(whole[at + i]);
        return value;
    };
    const std::size_t sections = field(0x28, 8), entrySize = field(0x3a, 2), count = field(0x3c, 2);
    ASSERT_LT(sections + count * entrySize, whole.size());
    std::string altered = whole;
    altered[sections + (count - 1) * entrySize] ^= 1;
    const std::vector<Damage> damages{{whole.substr(0, whole.size() - 1000), "is damaged: it is cut short"},
                                      {altered, "is damaged: it has been altered"}};
    for (const Damage& damage : damages) {
        const std::string path = production.elsewhere + "/damaged.run";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << damage.bytes;
        fs::permissions(path, fs::perms::owner_all);
        ChildOptions options;
        options.workingDirectory = production.elsewhere;
        ChildOutcome start = runTool(path, {"-a", "-w"}, options);
        EXPECT_EQ(start.exitCode, 1) << start.errors;
        EXPECT_NE(start.errors.find("Zod'e Revez!: The packed production of " + path + " " + damage.message),
                  std::string::npos)
            << start.errors;
        ChildOutcome render = production.tool("zodrender", {"-o", "out.png", "-ddamaged.run", "--to", "0.5"});
        EXPECT_EQ(render.exitCode, 1);
        EXPECT_NE(render.errors.find(damage.message), std::string::npos) << render.errors;
        EXPECT_FALSE(fs::exists(production.elsewhere + "/out00000.png"));
    }
}

TEST(zodpack, DocumentWithAMissingFileIsRefused) {
    Production production;
    fs::remove(production.folder + "/logo.png");
    ChildOutcome packing = production.pack();
    EXPECT_EQ(packing.exitCode, 1);
    EXPECT_NE(packing.errors.find("demo.xml:line 3: Logo: the resource \"logo.png\" is not carried"),
              std::string::npos)
        << packing.errors;
    EXPECT_NE(packing.errors.find("nothing was written"), std::string::npos) << packing.errors;
    EXPECT_FALSE(fs::exists(production.packed()));
}
