#include "database/Database.h"

#include "resources/LoadResource.h"
#include "database/FloatObject.h"
#include "database/TypeRegistry.h"
#include "database/XmlNesting.h"
#include "paths/PathSpline.h"
#include "clock/Audio.h"
#include "support/TestDevice.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A model group whose load asks for the objects named by its attributes "a" and "b" and fails
// when it has fail="1", or when a reference it requires ("need") is missing. It records what it
// received, so reference sharing and cycles can be checked.
struct Probe : Object {
    using Object::Object;
    Object* castTo(ObjectType type) override { return answerFor(type, TypeModel, TypeModelGroup); }
    bool load(TiXmlElement* element) override {
        name = element->Attribute("name");
        ++loads[name];
        for (const char* attribute : {"a", "b"}) {
            if (const char* ref = element->Attribute(attribute)) references.push_back(database->find(ref, TypeObject));
        }
        if (const char* needed = element->Attribute("need")) {
            if (database->find(needed, TypeObject) == nullptr) return false;
        }
        const char* fail = element->Attribute("fail");
        return !(fail && std::string(fail) == "1");
    }
    ~Probe() override { ++deletions[name]; }

    std::string name;
    std::vector<Object*> references;
    static inline std::map<std::string, int> loads;
    static inline std::map<std::string, int> deletions;
};

std::unique_ptr<Object> probeFactory(ObjectType type, Database* database) {
    if (type == TypeModelGroup) return std::make_unique<Probe>(database);
    return createObject(type, database);
}

struct Loaded {
    TiXmlDocument document{"demo.xml"};
    Database database{probeFactory};
    bool parsed = false;
    explicit Loaded(const char* text) {
        Probe::loads.clear();
        Probe::deletions.clear();
        document.Parse(text);
        parsed = !document.Error() && database.load(&document);
    }
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class TempDir {
public:
    TempDir() : path(testing_paths::makeTempDir()) {}
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const char* name) const { return path + "/" + name; }
    std::string path;
};

}  // namespace

TEST(Database, ListsNamedChildrenOfDemoOnlyAndCreatesNothing) {
    Loaded loaded(
        "<?xml version='1.0'?><!-- lead --><other name='x'/>"
        "<demo><float name='A'/><float value='1'/>text<!-- c --><bogus name='B'/><visual name='C'/>"
        "<model.group name='D'><model.group name='inner'/></model.group></demo>");
    ASSERT_TRUE(loaded.parsed);
    Database& db = loaded.database;
    ASSERT_EQ(db.count(), 4);
    EXPECT_STREQ(db.nameAt(0), "A");
    EXPECT_STREQ(db.nameAt(1), "B");  // the unnamed float takes no index
    EXPECT_STREQ(db.nameAt(2), "C");
    EXPECT_STREQ(db.nameAt(3), "D");
    EXPECT_EQ(db.nameAt(4), nullptr);
    EXPECT_EQ(db.nameAt(-1), nullptr);
    EXPECT_TRUE(Probe::loads.empty());
    EXPECT_EQ(db.find("inner", TypeObject), nullptr);  // only children of demo are objects
    EXPECT_EQ(db.find("x", TypeObject), nullptr);
    EXPECT_EQ(db.root(TypeObject), nullptr);
    EXPECT_EQ(db.music(TypeObject), nullptr);
}

TEST(Database, DocumentsWithoutDemoCannotLoadButEmptyDemoCan) {
    TiXmlDocument noDemo;
    noDemo.Parse("<!-- c --><Demo><float name='A'/></Demo>");
    Database first;
    EXPECT_FALSE(first.load(&noDemo));
    EXPECT_EQ(first.count(), 0);

    TiXmlDocument empty;
    empty.Parse("<demo/>");
    Database second;
    EXPECT_TRUE(second.load(&empty));
    EXPECT_EQ(second.count(), 0);
    EXPECT_EQ(second.objectAt(0), nullptr);
}

TEST(Database, MainAndMusicAreTheLastOfTheirNamesWhileFindTakesTheFirst) {
    Loaded loaded("<demo><model.group name='Main' tag='1'/><float name='Music'/>"
                  "<model.group name='Main' tag='2'/><float name='Music' value='5'/><float name='main'/></demo>");
    ASSERT_TRUE(loaded.parsed);
    Database& db = loaded.database;
    auto* root = dynamic_cast<Probe*>(db.root(TypeModel));
    auto* found = dynamic_cast<Probe*>(db.find("Main", TypeModel));
    ASSERT_NE(root, nullptr);
    ASSERT_NE(found, nullptr);
    EXPECT_NE(root, found);
    EXPECT_EQ(db.objectAt(2), root);
    EXPECT_EQ(db.objectAt(0), found);
    auto* music = dynamic_cast<FloatObject*>(db.music(TypeFloat));
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->value, 5.0f);
    EXPECT_NE(db.find("Music", TypeFloat), music);
    EXPECT_EQ(db.find("MAIN", TypeObject), nullptr);  // names are case-sensitive, whole length
    EXPECT_EQ(db.find("Mai", TypeObject), nullptr);
    EXPECT_EQ(db.find(nullptr, TypeObject), nullptr);
}

TEST(Database, AbstractAndUnknownTagsGiveNothingWithAnyType) {
    Loaded loaded("<demo><visual name='V'/><nonsense name='N'/><Float name='F'/><object name='O'/>"
                  "<float name='F'/></demo>");
    ASSERT_TRUE(loaded.parsed);
    Database& db = loaded.database;
    for (int type = 0; type < ObjectTypeCount; ++type) {
        for (const char* name : {"V", "N", "F", "O"})
            EXPECT_EQ(db.find(name, static_cast<ObjectType>(type)), nullptr) << name << " " << type;
    }
    EXPECT_EQ(db.objectAt(0), nullptr);
    EXPECT_EQ(db.objectAt(1), nullptr);
    EXPECT_NE(db.objectAt(4), nullptr);  // the float of the same name further on is reachable by index
}

TEST(Database, WrongTypeStillCreatesAndKeepsTheObject) {
    Loaded loaded("<demo><float name='F' value='3'/><model.group name='G'/></demo>");
    ASSERT_TRUE(loaded.parsed);
    Database& db = loaded.database;
    EXPECT_EQ(db.find("F", TypeModel), nullptr);
    EXPECT_EQ(db.find("G", TypeTexture), nullptr);
    EXPECT_EQ(db.find("G", TypeVisual), nullptr);
    EXPECT_EQ(Probe::loads["G"], 1);
    Object* group = db.find("G", TypeModelGroup);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(db.find("G", TypeModel), group);
    EXPECT_EQ(db.objectAt(1), group);
    EXPECT_EQ(Probe::loads["G"], 1);  // created once, by the first wrong-typed request
    auto* number = dynamic_cast<FloatObject*>(db.objectAt(0));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->value, 3.0f);
    EXPECT_EQ(db.find("F", TypeFloat), number);
}

TEST(Database, FailedLoadIsDeletedAndRetriedOnEveryRequest) {
    Loaded loaded("<demo><model.group name='Bad' fail='1'/><model.group name='Needy' need='Later'/></demo>");
    ASSERT_TRUE(loaded.parsed);
    Database& db = loaded.database;
    EXPECT_EQ(db.find("Bad", TypeModel), nullptr);
    EXPECT_EQ(Probe::loads["Bad"], 1);
    EXPECT_EQ(Probe::deletions["Bad"], 1);
    EXPECT_EQ(db.objectAt(0), nullptr);
    EXPECT_EQ(db.find("Bad", TypeObject), nullptr);
    EXPECT_EQ(Probe::loads["Bad"], 3);
    EXPECT_EQ(Probe::deletions["Bad"], 3);
    EXPECT_EQ(db.objectAt(1), nullptr);  // requires a name that is not in the document
    EXPECT_EQ(db.objectAt(1), nullptr);
    EXPECT_EQ(Probe::loads["Needy"], 2);
}

TEST(Database, SharedReferencesLoadOnceAndCyclesEnd) {
    Loaded loaded("<demo><model.group name='Main' a='One' b='Two'/>"
                  "<model.group name='One' a='Path'/><model.group name='Two' a='Path' b='Main'/>"
                  "<float name='Path'/></demo>");
    ASSERT_TRUE(loaded.parsed);
    Database& db = loaded.database;
    auto* root = dynamic_cast<Probe*>(db.root(TypeModel));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->references.size(), 2u);
    auto* one = dynamic_cast<Probe*>(root->references[0]);
    auto* two = dynamic_cast<Probe*>(root->references[1]);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    ASSERT_EQ(one->references.size(), 1u);
    ASSERT_EQ(two->references.size(), 2u);
    EXPECT_NE(one->references[0], nullptr);
    EXPECT_EQ(one->references[0], two->references[0]);  // one path object for both
    EXPECT_EQ(two->references[1], root);                // the cycle hands back the loading root
    for (const char* name : {"Main", "One", "Two"}) EXPECT_EQ(Probe::loads[name], 1) << name;
    EXPECT_EQ(db.find("Path", TypeFloat), one->references[0]);
}

TEST(Database, ObjectHandedOutDuringAFailedLoadStaysValidUntilShutdown) {
    Loaded loaded("<demo><model.group name='A' a='B' fail='1'/><model.group name='B' a='A'/></demo>");
    ASSERT_TRUE(loaded.parsed);
    Database& db = loaded.database;
    EXPECT_EQ(db.find("A", TypeObject), nullptr);
    auto* b = dynamic_cast<Probe*>(db.find("B", TypeObject));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->references.size(), 1u);
    auto* heldByB = dynamic_cast<Probe*>(b->references[0]);
    ASSERT_NE(heldByB, nullptr);  // still a live object, not freed memory
    EXPECT_EQ(heldByB->name, "A");
    EXPECT_EQ(Probe::deletions["A"], 0);
    db.deleteObjects();
    EXPECT_EQ(Probe::deletions["A"], 1);
    EXPECT_EQ(Probe::deletions["B"], 1);
    EXPECT_EQ(db.count(), 0);
    EXPECT_EQ(db.root(TypeObject), nullptr);
}

TEST(Database, SaveKeepsCommentsAndUntouchedElementsInPrintedForm) {
    TempDir dir;
    const std::string source =
        "<!-- Test document -->\n"
        "<demo>\n"
        "  <!-- Numbers -->\n"
        "  <float name='Speed' value='2.5' step='0.1'><note>dropped</note></float>\n"
        "  <float name='Untouched' value='1.25'/>\n"
        "  <model.x name='Mesh' resource='Box.x'>\n"
        "      <item a='1'/>\n"
        "  </model.x>\n"
        "  <float step='9'/>\n"
        "</demo>\n";
    const std::string path = dir / "doc.xml";
    std::ofstream(path) << source;

    TiXmlDocument document(path.c_str());
    ASSERT_TRUE(document.LoadFile());
    Database db;
    ASSERT_TRUE(db.load(&document));
    auto* speed = dynamic_cast<FloatObject*>(db.find("Speed", TypeFloat));
    ASSERT_NE(speed, nullptr);
    speed->setValue(4.0f);
    ASSERT_TRUE(db.save());

    const std::string expected =
        "<!-- Test document -->\n"
        "<demo>\n"
        "    <!-- Numbers -->\n"
        "    <float name=\"Speed\" value=\"4.000000\" step=\"0.100000\" />\n"
        "    <float name=\"Untouched\" value=\"1.25\" />\n"
        "    <model.x name=\"Mesh\" resource=\"Box.x\">\n"
        "        <item a=\"1\" />\n"
        "    </model.x>\n"
        "    <float step=\"9\" />\n"
        "</demo>\n";
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(fs::directory_iterator(dir.path)->path().filename(), "doc.xml");  // no leftovers

    // saveAs writes the same text elsewhere; the document keeps its own name.
    ASSERT_TRUE(db.saveAs((dir / "Backup.xml").c_str()));
    EXPECT_EQ(readFile(dir / "Backup.xml"), expected);
    EXPECT_STREQ(document.Value(), path.c_str());
}

TEST(Database, FailedWriteLeavesTheOldFileAsItWas) {
    TempDir dir;
    TiXmlDocument document("unused.xml");
    document.Parse("<demo><float name='A' value='1'/></demo>");
    Database db;
    ASSERT_TRUE(db.load(&document));
    ASSERT_NE(db.objectAt(0), nullptr);

    // A parent that is a regular file cannot hold a new file, not even for root.
    const std::string blocker = dir / "file";
    std::ofstream(blocker) << "old content";
    EXPECT_FALSE(db.saveAs((blocker + "/demo.xml").c_str()));
    EXPECT_EQ(readFile(blocker), "old content");

    // A target that is a folder is not replaced.
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(db.saveAs((dir / "folder").c_str()));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_FALSE(db.saveAs(""));
    EXPECT_FALSE(db.saveAs(nullptr));

    // A kept file keeps its permission bits when it is replaced.
    const std::string kept = dir / "kept.xml";
    std::ofstream(kept) << "old";
    ::chmod(kept.c_str(), 0640);
    ASSERT_TRUE(db.saveAs(kept.c_str()));
    struct stat info {};
    ASSERT_EQ(::stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_NE(readFile(kept).find("value=\"1.000000\""), std::string::npos);
}

TEST(Database, FailingObjectSaveAbortsBeforeTheFileIsTouched) {
    struct Refuses : Object {
        using Object::Object;
        Object* castTo(ObjectType type) override { return answerFor(type, TypeModel, TypeModelGroup); }
        bool save(TiXmlElement*) override { return false; }
    };
    TempDir dir;
    const std::string path = dir / "doc.xml";
    std::ofstream(path) << "old";
    TiXmlDocument document(path.c_str());
    document.Parse("<demo><model.group name='G'/></demo>");
    Database db([](ObjectType type, Database* d) -> std::unique_ptr<Object> {
        if (type == TypeModelGroup) return std::make_unique<Refuses>(d);
        return createObject(type, d);
    });
    ASSERT_TRUE(db.load(&document));
    EXPECT_TRUE(db.save());  // nothing created yet: written as read
    EXPECT_NE(readFile(path).find("model.group"), std::string::npos);
    std::ofstream(path) << "old";
    ASSERT_NE(db.objectAt(0), nullptr);
    EXPECT_FALSE(db.save());
    EXPECT_EQ(readFile(path), "old");
}

TEST(Database, TheLinkedDocumentListsItsMusicAndRootVisual) {
    ResourceData resource = loadResource("Demo.xml");
    ASSERT_TRUE(resource);
    std::string text(reinterpret_cast<const char*>(resource.data), resource.size);
    TiXmlDocument document("demo.xml");
    document.Parse(text.c_str());
    ASSERT_FALSE(document.Error()) << document.ErrorDesc() << " at row " << document.ErrorRow();
    Database db;
    ASSERT_TRUE(db.load(&document));
    ASSERT_GT(db.count(), 1);

    // The designated elements are the last of their names; check their tags without creating them.
    const TiXmlElement* music = nullptr;
    const TiXmlElement* main = nullptr;
    for (const TiXmlElement* e = document.FirstChildElement("demo")->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const char* name = e->Attribute("name");
        if (name && std::string(name) == "Music") music = e;
        if (name && std::string(name) == "Main") main = e;
    }
    ASSERT_NE(music, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(typeFromKeyword(music->Value()), TypeMusic);
    ObjectType rootType = typeFromKeyword(main->Value());
    EXPECT_TRUE(rootType == TypeVisualGroup || rootType == TypeVisualOverlay || rootType == TypeVisualScene)
        << main->Value();
    EXPECT_TRUE(loadResource(music->Attribute("resource"))) << music->Attribute("resource");
}

TEST(Database, WriteThatStopsMidwayLeavesTheOldFileAndNoLeftovers) {
    TempDir dir;
    std::string text = "<demo>";
    for (int i = 0; i < 200; ++i) text += "<float name='F" + std::to_string(i) + "' value='1'/>";
    text += "</demo>";
    TiXmlDocument document("unused.xml");
    document.Parse(text.c_str());
    Database db;
    ASSERT_TRUE(db.load(&document));
    const std::string path = dir / "demo.xml";
    std::ofstream(path) << "old content";

    // A file-size limit stops the write after 1 KiB, as a full disk would; root is bound by it too.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool savedOk = db.saveAs(path.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(savedOk);
    EXPECT_EQ(readFile(path), "old content");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path)) files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);  // the partial temporary file is gone

    ASSERT_TRUE(db.saveAs(path.c_str()));  // without the limit the same save goes through
    EXPECT_GT(readFile(path).size(), 1024u);
}

TEST(Database, TargetInAFolderThatTakesNoNewFilesIsLeftAsItWas) {
    // /proc refuses new files even to root, while its entries read as regular files.
    const char* target = "/proc/version";
    std::string before = readFile(target);
    ASSERT_FALSE(before.empty());
    TiXmlDocument document("unused.xml");
    document.Parse("<demo><float name='A'/></demo>");
    Database db;
    ASSERT_TRUE(db.load(&document));
    EXPECT_FALSE(db.saveAs(target));
    EXPECT_EQ(readFile(target), before);
}

namespace {

// The objects whose load needs neither a device nor the audio output.
std::unique_ptr<Object> deviceFreeFactory(ObjectType type, Database* database) {
    switch (type) {
    case TypeFloat:
    case TypePathSpline:
    case TypeVisualGroup:
    case TypeVisualOverlay:
        return createObject(type, database);
    default:
        return nullptr;
    }
}

}  // namespace

namespace {

// Lines of `a` and `b` that differ, as "line: a | b".
std::vector<std::string> changedLines(const std::string& a, const std::string& b) {
    std::istringstream in1(a), in2(b);
    std::vector<std::string> changed;
    std::string l1, l2;
    for (int line = 1; std::getline(in1, l1), std::getline(in2, l2), in1 || in2; ++line, l1.clear(), l2.clear())
        if (l1 != l2) changed.push_back(std::to_string(line) + ": " + l1 + " | " + l2);
    return changed;
}

}  // namespace

TEST(Database, SaveRewritesOnlyEditedElementsAndKeepsEveryOtherByte) {
    TempDir dir;
    const std::string source =
        "<?xml version=\"1.0\"?>\n"
        "<!-- <demo> in a comment; the real one follows -->\n"
        "<demo>\n"
        "\n"
        "  <!-- Numbers, hand-written -->\n"
        "  <float   step='.25'  name='Speed' value='1.5'/>\n"
        "\t<float name=\"Arrow>\" value=\"2\" ><!-- kept --></float>\n"
        "\n\n"
        "  <float value='3'/>   <float name='Same line' value='1e1'/>\n"
        "  <path.spline name='Camera'  scale='2'>\n"
        "     <key p='1 2 3 0 0 0' t='0' />\n"
        "     <![CDATA[ </path.spline> ]]>\n"
        "  </path.spline>\n"
        "</demo>\n"
        "<!-- after -->\n";
    const std::string path = dir / "doc.xml";
    std::ofstream(path) << source;
    TiXmlDocument document(path.c_str());
    document.Parse(source.c_str());
    ASSERT_FALSE(document.Error()) << document.ErrorDesc();
    Database db(deviceFreeFactory);
    ASSERT_TRUE(db.load(&document));
    db.setText(source);
    for (int i = 0; i < db.count(); ++i) ASSERT_NE(db.objectAt(i), nullptr) << i;
    auto* speed = dynamic_cast<FloatObject*>(db.find("Speed", TypeFloat));
    ASSERT_NE(speed, nullptr);

    // Nothing edited, or an edit taken back: the file's own bytes.
    ASSERT_TRUE(db.save()) << db.saveError();
    EXPECT_EQ(readFile(path), source);
    speed->setValue(4.0f);
    speed->setValue(1.5f);
    EXPECT_FALSE(db.hasUnsavedEdits());
    ASSERT_TRUE(db.save());
    EXPECT_EQ(readFile(path), source);

    // An edited number: its element alone, in the printed form; Backup.xml gets the same text.
    speed->setValue(4.0f);
    ASSERT_TRUE(db.saveAs((dir / "Backup.xml").c_str()));
    ASSERT_TRUE(db.save());
    const std::string saved = readFile(path);
    EXPECT_EQ(readFile(dir / "Backup.xml"), saved);
    EXPECT_EQ(changedLines(source, saved),
              std::vector<std::string>{"6:   <float   step='.25'  name='Speed' value='1.5'/> |   "
                                       "<float step=\"0.250000\" name=\"Speed\" value=\"4.000000\" />"});
    // The next save goes from the saved text: the edit stays, nothing else moves.
    auto* arrow = dynamic_cast<FloatObject*>(db.find("Arrow>", TypeFloat));
    ASSERT_NE(arrow, nullptr);
    arrow->setValue(5.0f);
    ASSERT_TRUE(db.save());
    EXPECT_EQ(changedLines(saved, readFile(path)),
              std::vector<std::string>{"7: \t<float name=\"Arrow>\" value=\"2\" ><!-- kept --></float> | \t"
                                       "<float name=\"Arrow&gt;\" value=\"5.000000\" step=\"1.000000\" />"});
}

TEST(Database, DocumentWithWindowsLineBreaksKeepsThem) {
    TempDir dir;
    const std::string path = dir / "doc.xml";
    const std::string source = "<demo>\r\n\t<float name='A' value='1'/>\r\n\t<float name='B' value='1'/>\r\n</demo>\r\n";
    std::ofstream(path, std::ios::binary) << source;
    TiXmlDocument document(path.c_str());
    ASSERT_TRUE(document.LoadFile());  // as a -d document is read
    Database db;
    ASSERT_TRUE(db.load(&document));
    db.setText(source);
    db.setDiskText(source);
    ASSERT_NE(db.objectAt(0), nullptr);
    dynamic_cast<FloatObject*>(db.objectAt(1))->setValue(2.0f);
    ASSERT_TRUE(db.save()) << db.saveError();
    EXPECT_EQ(readFile(path),
              "<demo>\r\n\t<float name='A' value='1'/>\r\n\t<float name=\"B\" value=\"2.000000\" step=\"1.000000\" />\r\n</demo>\r\n");
}

TEST(Database, SaveNeverWritesOverAChangeOnDiskNotYetSeen) {
    TempDir dir;
    const std::string path = dir / "doc.xml";
    const std::string source = "<demo>\n  <float name='A' value='1'/>\n</demo>\n";
    std::ofstream(path) << source;
    TiXmlDocument document(path.c_str());
    document.Parse(source.c_str());
    Database db;
    ASSERT_TRUE(db.load(&document));
    db.setText(source);
    db.setDiskText(source);
    dynamic_cast<FloatObject*>(db.find("A", TypeFloat))->setValue(2.0f);
    const std::string theirs = "<demo>\n  <float name='A' value='5'/>\n</demo>\n";
    std::ofstream(path) << theirs;

    EXPECT_FALSE(db.save());
    EXPECT_TRUE(db.saveRefusedForChangeOnDisk());
    EXPECT_NE(db.saveError().find("changed on disk"), std::string::npos) << db.saveError();
    EXPECT_EQ(readFile(path), theirs);
    // Seen and declined: written over.
    ASSERT_TRUE(db.acceptChangeOnDisk());
    ASSERT_TRUE(db.save()) << db.saveError();
    EXPECT_EQ(readFile(path), "<demo>\n  <float name=\"A\" value=\"2.000000\" step=\"1.000000\" />\n</demo>\n");
    EXPECT_FALSE(db.hasUnsavedEdits());
}

TEST(Database, ShippedProductionSavesBackByteForByte) {
    TestDevice screen(64, 64);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    {
        TempDir dir;
        ResourceData resource = loadResource("Demo.xml");
        ASSERT_TRUE(resource);
        const std::string source(reinterpret_cast<const char*>(resource.data), resource.size);
        const std::string path = dir / "demo.xml";
        TiXmlDocument document(path.c_str());
        document.Parse(source.c_str());
        Database db;
        ASSERT_TRUE(db.load(&document));
        db.setText(source);
        ASSERT_NE(db.music(TypeMusic), nullptr);
        ASSERT_NE(db.root(TypeVisual), nullptr);
        for (int i = 0; i < db.count(); ++i) EXPECT_NE(db.objectAt(i), nullptr) << db.nameAt(i);

        ASSERT_TRUE(db.save()) << db.saveError();
        EXPECT_EQ(readFile(path), source);
        auto* speed = dynamic_cast<FloatObject*>(db.find("Space.Speed", TypeFloat));
        ASSERT_NE(speed, nullptr);
        const float was = speed->value;
        speed->setValue(was + 2.0f);
        speed->setValue(was);
        ASSERT_TRUE(db.save());
        EXPECT_EQ(readFile(path), source);
        db.deleteObjects();
    }
    stopAudio();
}

TEST(Database, DocumentsThatBrokeOrTestTheReaderLoadSafelyAndSaveAgain) {
    // Read as the application reads: a nesting check, the parser, then every entry asked for and
    // the whole saved and parsed again. Numbers and paths load whatever their text says.
    TempDir dir;
    int files = 0, read = 0;
    for (const auto& file : fs::directory_iterator(testing_paths::sourceDir() + "/tests/data/bad/document")) {
        ++files;
        const std::string name = file.path().filename().string();
        const std::string text = readFile(file.path().string());
        if (xmlNestingDepth(text) > maxXmlNesting) continue;
        TiXmlDocument document((dir / "saved.xml").c_str());
        document.Parse(text.c_str());
        if (document.Error()) continue;
        Database database(deviceFreeFactory);
        if (!database.load(&document)) continue;
        ++read;
        database.root(TypeVisual);
        int i = 0;
        for (TiXmlElement* e = document.FirstChildElement("demo")->FirstChildElement(); e; e = e->NextSiblingElement()) {
            if (!e->Attribute("name")) continue;
            Object* object = database.objectAt(i++);
            ObjectType type = typeFromKeyword(e->Value());
            if (type == TypeFloat || type == TypePathSpline) {
                EXPECT_NE(object, nullptr) << name << " entry " << i;
            }
        }
        EXPECT_EQ(i, database.count()) << name;
        ASSERT_TRUE(database.save()) << name;
        TiXmlDocument saved;
        ASSERT_TRUE(saved.LoadFile((dir / "saved.xml").c_str())) << name;
        Database again(deviceFreeFactory);
        ASSERT_TRUE(again.load(&saved)) << name;
        ASSERT_EQ(again.count(), database.count()) << name;
        for (int i = 0; i < database.count(); ++i) EXPECT_STREQ(again.nameAt(i), database.nameAt(i)) << name;
    }
    EXPECT_GE(files, 8);
    EXPECT_GE(read, 4);
}

TEST(Database, ReferencesChainedBeyondTheLimitEndWithoutExhaustingTheStack) {
    // Each path previews the next: loads run inside one another down the chain, and the one that
    // would go a thousand deep finds nothing; what was asked for still loads.
    std::string text = "<demo>";
    for (int i = 0; i < 1500; ++i)
        text += "<path.spline name='P" + std::to_string(i) + "' preview='P" + std::to_string(i + 1) + "'/>";
    text += "</demo>";
    TiXmlDocument document;
    document.Parse(text.c_str());
    Database database(deviceFreeFactory);
    ASSERT_TRUE(database.load(&document));
    auto* first = dynamic_cast<PathSpline*>(database.objectAt(0));
    ASSERT_NE(first, nullptr);
    int linked = 0;
    for (auto* path = first; path; path = dynamic_cast<PathSpline*>(path->getPreview())) ++linked;
    EXPECT_EQ(linked, 1000);
    // Asked for on its own, the rest of the chain loads from where it is.
    auto* later = dynamic_cast<PathSpline*>(database.objectAt(1000));
    ASSERT_NE(later, nullptr);
    EXPECT_NE(later->getPreview(), nullptr);
}

TEST(Database, AFailedRequestKeepsItsCausesButNotWhatALoadCouldDoWithout) {
    Loaded doc("<demo>\n<model.group name=\"Tolerant\" a=\"Nothing\"/>\n"
               "<model.group name=\"Needy\" a=\"Tolerant\" need=\"Broken\"/>\n<model.group name=\"Broken\" fail=\"1\"/>\n</demo>");
    ASSERT_NE(doc.database.find("Tolerant", TypeModel), nullptr);
    EXPECT_TRUE(doc.database.loadProblems().empty());  // its missing "Nothing" did not stop it
    EXPECT_EQ(doc.database.find("Needy", TypeModel), nullptr);
    EXPECT_EQ(doc.database.loadProblems(),
              (std::vector<std::string>{"demo.xml:4: model.group \"Broken\": cannot be loaded",
                                        "demo.xml:3: model.group \"Needy\": cannot be loaded"}));
}
