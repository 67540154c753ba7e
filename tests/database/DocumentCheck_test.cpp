#include "database/DocumentCheck.h"

#include "resources/LoadResource.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Expected {
    int line;
    const char* object;
    const char* words;  // part of the message
};

void expectProblems(const std::vector<DocumentProblem>& problems, const std::vector<Expected>& expected) {
    ASSERT_EQ(problems.size(), expected.size()) << [&] {
        std::string all;
        for (const DocumentProblem& problem : problems) all += DocumentCheck::describe(problem) + "\n";
        return all;
    }();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(problems[i].line, expected[i].line) << problems[i].message;
        EXPECT_EQ(problems[i].object, expected[i].object) << problems[i].message;
        EXPECT_NE(problems[i].message.find(expected[i].words), std::string::npos) << problems[i].message;
    }
}

}  // namespace

TEST(DocumentCheck, ProductionDocumentIsClean) {
    ResourceData demo = loadResource("Demo.xml");
    ASSERT_TRUE(demo);
    std::vector<DocumentProblem> problems =
        DocumentCheck::checkText({reinterpret_cast<const char*>(demo.data), demo.size});
    for (const DocumentProblem& problem : problems) ADD_FAILURE() << DocumentCheck::describe(problem);
}

// The README's small document for authors is one that plays: clean, as printed.
TEST(DocumentCheck, TheReadmesExampleIsClean) {
    const std::string readme = testing_paths::readFile(testing_paths::sourceDir() + "/README.md");
    const std::size_t section = readme.find("### A complete small document");
    const std::size_t start = readme.find("```xml\n", section);
    const std::size_t end = readme.find("```", start + 7);
    ASSERT_TRUE(section != std::string::npos && start != std::string::npos && end != std::string::npos);
    const std::string text = readme.substr(start + 7, end - start - 7);
    EXPECT_NE(text.find("<visual.overlay"), std::string::npos);
    for (const DocumentProblem& problem : DocumentCheck::checkText(text)) ADD_FAILURE() << DocumentCheck::describe(problem);
}

// One planted fault of each kind, each reported once on its own line.
TEST(DocumentCheck, ListsEveryFaultWithItsLine) {
    const char* text =
        "<demo>\n"
        "    <music name=\"Music\" resource=\"Music.ogg\" />\n"
        "    <visual.group name=\"Main\">\n"
        "        <item visual=\"Scene\" />\n"
        "        <item visual=\"Nowhere\" />\n"
        "        <item visual=\"Black\" />\n"
        "        <itme visual=\"Scene\" />\n"
        "    </visual.group>\n"
        "    <texture.file name=\"Black\" resource=\"black.jpg\" />\n"
        "    <texture.file name=\"Missing\" resource=\"NoSuch.png\" />\n"
        "    <visual.overlay name=\"Backwards\" texture=\"Black\" start=\"5\" stop=\"2\" />\n"
        "    <texture.target name=\"Big\" visual=\"Backwards\" size=\"1024\" />\n"
        "    <path.spline name=\"Camera\">\n"
        "        <key p=\"0 0 0 0 0 0\" tcb=\"0 0 0\" t=\"1.0\" />\n"
        "        <key p=\"0 0 0 0 0 0\" tcb=\"0 0 0\" t=\"0.5\" />\n"
        "    </path.spline>\n"
        "    <visual.scene name=\"Scene\" model=\"Camera\" camera=\"Camera\" />\n"
        "    <float name=\"Black\" value=\"1\" />\n"
        "    <float value=\"2\" />\n"
        "    <model.sqaure name=\"Typo\" />\n"
        "    <model.boing name=\"Bouncer\" />\n"
        "</demo>\n";
    expectProblems(DocumentCheck::checkText(text), {
                                                       {5, "Main", "\"Nowhere\" names no element"},
                                                       {6, "Main", "is a texture.file where a visual is needed"},
                                                       {7, "Main", "unknown tag <itme>"},
                                                       {10, "Missing", "\"NoSuch.png\" is not carried"},
                                                       {11, "Backwards", "stops (2) before it starts (5)"},
                                                       {12, "Big", "above 512"},
                                                       {15, "Camera", "time order"},
                                                       {17, "Scene", "is a path.spline where a model is needed"},
                                                       {18, "Black", "already used on line 9"},
                                                       {19, "", "has no name"},
                                                       {20, "Typo", "unknown tag <model.sqaure>"},
                                                       {21, "Bouncer", "model attribute is missing"},
                                                   });
}

// Numbers the objects would read as something else (0 for "abc", a cut fraction) or cannot use.
TEST(DocumentCheck, NumbersAnObjectCannotUse) {
    const char* text =
        "<demo>\n"
        "    <music name=\"Music\" resource=\"Music.ogg\" tempo=\"abc\" />\n"
        "    <music name=\"Slow\" resource=\"Music.ogg\" tempo=\"-162\" />\n"
        "    <music name=\"Still\" resource=\"Music.ogg\" tempo=\"0\" />\n"
        "    <path.spline name=\"Camera\" scale=\"1e300\">\n"
        "        <key p=\"0 0 0 0 0 0.5\" tcb=\"0 0 0\" t=\"nan\" />\n"
        "        <key p=\"0 0 -300 +999 0 0\" tcb=\"0 +99 -99\" t=\"2\" />\n"
        "        <key p=\"0 0 0 0\" tcb=\"100 0 0\" t=\"3\" />\n"
        "    </path.spline>\n"
        "    <model.group name=\"World\" size=\"-3000\" />\n"
        "    <visual.scene name=\"Main\" model=\"World\" camera=\"Camera\" near=\"-10\" far=\"0\" aspect=\"1.33\" />\n"
        "    <visual.scene name=\"Deep\" model=\"World\" camera=\"Camera\" near=\"100\" far=\"50\" />\n"
        "    <texture.target name=\"Screen\" visual=\"Main\" color=\"red\" size=\"0x20\" />\n"
        "    <visual.overlay name=\"Title\" texture=\"Screen\" start=\"0\" stop=\"1\" t1=\"-1\" position=\"-384 0x10 64 -1\" />\n"
        "</demo>\n";
    expectProblems(DocumentCheck::checkText(text), {
                                                       {2, "Music", "tempo \"abc\" is not a number"},
                                                       {3, "Slow", "tempo \"-162\" must be above 0"},
                                                       {4, "Still", "tempo \"0\" must be above 0"},
                                                       {5, "Camera", "scale \"1e300\" is too large"},
                                                       {6, "Camera", "t \"nan\" is not a finite number"},
                                                       {6, "Camera", "0.5 is not a whole number"},
                                                       {8, "Camera", "holds 4 numbers"},
                                                       {10, "World", "size \"-3000\" must be above 0"},
                                                       {11, "Main", "near \"-10\" must be above 0"},
                                                       {11, "Main", "far \"0\" must be above 0"},
                                                       {12, "Deep", "far (50) must be beyond near (100)"},
                                                       {13, "Screen", "color \"red\" is not a hexadecimal"},
                                                       {13, "Screen", "size \"0x20\" is not a whole number"},
                                                       {13, "Screen", "size 0 leaves no texels"},  // atoi reads 0
                                                       {14, "Title", "t1 \"-1\" must not be negative"},
                                                       {14, "Title", "the height -1 is negative"},
                                                   });
}

TEST(DocumentCheck, DocumentWideFaults) {
    expectProblems(DocumentCheck::checkText("<demo>\n<float name=\"x\" />\n</demo>\n"),
                   {{0, "", "\"Main\""}, {0, "", "\"Music\""}});
    expectProblems(DocumentCheck::checkText("<demo>\n<float name=\"Main\" />\n<music name=\"Music\" resource=\"Music.ogg\" />\n"
                                            "<float name=\"Music\" />\n</demo>\n"),
                   {{4, "Music", "already used on line 3"}, {2, "Main", "must be a visual"}, {4, "Music", "must be a music"}});
    expectProblems(DocumentCheck::checkText("<demo>\n<float name=\"x\">\n</demo>\n"),
                   {{2, "", "XML parsing error: <float> opened on line 2 is not closed before </demo> on line 3"}});
    expectProblems(DocumentCheck::checkText("<demo>\n<music name=\"Music\"\n  resource=\"a\" name=\"b\" />\n</demo>\n"),
                   {{3, "", "<music> has the attribute name twice"}});
    expectProblems(DocumentCheck::checkText("<demo>\n<visual.group name=\"Main\">\n<item visual=\"x\" />\n"),
                   {{2, "", "<visual.group> opened on line 2 is never closed"}});
    expectProblems(DocumentCheck::checkText("<demo>\n  <a>\n  </b>\n</demo>\n"), {{3, "", "</b> does not close <a>"}});
    expectProblems(DocumentCheck::checkText("  \n"), {{0, "", "the document is empty"}});
    expectProblems(DocumentCheck::checkFile(testing_paths::makeTempDir().c_str()), {{0, "", "not a file"}});
}

// A broken object, a bad number and an element left open: zodcheck, the player at start-up and
// zodrender's refusal each name the file and the line.
TEST(DocumentCheck, EveryToolNamesEachFaultWithItsLine) {
    const std::string folder = testing_paths::makeTempDir();
    std::ofstream(folder + "/faults.xml") << "<demo>\n"
                                             "    <music name=\"Music\" resource=\"Music.ogg\" tempo=\"abc\" />\n"
                                             "    <visual.group name=\"Main\"><item visual=\"Scene\" /></visual.group>\n"
                                             "    <path.spline name=\"Camera\">\n"
                                             "        <key p=\"0 0 -300 0 0 0\" t=\"0\" /><key p=\"0 0 -300 0 0 0\" t=\"0.3\" />\n"
                                             "    </path.spline>\n"
                                             "    <model.teapot name=\"Pot\" texture=\"Stras\" />\n"
                                             "    <model.group name=\"World\"><item model=\"Pot\" path=\"Camera\" /></model.group>\n"
                                             "    <visual.scene name=\"Scene\" model=\"World\" camera=\"Camera\" />\n"
                                             "</demo>\n";
    std::ofstream(folder + "/open.xml") << "<demo>\n    <model.group name=\"G\">\n        <item model=\"A\" path=\"B\" />\n"
                                           "    <visual.group name=\"Main\" />\n</demo>\n";
    const std::string faults = folder + "/faults.xml", open = folder + "/open.xml";
    const std::vector<std::string> faultLines{faults + ":line 2: Music: tempo \"abc\" is not a number\n",
                                              faults + ":line 7: Pot: the texture \"Stras\" names no element\n"};
    const std::string openLine = open + ":line 2: XML parsing error: <model.group> opened on line 2 is not closed";

    ChildOptions options;
    options.withDisplay = false;
    const std::string bin = testing_paths::binaryDir();
    auto zodcheck = [&](const std::string& file) {  // its list goes to standard output
        return runTool("/bin/sh", {"-c", bin + "/zodcheck " + file + " 1>&2"}, options);
    };
    ChildOutcome checked = zodcheck(faults);
    ChildOutcome played = runExecutable({"-a", "-w", "-x160", "-y120", "-d" + faults});  // plays what loads
    ChildOutcome refused = runTool(bin + "/zodrender", {"-o", folder + "/out.png", "--size", "32x24", "-d" + faults}, options);
    for (const std::string& line : faultLines) {
        EXPECT_NE(checked.errors.find(line), std::string::npos) << checked.errors;
        EXPECT_NE(played.errors.find(line), std::string::npos) << played.errors;
        EXPECT_NE(refused.errors.find(line), std::string::npos) << refused.errors;
    }
    EXPECT_EQ(played.exitCode, 0) << played.errors;
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.errors.find("--force"), std::string::npos) << refused.errors;
    EXPECT_FALSE(std::filesystem::exists(folder + "/out00000.png"));

    EXPECT_NE(zodcheck(open).errors.find(openLine), std::string::npos);
    EXPECT_NE(runExecutable({"-a", "-w", "-x160", "-y120", "-d" + open}).errors.find(openLine), std::string::npos);
    EXPECT_NE(runTool(bin + "/zodrender", {"-o", folder + "/out.png", "-d" + open}, options).errors.find(openLine),
              std::string::npos);
    std::filesystem::remove_all(folder);
}

TEST(DocumentCheck, ToolExitCodeSaysWhetherTheDocumentIsClean) {
    ChildOptions options;
    options.withDisplay = false;
    const std::string zodcheck = testing_paths::binaryDir() + "/zodcheck";
    EXPECT_EQ(runTool(zodcheck, {testing_paths::sourceDir() + "/resources/Demo.xml"}, options).exitCode, 0);
    std::string folder = testing_paths::makeTempDir();
    std::ofstream(folder + "/bad.xml") << "<demo>\n<music name=\"Music\" resource=\"Music.ogg\" />\n</demo>\n";
    EXPECT_EQ(runTool(zodcheck, {folder + "/bad.xml"}, options).exitCode, 1);  // no "Main"
    EXPECT_EQ(runTool(zodcheck, {}, options).exitCode, 1);                     // no file named
    std::filesystem::remove_all(folder);
}

// zodcheck reads what the document names: a picture, mesh or music that would not load is a
// problem with its line, as a missing one is (a cut picture alone: Application's start-up test). The player's own check only looks the files up (it
// loads them right after and says so itself).
TEST(DocumentCheck, ReadingTheResourcesFindsThoseThatWouldNotLoad) {
    const std::string folder = testing_paths::makeTempDir();
    std::ofstream(folder + "/song.ogg") << "not a song";
    std::ofstream(folder + "/mesh.x") << "xof 0303txt 0032\nMesh {";
    // The hall names three pictures: two are render targets of the production, the floor a file
    // that is here cut short.
    std::ofstream(folder + "/InsideFloor.jpg", std::ios::binary) << "\xff\xd8\xff";
    std::ofstream(folder + "/demo.xml") << "<demo>\n"
                                           "<music name=\"Music\" resource=\"song.ogg\" />\n"
                                           "<texture.file name=\"Whole\" resource=\"SpaceTitle.png\" />\n"
                                           "<model.x name=\"Mesh\" resource=\"mesh.x\" />\n"
                                           "<model.x name=\"Hall\" resource=\"InsideHall.x\" />\n"
                                           "<texture.target name=\"mainscreen.jpg\" visual=\"Main\" />\n"
                                           "<texture.target name=\"screen1.jpg\" visual=\"Main\" />\n"
                                           "<visual.group name=\"Main\" />\n"
                                           "</demo>\n";
    const std::string file = folder + "/demo.xml";
    expectProblems(DocumentCheck::checkFile(file.c_str(), true),
                   {{2, "Music", "the music \"song.ogg\" is not Ogg Vorbis"},
                    {4, "Mesh", "the mesh \"mesh.x\" cannot be read"},
                    {5, "Hall", "the mesh \"InsideHall.x\": the picture \"InsideFloor.jpg\" cannot be decoded"}});
    expectProblems(DocumentCheck::checkFile(file.c_str()), {});
    std::filesystem::remove_all(folder);
}

// Attributes that follow floats: only drivable ones, only floats, keys in order with known eases.
TEST(DocumentCheck, DrivenAttributesAndFloatKeys) {
    const char* text =
        "<demo>\n"
        "    <music name=\"Music\" resource=\"Music.ogg\" />\n"
        "    <visual.group name=\"Main\"><item visual=\"Caption\" /></visual.group>\n"
        "    <path.spline name=\"Flight\"><key p=\"0 0 0\" t=\"0\" /></path.spline>\n"
        "    <float name=\"X\">\n"
        "        <key t=\"2\" v=\"1\" ease=\"smooth\" />\n"
        "        <key t=\"1\" v=\"2\" ease=\"bounce\" />\n"
        "    </float>\n"
        "    <texture.target name=\"Pulse\" visual=\"Main\" size=\"8\" color=\"1 @X 0 0\" />\n"
        "    <visual.overlay name=\"Caption\" texture=\"Pulse\" start=\"0\" stop=\"9\"\n"
        "        position=\"@X @Flight 16 16\" alpha=\"@X\" />\n"
        "    <visual.overlay name=\"Still\" texture=\"Pulse\" start=\"@X\" stop=\"9\" />\n"
        "</demo>\n";
    expectProblems(DocumentCheck::checkText(text), {
                                                       {7, "X", "time order"},
                                                       {7, "X", "ease \"bounce\" is none of step"},
                                                       {10, "Caption", "\"Flight\" is a path.spline where a float is needed"},
                                                       {12, "Still", "start \"@X\" names a float, but the start of a visual.overlay cannot"},
                                                   });
}
