// The production's own document, "Demo.xml" as linked into the executable: its form, every
// resource it names present and decodable, the interface pictures 101 to 130, and the opening
// act drawn with the real device at moments of its time line.
#include "resources/LoadResource.h"
#include "clock/Audio.h"
#include "database/Database.h"
#include "database/Object.h"
#include "database/TypeRegistry.h"
#include "paths/PathSpline.h"
#include "platform/d3dx/PictureDecoder.h"
#include "platform/d3dx/d3dx9.h"
#include "support/ChildProcess.h"
#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "support/TestPaths.h"
#include "textures/TextureTarget.h"
#include "visuals/Visual.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double beat = 60.0 / 162.0;

std::string documentText() {
    ResourceData data = loadResource("Demo.xml");
    return data ? std::string(reinterpret_cast<const char*>(data.data), data.size) : std::string();
}

struct ParsedDocument {
    TiXmlDocument document;
    TiXmlElement* demo = nullptr;
    ParsedDocument() {
        const std::string text = documentText();
        document.Parse(text.c_str());
        if (!document.Error()) demo = document.FirstChildElement("demo");
    }
};

bool endsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i]) return false;
    return true;
}

d3dx::Picture decodeResource(int number) {
    d3dx::Picture picture;
    std::string error;
    ResourceData data = loadResource(number);
    if (!data || !d3dx::PictureDecoder::decode(data.data, data.size, picture, error))
        ADD_FAILURE() << "resource " << number << ": " << (data ? error : "missing");
    return picture;
}

int alphaOf(std::uint32_t pixel) { return pixel >> 24; }
int redOf(std::uint32_t pixel) { return (pixel >> 16) & 255; }
int greenOf(std::uint32_t pixel) { return (pixel >> 8) & 255; }
int blueOf(std::uint32_t pixel) { return pixel & 255; }

}  // namespace

TEST(DemoDocument, HasTheProductionsForm) {
    const std::string text = documentText();
    ASSERT_FALSE(text.empty());
    // No declaration: the demo element comes first.
    EXPECT_EQ(text.rfind("<demo>", 0), 0u);
    ParsedDocument parsed;
    ASSERT_FALSE(parsed.document.Error()) << parsed.document.ErrorDesc();
    ASSERT_NE(parsed.demo, nullptr);

    std::set<std::string> names;
    int comments = 0, floats = 0, musics = 0, mains = 0;
    for (TiXmlNode* node = parsed.demo->FirstChild(); node; node = node->NextSibling()) {
        if (node->ToComment()) ++comments;
        TiXmlElement* element = node->ToElement();
        if (!element) continue;
        const char* name = element->Attribute("name");
        ASSERT_NE(name, nullptr) << "a <" << element->Value() << "> without a name";
        EXPECT_TRUE(names.insert(name).second) << "the name " << name << " is used twice";
        const std::string tag = element->Value();
        if (tag == "float") ++floats;
        if (std::strcmp(name, "Music") == 0) {
            ++musics;
            EXPECT_EQ(tag, "music");
            EXPECT_STREQ(element->Attribute("resource"), "Music.ogg");
            EXPECT_STREQ(element->Attribute("tempo"), "324");
        } else if (std::strcmp(name, "Main") == 0) {
            ++mains;
            EXPECT_EQ(tag, "visual.group");
        } else {
            // Section prefix and a dot: "Space.Title", "Space.Caption1 Texture".
            const char* dot = std::strchr(name, '.');
            EXPECT_TRUE(dot && dot != name && dot[1] != 0) << name << " has no section prefix";
        }
    }
    EXPECT_EQ(musics, 1);
    EXPECT_EQ(mains, 1);
    EXPECT_GE(floats, 1);
    EXPECT_GE(comments, 3);
}

TEST(DemoDocument, EveryNamedResourceIsLinkedAndDecodes) {
    ParsedDocument parsed;
    ASSERT_NE(parsed.demo, nullptr);
    TestDevice screen(64, 64);
    int pictures = 0;
    for (TiXmlElement* element = parsed.demo->FirstChildElement(); element;
         element = element->NextSiblingElement()) {
        const char* resource = element->Attribute("resource");
        if (!resource) continue;
        ResourceData data = loadResource(resource);
        ASSERT_TRUE(data) << element->Attribute("name") << " names the missing resource " << resource;
        if (endsWith(resource, ".png") || endsWith(resource, ".jpg")) {
            ComRef<IDirect3DTexture9> texture;
            ASSERT_EQ(D3DXCreateTextureFromResourceA(screen.get(), nullptr, resource, &texture), D3D_OK) << resource;
            D3DSURFACE_DESC desc{};
            ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
            EXPECT_GT(desc.Width, 0u);
            EXPECT_GT(desc.Height, 0u);
            ++pictures;
        }
    }
    EXPECT_GE(pictures, 5);
}

TEST(InterfacePictures, IconsHaveTheirSizesAndLook) {
    for (int number = 120; number <= 128; ++number) {
        d3dx::Picture icon = decodeResource(number);
        EXPECT_EQ(icon.width, 16) << number;
        EXPECT_EQ(icon.height, 16) << number;
    }
    // The knob's sphere: transparent corners, opaque centre, lit from the upper left.
    d3dx::Picture sphere = decodeResource(126);
    ASSERT_EQ(sphere.pixels.size(), 256u);
    EXPECT_TRUE(sphere.hasAlpha);
    EXPECT_EQ(alphaOf(sphere.at(0, 0)), 0);
    EXPECT_EQ(alphaOf(sphere.at(15, 15)), 0);
    EXPECT_EQ(alphaOf(sphere.at(8, 8)), 255);
    EXPECT_GT(redOf(sphere.at(5, 5)), redOf(sphere.at(11, 11)) + 40);
    // The checker: two greys alternating in squares, fully opaque.
    d3dx::Picture checker = decodeResource(127);
    ASSERT_EQ(checker.pixels.size(), 256u);
    std::set<std::uint32_t> greys(checker.pixels.begin(), checker.pixels.end());
    EXPECT_EQ(greys.size(), 2u);
    for (std::uint32_t p : greys) {
        EXPECT_EQ(alphaOf(p), 255);
        EXPECT_EQ(redOf(p), greenOf(p));
        EXPECT_EQ(greenOf(p), blueOf(p));
    }
    EXPECT_NE(checker.at(0, 0), checker.at(15, 0));
    EXPECT_EQ(checker.at(0, 0), checker.at(15, 15));
    // The play triangle points right: more of it on the left half's middle than at the tip's corners.
    d3dx::Picture play = decodeResource(122);
    ASSERT_EQ(play.pixels.size(), 256u);
    EXPECT_GT(alphaOf(play.at(5, 8)), 200);
    EXPECT_LT(alphaOf(play.at(13, 2)), 60);
    EXPECT_LT(alphaOf(play.at(13, 13)), 120);
}

TEST(InterfacePictures, TitleSplashIconAndSetupPicture) {
    // The title lettering: white on transparent, 128 x 16.
    d3dx::Picture title = decodeResource(129);
    EXPECT_EQ(title.width, 128);
    EXPECT_EQ(title.height, 16);
    int lettering = 0;
    for (std::uint32_t p : title.pixels)
        if (alphaOf(p) > 200) {
            ++lettering;
            EXPECT_GT(redOf(p) + greenOf(p) + blueOf(p), 3 * 240);
        }
    EXPECT_GT(lettering, 100);
    EXPECT_EQ(alphaOf(title.at(0, 0)), 0);

    // The loading picture: yellow letters on dark blue.
    d3dx::Picture splash = decodeResource(130);
    EXPECT_EQ(splash.width, 256);
    EXPECT_EQ(splash.height, 256);
    int yellow = 0, darkBlue = 0;
    for (std::uint32_t p : splash.pixels) {
        if (redOf(p) > 200 && greenOf(p) > 150 && blueOf(p) < 120) ++yellow;
        if (blueOf(p) > redOf(p) + 20 && redOf(p) < 60) ++darkBlue;
    }
    EXPECT_GT(yellow, 500);
    EXPECT_GT(darkBlue, 256 * 256 / 2);

    d3dx::Picture icon = decodeResource(101);
    EXPECT_GE(icon.width, 32);
    EXPECT_EQ(icon.width, icon.height);

    // The setup dialog's picture is a Windows bitmap: 360 x 188, 24 bits, uncompressed.
    ResourceData setup = loadResource(103);
    ASSERT_TRUE(setup);
    ASSERT_GE(setup.size, 54u);
    auto u32 = [&](int at) {
        return setup.data[at] | setup.data[at + 1] << 8 | setup.data[at + 2] << 16 | setup.data[at + 3] << 24;
    };
    EXPECT_EQ(setup.data[0], 'B');
    EXPECT_EQ(setup.data[1], 'M');
    EXPECT_EQ(u32(18), 360);
    EXPECT_EQ(u32(22), 188);
    EXPECT_EQ(setup.data[28], 24);
    EXPECT_EQ(u32(30), 0);
    EXPECT_GE(setup.size, 54u + ((360 * 3 + 3) & ~3u) * 188);
}

namespace {

// The overlays a visual shows, following group items and render targets, each once.
void collectOverlays(TiXmlElement* demo, const std::string& name, std::set<std::string>& seen,
                     std::vector<TiXmlElement*>& overlays) {
    if (!seen.insert(name).second) return;
    for (TiXmlElement* element = demo->FirstChildElement(); element; element = element->NextSiblingElement()) {
        const char* elementName = element->Attribute("name");
        if (!elementName || name != elementName) continue;
        const std::string tag = element->Value();
        if (tag == "visual.group") {
            for (TiXmlElement* item = element->FirstChildElement("item"); item;
                 item = item->NextSiblingElement("item"))
                if (const char* visual = item->Attribute("visual")) collectOverlays(demo, visual, seen, overlays);
        } else if (tag == "visual.overlay") {
            overlays.push_back(element);
            if (const char* texture = element->Attribute("texture")) collectOverlays(demo, texture, seen, overlays);
        } else if (tag == "texture.target") {
            if (const char* visual = element->Attribute("visual")) collectOverlays(demo, visual, seen, overlays);
        }
        return;  // the first element of a name is the one found
    }
}

std::vector<TiXmlElement*> overlaysOf(TiXmlElement* demo, const char* name) {
    std::set<std::string> seen;
    std::vector<TiXmlElement*> overlays;
    collectOverlays(demo, name, seen, overlays);
    return overlays;
}

double lastStopOf(const std::vector<TiXmlElement*>& overlays) {
    double last = 0;
    for (TiXmlElement* overlay : overlays) last = std::max(last, std::atof(overlay->Attribute("stop")));
    return last;
}

}  // namespace

// Every start on the opening's time line, render targets included, sits on a half beat, and the
// opening ends with the intro.
TEST(DemoDocument, OpeningIsTimedToTheMusic) {
    ParsedDocument parsed;
    ASSERT_NE(parsed.demo, nullptr);
    const std::vector<TiXmlElement*> overlays = overlaysOf(parsed.demo, "Space.Opening");
    EXPECT_GE(overlays.size(), 10u);
    bool sawTarget = false;
    for (TiXmlElement* overlay : overlays) {
        const std::string name = overlay->Attribute("name");
        sawTarget = sawTarget || name.find("Flash") != std::string::npos;
        ASSERT_NE(overlay->Attribute("start"), nullptr) << name;
        ASSERT_NE(overlay->Attribute("stop"), nullptr) << name;
        const double start = std::atof(overlay->Attribute("start"));
        const double stop = std::atof(overlay->Attribute("stop"));
        const double halfBeats = start / (beat / 2);
        EXPECT_NEAR(halfBeats, std::round(halfBeats), 0.02) << name << " starts off the beat";
        EXPECT_LT(start, stop) << name;
    }
    EXPECT_TRUE(sawTarget) << "the render target's overlays were not reached";
    EXPECT_NEAR(lastStopOf(overlays), 64 * beat, 0.01);  // the intro's 16 bars
}

namespace {

// The root visual of the linked document drawn with the real device, as the display draws it.
class OpeningFrame {
public:
    explicit OpeningFrame(const char* visualName) : screen(160, 120), doc(documentText().c_str()) {
        main = doc.find<Visual>(visualName, TypeVisual);
    }
    bool drawAt(float time) {
        screen->BeginScene();
        updateRenderTargets(time, 0.02f);
        screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1.0f, 0);
        main->setRect({0, 0, screen.width(), screen.height()});
        bool drawn = main->render(time, 0.02f);
        screen->EndScene();
        return drawn;
    }
    // Mean of one channel over the picture.
    double mean(int shift) {
        std::vector<DWORD> pixels = screen.readback();
        double sum = 0;
        for (DWORD p : pixels) sum += (p >> shift) & 255;
        return sum / pixels.size();
    }
    int count(bool (*test)(DWORD)) {
        int n = 0;
        for (DWORD p : screen.readback()) n += test(p) ? 1 : 0;
        return n;
    }

    TestDevice screen;
    TestDocument doc;
    Visual* main = nullptr;
};

bool isTitleYellow(DWORD p) { return ((p >> 16) & 255) > 180 && ((p >> 8) & 255) > 110 && (p & 255) < 90; }
bool isPlanetBlue(DWORD p) { return (p & 255) > 90 && (p & 255) > ((p >> 16) & 255) + 40; }

}  // namespace

TEST(DemoDocument, OpeningPlaysFromBlackToBlack) {
    OpeningFrame frame("Space.Opening");
    ASSERT_TRUE(frame.doc.loaded);
    ASSERT_NE(frame.main, nullptr) << "Space.Opening does not load";

    // Out of black: fully black at the start, the stars showing a second later.
    ASSERT_TRUE(frame.drawAt(0.0f));
    EXPECT_LT(frame.mean(16) + frame.mean(8) + frame.mean(0), 1.0);
    ASSERT_TRUE(frame.drawAt(2.5f));
    EXPECT_GT(frame.mean(0), 10.0);

    // The title card in the middle of its window.
    ASSERT_TRUE(frame.drawAt(7.4f));
    EXPECT_GT(frame.count(isTitleYellow), 200);
    // Before it and after it, no title.
    ASSERT_TRUE(frame.drawAt(2.0f));
    EXPECT_LT(frame.count(isTitleYellow), 5);

    // The interlude: the planet from the render target fills the middle of the picture.
    ASSERT_TRUE(frame.drawAt(18.5f));
    EXPECT_GT(frame.count(isPlanetBlue), 160 * 120 / 8);
    EXPECT_LT(frame.count(isTitleYellow), 5);

    // To black over the last two bars, and then the opening is over.
    ASSERT_TRUE(frame.drawAt(23.69f));
    EXPECT_LT(frame.mean(16) + frame.mean(8) + frame.mean(0), 3.0);
    EXPECT_FALSE(frame.drawAt(23.75f));
}

// The program ends on the first frame at which the root draws nothing: Main must draw all the
// way to its last overlay's stop, with no gap that would end the production early, and nothing
// after it.
TEST(DemoDocument, MainDrawsWithoutGapsUntilItsEnd) {
    ParsedDocument parsed;
    ASSERT_NE(parsed.demo, nullptr);
    const double end = lastStopOf(overlaysOf(parsed.demo, "Main"));
    ASSERT_GT(end, 20.0);
    OpeningFrame frame("Main");
    ASSERT_NE(frame.main, nullptr) << "Main does not load";
    for (double t = 0; t <= end; t += 0.25) EXPECT_TRUE(frame.drawAt(static_cast<float>(t))) << "a gap at " << t;
    EXPECT_TRUE(frame.drawAt(static_cast<float>(end)));
    EXPECT_FALSE(frame.drawAt(static_cast<float>(end + 0.05)));
}

// Every element of the document becomes a working object, every concrete type is used, and every
// name that an attribute or an item gives stands for an object of the document (a group item or
// a mesh screen naming nothing would silently draw nothing).
TEST(DemoDocument, EveryObjectLoadsAndEveryReferenceResolves) {
    struct AudioRunning {  // the music object needs the audio output; stopped after the objects go
        bool started = startAudio(nullptr);
        ~AudioRunning() {
            if (started) stopAudio();
        }
    } audio;
    ASSERT_TRUE(audio.started);
    ParsedDocument parsed;
    ASSERT_NE(parsed.demo, nullptr);
    OpeningFrame frame("Main");
    ASSERT_TRUE(frame.doc.loaded);

    std::set<std::string> tags, names;
    for (TiXmlElement* element = parsed.demo->FirstChildElement(); element; element = element->NextSiblingElement()) {
        tags.insert(element->Value());
        names.insert(element->Attribute("name"));
        EXPECT_NE(frame.doc.find<Object>(element->Attribute("name"), TypeObject), nullptr)
            << element->Value() << " " << element->Attribute("name") << " does not load";
    }
    auto expectObject = [&](TiXmlElement* element, const char* attribute) {
        if (const char* name = element->Attribute(attribute)) {
            EXPECT_TRUE(names.count(name)) << element->Value() << " " << attribute << "=\"" << name << "\" names nothing";
        }
    };
    for (TiXmlElement* element = parsed.demo->FirstChildElement(); element; element = element->NextSiblingElement()) {
        for (const char* attribute : {"model", "path", "camera", "texture", "visual", "preview"})
            expectObject(element, attribute);
        for (TiXmlElement* item = element->FirstChildElement("item"); item; item = item->NextSiblingElement("item")) {
            const bool modelItem = std::strcmp(element->Value(), "model.group") == 0;
            EXPECT_NE(item->Attribute(modelItem ? "model" : "visual"), nullptr) << element->Attribute("name");
            for (const char* attribute : {"model", "path", "visual"}) expectObject(item, attribute);
        }
    }
    // The hall's screens are found by the texture names in its mesh.
    EXPECT_NE(frame.doc.find<Object>("mainscreen.jpg", TypeTextureTarget), nullptr);
    EXPECT_NE(frame.doc.find<Object>("screen1.jpg", TypeTextureTarget), nullptr);

    Database scratch;
    int concrete = 0;
    for (int type = 0; type < ObjectTypeCount; ++type) {
        if (!createObject(static_cast<ObjectType>(type), &scratch)) continue;
        ++concrete;
        EXPECT_TRUE(tags.count(keywordOf(static_cast<ObjectType>(type)))) << keywordOf(static_cast<ObjectType>(type)) << " is not used";
    }
    EXPECT_EQ(concrete, 25);
}

// Saving the production changes none of its keys' numbers (a time may settle to the six decimals
// nearest to the float it is held in), and ten loads and saves write the first save again, byte for
// byte.
TEST(DemoDocument, SavingKeepsEveryKeyAndNeverDrifts) {
    auto saveOnce = [](const std::string& text) {
        TiXmlDocument document;
        document.Parse(text.c_str());
        EXPECT_FALSE(document.Error());
        Database database;
        TiXmlElement* demo = document.FirstChildElement("demo");
        for (TiXmlElement* e = demo ? demo->FirstChildElement("path.spline") : nullptr; e;
             e = e->NextSiblingElement("path.spline")) {
            PathSpline path(&database);
            EXPECT_TRUE(path.load(e) && path.save(e)) << e->Attribute("name");
        }
        TiXmlPrinter printer;
        printer.SetIndent("    ");
        printer.SetLineBreak("\n");
        document.Accept(&printer);
        return std::string(printer.CStr());
    };
    auto keysOf = [](const std::string& text) {
        std::vector<std::array<std::string, 3>> keys;
        TiXmlDocument document;
        document.Parse(text.c_str());
        const TiXmlElement* demo = document.FirstChildElement("demo");
        for (const TiXmlElement* e = demo ? demo->FirstChildElement("path.spline") : nullptr; e;
             e = e->NextSiblingElement("path.spline"))
            for (const TiXmlElement* k = e->FirstChildElement("key"); k; k = k->NextSiblingElement("key"))
                keys.push_back({k->Attribute("p"), k->Attribute("tcb"), k->Attribute("t")});
        return keys;
    };
    auto numbers = [](const std::string& text) {
        std::vector<long> values;
        const char* s = text.c_str();
        char* end = nullptr;
        for (long v = std::strtol(s, &end, 10); end != s; v = std::strtol(s, &end, 10)) values.push_back(v), s = end;
        return values;
    };

    const std::string shipped = documentText();
    const std::string first = saveOnce(shipped);
    const auto before = keysOf(shipped), after = keysOf(first);
    ASSERT_GT(before.size(), 400u);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(numbers(before[i][0]), numbers(after[i][0])) << before[i][0] << " / " << after[i][0];
        EXPECT_EQ(numbers(before[i][1]), numbers(after[i][1])) << before[i][1] << " / " << after[i][1];
        const float time = static_cast<float>(std::atof(before[i][2].c_str()));
        const double halfStep = (std::nextafter(time, 1e9f) - time) / 2.0;
        EXPECT_NEAR(std::atof(before[i][2].c_str()), std::atof(after[i][2].c_str()), halfStep + 0.5e-6) << before[i][2];
    }
    std::string text = first;
    for (int cycle = 2; cycle <= 10; ++cycle) {
        text = saveOnce(text);
        ASSERT_EQ(text, first) << "save " << cycle << " differs from the first";
    }
}

// One moment in each act: none of them black, no two alike.
TEST(DemoDocument, EachActShowsAPictureOfItsOwn) {
    OpeningFrame frame("Main");
    ASSERT_NE(frame.main, nullptr);
    const float moments[] = {19.0f, 36.0f, 70.0f, 100.0f, 140.0f, 171.0f};
    std::vector<std::vector<DWORD>> pictures;
    for (float t : moments) {
        ASSERT_TRUE(frame.drawAt(t)) << t;
        EXPECT_GT(frame.mean(16) + frame.mean(8) + frame.mean(0), 60.0) << "nearly black at " << t;
        pictures.push_back(frame.screen.readback());
    }
    for (size_t a = 0; a < pictures.size(); ++a)
        for (size_t b = a + 1; b < pictures.size(); ++b) {
            double difference = 0;
            for (size_t i = 0; i < pictures[a].size(); ++i)
                for (int shift = 0; shift <= 16; shift += 8)
                    difference += std::abs(int((pictures[a][i] >> shift) & 255) - int((pictures[b][i] >> shift) & 255));
            EXPECT_GT(difference / pictures[a].size(), 40.0) << "the pictures at " << moments[a] << " and " << moments[b]
                                                             << " are nearly the same";
        }
}

// The whole production in real time, as a person sees it: it ends by itself with its music,
// cleanly, and writes nothing.
TEST(DemoDocument, ThePlayerEndsByItselfWithTheMusic) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (scripts/test.sh starts Xvfb)";
    const std::string folder = testing_paths::makeTempDir();
    // Killed at the limit, the exit code would be -1; loading takes a few seconds before the music.
    ChildOutcome outcome = runExecutable({"-a", "-w", "-x320", "-y240"}, {270, folder});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_GT(outcome.seconds, 177.0);
    EXPECT_FALSE(std::ifstream(folder + "/Backup.xml").good());
    std::remove(folder.c_str());
}

// Cameras cut only on beats, and a cut is marked on both sides with continuity -1 so that
// neither shot bends toward the other; keys never run backwards in time.
TEST(DemoDocument, PathsCutOnBeatsWithoutBending) {
    ParsedDocument parsed;
    ASSERT_NE(parsed.demo, nullptr);
    int cuts = 0;
    for (TiXmlElement* path = parsed.demo->FirstChildElement("path.spline"); path;
         path = path->NextSiblingElement("path.spline")) {
        const std::string name = path->Attribute("name");
        TiXmlElement* previous = nullptr;
        for (TiXmlElement* key = path->FirstChildElement("key"); key; key = key->NextSiblingElement("key")) {
            ASSERT_NE(key->Attribute("t"), nullptr) << name;
            if (previous) {
                const double before = std::atof(previous->Attribute("t")), now = std::atof(key->Attribute("t"));
                EXPECT_LE(before, now) << name << " runs backwards at " << now;
                if (before == now) {
                    ++cuts;
                    const double beats = now / beat;
                    EXPECT_NEAR(beats, std::round(beats), 0.01) << name << " cuts off the beat at " << now;
                    for (TiXmlElement* side : {previous, key}) {
                        int tension = 0, continuity = 0, bias = 0;
                        const char* tcb = side->Attribute("tcb");
                        ASSERT_NE(tcb, nullptr) << name << " at " << now;
                        EXPECT_EQ(std::sscanf(tcb, "%d %d %d", &tension, &continuity, &bias), 3) << tcb;
                        EXPECT_EQ(continuity, -99) << name << " at " << now << ": " << tcb;
                    }
                }
            }
            previous = key;
        }
    }
    EXPECT_GE(cuts, 20);
}

namespace {

struct MeshShape {
    std::vector<D3DXMATERIAL> materials;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::uint16_t> indices;
    float low[3] = {1e9f, 1e9f, 1e9f}, high[3] = {-1e9f, -1e9f, -1e9f};
};

MeshShape loadMesh(IDirect3DDevice9* device, const char* resource) {
    MeshShape shape;
    DWORD count = 0;
    ComRef<ID3DXMesh> mesh;
    if (D3DXLoadMeshFromXResource(nullptr, resource, "RCDATA", D3DXMESH_SYSTEMMEM, device, &shape.materials, &count,
                                  &mesh) != D3D_OK) {
        ADD_FAILURE() << resource << " does not load";
        return shape;
    }
    void* vertices = nullptr;
    void* indices = nullptr;
    mesh->LockVertexBuffer(0, &vertices);
    for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
        const float* p = reinterpret_cast<const float*>(static_cast<const char*>(vertices) + i * mesh->GetNumBytesPerVertex());
        shape.positions.push_back({p[0], p[1], p[2]});
        for (int axis = 0; axis < 3; ++axis) {
            shape.low[axis] = std::min(shape.low[axis], p[axis]);
            shape.high[axis] = std::max(shape.high[axis], p[axis]);
        }
    }
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &indices);
    const auto* index = static_cast<const std::uint16_t*>(indices);
    shape.indices.assign(index, index + 3 * mesh->GetNumFaces());
    mesh->UnlockIndexBuffer();
    return shape;
}

}  // namespace

// The meshes as the models that draw them rely on: the hall's screens named for the render
// targets, propeller blades turning about y (the airship turns that axis to z) in front of the
// pods at z = 53, the ball resting on y = 0 with every face wound to be seen from outside.
TEST(DemoDocument, MeshesFitTheModelsThatDrawThem) {
    TestDevice screen(64, 64);
    const MeshShape hall = loadMesh(screen.get(), "InsideHall.x");
    std::set<std::string> textures;
    for (const D3DXMATERIAL& material : hall.materials) textures.insert(material.textureFilename);
    EXPECT_TRUE(textures.count("mainscreen.jpg"));
    EXPECT_TRUE(textures.count("screen1.jpg"));

    const MeshShape propeller = loadMesh(screen.get(), "Propeller.x");
    EXPECT_GT(propeller.high[0] - propeller.low[0], 60.0f);
    EXPECT_LT(propeller.high[1] - propeller.low[1], 12.0f);

    const MeshShape airship = loadMesh(screen.get(), "Airship.x");
    EXPECT_GT(airship.high[2] - airship.low[2], 2.5f * (airship.high[0] - airship.low[0]) / 2);
    float podRear = 1e9f;
    for (const auto& p : airship.positions)
        if (std::abs(p[0]) > 60 && p[2] > 0) podRear = std::min(podRear, p[2]);  // not the tail fins
    EXPECT_NEAR(podRear, 53.0f, 1.0f);

    const MeshShape ball = loadMesh(screen.get(), "InsideBall.x");
    EXPECT_NEAR(ball.low[1], 0.0f, 0.01f);
    const float centre[3] = {(ball.low[0] + ball.high[0]) / 2, (ball.low[1] + ball.high[1]) / 2,
                             (ball.low[2] + ball.high[2]) / 2};
    ASSERT_FALSE(ball.indices.empty());
    for (size_t f = 0; f + 2 < ball.indices.size(); f += 3) {
        const auto& a = ball.positions[ball.indices[f]];
        const auto& b = ball.positions[ball.indices[f + 1]];
        const auto& c = ball.positions[ball.indices[f + 2]];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const float out[3] = {a[0] - centre[0], a[1] - centre[1], a[2] - centre[2]};
        // Clockwise seen from outside: in Direct3D's left-handed frame the cross product points out.
        ASSERT_GT(n[0] * out[0] + n[1] * out[1] + n[2] * out[2], 0.0f) << "face " << f / 3 << " faces inwards";
    }
}
