// Files beside a -d document: a picture and a mesh of the author's own are drawn from the
// document's folder, and names that would leave the folder are refused with their line, unread.
#include "resources/ResourceFolder.h"

#include "database/Database.h"
#include "database/DocumentCheck.h"
#include "platform/files/ConfinedFiles.h"
#include "resources/LoadResource.h"
#include "support/TestDevice.h"
#include "support/TestMesh.h"
#include "support/TestPaths.h"
#include "support/VisualFrame.h"
#include "textures/TextureFile.h"
#include "visuals/VisualScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void writeBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The files opened in the watched folder since `fd` began watching it, by name.
std::vector<std::string> openedIn(int fd) {
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && !(event->mask & IN_ISDIR)) names.emplace_back(event->name);  // files, not folders listed
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return names;
}

}  // namespace

TEST(ResourceFolder, OwnPictureAndMeshAreDrawnAndNamesLeavingTheFolderAreRefusedUnread) {
    TestDevice screen(64, 64);
    const fs::path outside = testing_paths::makeTempDir();
    const fs::path folder = outside / "production";
    fs::create_directory(folder);

    // The author's picture (plain green) and a square mesh whose material names it.
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1.0f, 0);
    ASSERT_TRUE(screen.savePng((folder / "green.png").string()));
    fs::copy_file(folder / "green.png", outside / "x.png");
    xwriter::Material material;
    material.emissive = {1, 1, 1};
    material.textureFilename = "green.png";
    xwriter::Scene mesh;
    mesh.meshes.push_back(squareMesh(material));
    std::string error;
    writeBytes(folder / "square.x", xwriter::encode(mesh, error));
    fs::create_symlink("../x.png", folder / "link.png");
    std::ofstream(folder / "empty.png").close();
    std::ofstream(folder / "huge.ogg").close();
    fs::resize_file(folder / "huge.ogg", ResourceFolder::maxFileSize + 1);  // sparse: nothing is written

    const std::string file = (folder / "demo.xml").string();
    std::ofstream(file) << "<demo>\n"
                           "<texture.file name=\"Own\" resource=\"green.png\"/>\n"
                           "<model.x name=\"Square\" resource=\"square.x\"/>\n"
                           "<texture.file name=\"Up\" resource=\"../x.png\"/>\n"
                           "<texture.file name=\"Absolute\" resource=\"" + (outside / "x.png").string() + "\"/>\n"
                           "<texture.file name=\"Link\" resource=\"link.png\"/>\n"
                           "<texture.file name=\"Empty\" resource=\"empty.png\"/>\n"
                           "<music name=\"Huge\" resource=\"huge.ogg\"/>\n"
                           "<path.spline name=\"Still\"><key p=\"0 0 0\" t=\"0\"/><key p=\"0 0 0\" t=\"10\"/></path.spline>\n"
                           "<model.group name=\"World\"><item model=\"Square\" path=\"Still\"/></model.group>\n"
                           "<path.spline name=\"Camera\"><key p=\"0 10 0 -706 0 0\" t=\"0\"/><key p=\"0 10 0 -706 0 0\" t=\"10\"/></path.spline>\n"
                           "<visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" near=\"1\" far=\"100\"/>\n"
                           "</demo>\n";

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, outside.c_str(), IN_OPEN | IN_ACCESS), 0);

    TiXmlDocument document(file.c_str());
    ASSERT_TRUE(document.LoadFile());
    Database database;
    database.setFolder(std::make_unique<ResourceFolder>(file));
    ASSERT_TRUE(database.load(&document));

    auto* own = static_cast<TextureFile*>(database.find("Own", TypeTextureFile));
    ASSERT_NE(own, nullptr);
    int width = 0, height = 0;
    own->getSize(width, height);
    EXPECT_EQ(width, 64);
    auto* scene = static_cast<VisualScene*>(database.find("Scene", TypeVisualScene));
    ASSERT_NE(scene, nullptr) << (database.loadProblems().empty() ? "" : database.loadProblems()[0]);
    ASSERT_TRUE(drawVisualFrame(screen, scene, 1.0f));
    EXPECT_EQ(screen.pixel(32, 32) & 0xffffff, 0x00ff00u);  // the mesh, in the folder's picture

    const std::pair<const char*, std::string> refused[] = {
        {"Up", ":4: texture.file \"Up\": the resource \"../x.png\" steps out of the document's folder"},
        {"Absolute", ":5: texture.file \"Absolute\": the resource \"" + (outside / "x.png").string() + "\" is an absolute path"},
        {"Link", ":6: texture.file \"Link\": the resource \"link.png\" is a link that leads out of the document's folder"},
        {"Empty", ":7: texture.file \"Empty\": the file \"empty.png\" is empty"},
        {"Huge", ":8: music \"Huge\": the file \"huge.ogg\" is larger than 256 MiB"},
    };
    for (const auto& [name, line] : refused) {
        EXPECT_EQ(database.find(name, TypeObject), nullptr) << name;
        ASSERT_EQ(database.loadProblems().size(), 1u) << name;
        EXPECT_EQ(database.loadProblems()[0].rfind(file + line, 0), 0u) << database.loadProblems()[0];
    }
    database.deleteObjects();

    // zodcheck's findings: the files beside the document are no problem, the escapes are.
    std::vector<std::string> found;
    for (const DocumentProblem& problem : DocumentCheck::checkFile(file.c_str()))
        if (!problem.object.empty()) found.push_back(problem.object);  // not "no Main", "no Music"
    EXPECT_EQ(found, (std::vector<std::string>{"Up", "Absolute", "Link", "Empty", "Huge"}));

    EXPECT_EQ(openedIn(watch), std::vector<std::string>{}) << "a file outside the folder was opened";
    ::close(watch);
    fs::remove_all(outside);
}

namespace {

std::string bytesOf(ResourceFolder& folder, const char* name) {
    std::string problem;
    const ResourceData data = loadResource(name, &folder, &problem);
    return data ? std::string(reinterpret_cast<const char*>(data.data), data.size) : problem;
}

}  // namespace

TEST(ResourceFolder, NamesIgnoreCaseAsLinkedOnesDoAndAMissingNameSaysWhereAndWhatIsNear) {
    const fs::path folder = testing_paths::makeTempDir();
    std::ofstream(folder / "music.ogg") << "own music";
    std::ofstream(folder / "Pic.png") << "upper";
    std::ofstream(folder / "pic.png") << "lower";
    std::ofstream(folder / "checker.png") << "checker";
    fs::create_directory(folder / "pictures");
    std::ofstream(folder / "pictures" / "sky.jpg") << "sky";
    ResourceFolder files((folder / "demo.xml").string());

    EXPECT_EQ(bytesOf(files, "Music.ogg"), "own music");  // not the executable's own music
    EXPECT_EQ(bytesOf(files, "Pictures/Sky.jpg"), "sky");
    EXPECT_EQ(bytesOf(files, "Pic.png"), "upper");
    EXPECT_EQ(bytesOf(files, "pic.png"), "lower");
    const std::string missing = "\" is not carried by the executable and is not in " + files.path() + "; did you mean \"";
    EXPECT_EQ(bytesOf(files, "chekcer.png"), "the resource \"chekcer.png" + missing + "checker.png\"?");
    EXPECT_EQ(bytesOf(files, "Pictures/Skye.jpg"), "the resource \"Pictures/Skye.jpg" + missing + "pictures/sky.jpg\"?");
    fs::remove_all(folder);
}

namespace {

fs::path swapped;  // the folder the hook replaces by a link to the same names outside

void swapForLink(const std::string& relative) {
    if (relative != "sub/x.png") return;  // the open, after the names were looked at
    fs::rename(swapped / "sub", swapped / "was");
    fs::create_directory_symlink("../outside/sub", swapped / "sub");
}

}  // namespace

TEST(ResourceFolder, AFolderSwappedForALinkBetweenCheckAndOpenIsNotFollowed) {
    const fs::path root = testing_paths::makeTempDir();
    swapped = root / "production";
    fs::create_directories(swapped / "sub");
    fs::create_directories(root / "outside" / "sub");
    std::ofstream(swapped / "sub" / "x.png") << "inside";
    std::ofstream(root / "outside" / "sub" / "x.png") << "secret";
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, (root / "outside" / "sub").c_str(), IN_OPEN | IN_ACCESS), 0);

    // Once in one step (openat2), once walking the names (kernels without it).
    for (const auto& [walkOnly, problem] : {std::pair{false, "is a link that leads out of the document's folder"},
                                            std::pair{true, "goes through a link, which this system cannot follow safely"}}) {
        ResourceFolder lookup((swapped / "demo.xml").string());
        files::testHooks = {swapForLink, walkOnly};
        EXPECT_EQ(bytesOf(lookup, "sub/x.png"), std::string("the resource \"sub/x.png\" ") + problem);
        files::testHooks = {};
        EXPECT_TRUE(fs::is_symlink(swapped / "sub")) << "the hook did not run";
        fs::remove(swapped / "sub");
        fs::rename(swapped / "was", swapped / "sub");
        ResourceFolder again((swapped / "demo.xml").string());
        EXPECT_EQ(bytesOf(again, "sub/x.png"), "inside");  // a folder of its own again
    }
    EXPECT_EQ(openedIn(watch), std::vector<std::string>{}) << "the file outside was opened";
    ::close(watch);
    fs::remove_all(root);
}
