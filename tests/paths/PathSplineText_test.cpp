#include "SplineDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

namespace {

std::string written(const SplineKey& key) {
    TiXmlElement element("key");
    PathSpline::writeKey(key, &element);
    return std::string(element.Attribute("p")) + "|" + element.Attribute("tcb") + "|" +
           element.Attribute("t");
}

std::string writtenP(const SplineKey& key) {
    std::string line = written(key);
    return line.substr(0, line.find('|'));
}

SplineKey readOne(const char* p, const char* tcb, const char* t = nullptr, float time = 0.0f) {
    auto element = splineElement(std::vector<KeyText>{{p, tcb, t}});
    SplineKey key;
    PathSpline::readKey(key, element->FirstChildElement("key"), time);
    return key;
}

std::vector<std::string> saved(PathSpline& path) {
    TiXmlElement element("path.spline");
    EXPECT_TRUE(path.save(&element));
    return keyLines(&element);
}

// Splits a saved "p|tcb|t" line back into its integers and time text.
struct SavedKey {
    std::vector<int> p, tcb;
    std::string t;
};

SavedKey parse(const std::string& line) {
    SavedKey key;
    size_t colon = line.find(':'), bar1 = line.find('|'), bar2 = line.rfind('|');
    auto ints = [](const std::string& text) {
        std::vector<int> values;
        const char* s = text.c_str();
        char* end = nullptr;
        for (long v = std::strtol(s, &end, 10); end != s; v = std::strtol(s, &end, 10)) {
            values.push_back(static_cast<int>(v));
            s = end;
        }
        return values;
    };
    key.p = ints(line.substr(colon + 1, bar1 - colon - 1));
    key.tcb = ints(line.substr(bar1 + 1, bar2 - bar1 - 1));
    key.t = line.substr(bar2 + 1);
    return key;
}

}  // namespace

TEST(PathSplineTextTest, DocumentExampleReadsAndWritesBackUnchanged) {
    const char* p = "-38351 +13258 -5722   +7 +311  -32";
    SplineKey key = readOne(p, " +0  +0  +0", nullptr, 6.5f);
    EXPECT_EQ(key.position.x, -38351.0f);
    EXPECT_EQ(key.position.y, 13258.0f);
    EXPECT_EQ(key.position.z, -5722.0f);
    EXPECT_EQ(key.orientation.x, 7.0f * 0.001001001f);
    EXPECT_EQ(key.orientation.y, 311.0f * 0.001001001f);
    EXPECT_EQ(key.orientation.z, -32.0f * 0.001001001f);
    EXPECT_GT(key.orientation.w, 0.0f);
    EXPECT_NEAR(std::sqrt(dotQuaternion(key.orientation, key.orientation)), 1.0f, 1e-6f);
    EXPECT_EQ(key.time, 6.5f);
    EXPECT_EQ(written(key), std::string(p) + "| +0  +0  +0|6.500000");
}

TEST(PathSplineTextTest, WritesFixedWidthsTruncatesPositionsAndRoundsTheRest) {
    SplineKey key;
    key.position = {-38351.0f, 7.9f, -0.9f};
    key.orientation = {0.9f, 7.4f / 999.0f, -0.3f, 0.0f};  // -299.7 -> -300
    key.tension = 0.0f;
    key.continuity = -0.5f;   // -49.5 -> -50
    key.bias = 0.996f;        // 98.6 -> 99
    key.time = 1.000406f;
    EXPECT_EQ(written(key), "-38351    +7    +0   +7 -300   +0| +0 -50 +99|1.000406");

    // Out of range and NaN values write a defined number instead of an undefined conversion; an
    // orientation is brought back within a vector part of length 999.
    key.position = {1e20f, -1e20f, std::nanf("")};
    key.orientation = {0.5f, 1e30f, std::nanf(""), -1e30f};
    EXPECT_EQ(writtenP(key), "+2147483647 -2147483648    +0 +706   +0 -706");
}

TEST(PathSplineTextTest, WritesTheQuaternionWithNonNegativeW) {
    SplineKey key;
    key.orientation = {-0.5f, 0.5f, -0.5f, 0.25f};
    EXPECT_EQ(writtenP(key), "   +0    +0    +0 -500 +500 -250");
    key.orientation = {0.5f, 0.5f, -0.5f, 0.25f};
    EXPECT_EQ(writtenP(key), "   +0    +0    +0 +500 -500 +250");
    // With w exactly 0, q and -q both qualify: the first non-zero number is written positive, so
    // a half turn does not change sign at every save.
    key.orientation = {0.0f, 0.6f, 0.0f, -0.8f};
    EXPECT_EQ(writtenP(key), "   +0    +0    +0 +599   +0 -799");
    key.orientation = {-0.0f, -0.6f, 0.0f, 0.8f};
    EXPECT_EQ(writtenP(key), "   +0    +0    +0 +599   +0 -799");
    key.orientation = {0.0f, 0.0001f, -1.0f, 0.0f};
    EXPECT_EQ(writtenP(key), "   +0    +0    +0   +0 +999   +0");
}

TEST(PathSplineTextTest, ShortPositionsStopAtTheFirstMissingToken) {
    // Three numbers: position only; identity orientation; tcb not read at all.
    SplineKey three = readOne("1 2 3", "50 50 50");
    EXPECT_EQ(three.position.x, 1.0f);
    EXPECT_EQ(three.position.z, 3.0f);
    EXPECT_EQ(three.orientation.w, 1.0f);
    EXPECT_EQ(three.orientation.x, 0.0f);
    EXPECT_EQ(three.tension, 0.0f);

    // Four numbers: x of the vector part is set, w keeps its value, tcb is still not read.
    SplineKey four = readOne("1 2 3 100", "50 50 50");
    EXPECT_EQ(four.orientation.x, 100.0f * 0.001001001f);
    EXPECT_EQ(four.orientation.w, 1.0f);
    EXPECT_EQ(four.continuity, 0.0f);

    // No p at all: only the time is stored.
    SplineKey none = readOne(nullptr, "50 50 50", nullptr, 3.0f);
    EXPECT_EQ(none.time, 3.0f);
    EXPECT_EQ(none.position.x, 0.0f);
    EXPECT_EQ(none.tension, 0.0f);

    // A short tcb sets what it holds.
    SplineKey shortTcb = readOne("0 0 0 0 0 0", "10 -20");
    EXPECT_EQ(shortTcb.tension, 10.0f * 0.01010101f);
    EXPECT_EQ(shortTcb.continuity, -20.0f * 0.01010101f);
    EXPECT_EQ(shortTcb.bias, 0.0f);
}

TEST(PathSplineTextTest, TokensAreSplitAndConvertedLikeAtoi) {
    SplineKey key = readOne("\t+7\r\n-3.9  abc 12abc\n\n -0 999", " 99\t-99 +5x");
    EXPECT_EQ(key.position.x, 7.0f);
    EXPECT_EQ(key.position.y, -3.0f);   // the fraction is cut off
    EXPECT_EQ(key.position.z, 0.0f);    // no digits
    EXPECT_EQ(key.orientation.x, 12.0f * 0.001001001f);
    EXPECT_EQ(key.orientation.y, 0.0f);
    EXPECT_EQ(key.orientation.z, 999.0f * 0.001001001f);
    EXPECT_EQ(key.tension, 99.0f * 0.01010101f);
    EXPECT_EQ(key.continuity, -99.0f * 0.01010101f);
    EXPECT_EQ(key.bias, 5.0f * 0.01010101f);

    // Beyond the int range the value saturates instead of wrapping.
    SplineKey huge = readOne("99999999999 -99999999999 0", nullptr);
    EXPECT_EQ(huge.position.x, 2147483647.0f);
    EXPECT_EQ(huge.position.y, -2147483648.0f);
}

TEST(PathSplineTextTest, ValuesAreCutAt122Characters) {
    std::string p = "1 2 3 4 5";
    p.append(121 - p.size(), ' ');
    std::string inside = p + "67";  // the 6 is character 122, the 7 is cut away
    SplineKey key = readOne(inside.c_str(), "10 10 10");
    EXPECT_EQ(key.orientation.z, 6.0f * 0.001001001f);
    EXPECT_EQ(key.tension, 10.0f * 0.01010101f);

    std::string outside = p + " 6";  // the sixth number starts after the cut: it is missing
    SplineKey cut = readOne(outside.c_str(), "10 10 10");
    EXPECT_EQ(cut.orientation.y, 5.0f * 0.001001001f);
    EXPECT_EQ(cut.orientation.z, 0.0f);
    EXPECT_EQ(cut.orientation.w, 1.0f);
    EXPECT_EQ(cut.tension, 0.0f);

    std::string longTcb(200, ' ');
    longTcb += "50";
    EXPECT_EQ(readOne("0 0 0 0 0 0", longTcb.c_str()).tension, 0.0f);
}

TEST(PathSplineTextTest, AVectorPartLongerThanOneGivesWZero) {
    SplineKey key = readOne("0 0 0 999 999 0", nullptr);
    EXPECT_EQ(key.orientation.w, 0.0f);
    EXPECT_EQ(key.orientation.x, 999.0f * 0.001001001f);
}

TEST(PathSplineTextTest, LoadReadsKeysScaleAndMissingTimes) {
    LoadedPath path(std::vector<KeyText>{
        {"0 0 0 0 0 0", "0 0 0", "1.5"}, {"10 0 0 0 0 0", "0 0 0", nullptr}, {"20 0 0", nullptr, "4"}});
    ASSERT_TRUE(path.loaded);
    ASSERT_EQ(path.path.getKeyCount(), 3);
    EXPECT_EQ(path.path.keyAt(1).time, 0.0f);  // no t: 0, even between 1.5 and 4
    EXPECT_EQ(path.path.keyAt(2).time, 4.0f);
    EXPECT_EQ(path.path.getScale(), 1.0f);
    EXPECT_EQ(path.path.getPreview(), nullptr);

    auto scaled = splineElement(std::vector<KeyText>{});
    scaled->SetAttribute("scale", "2.5");
    PathSpline empty(&path.database);
    ASSERT_TRUE(empty.load(scaled.get()));
    EXPECT_EQ(empty.getKeyCount(), 0);
    EXPECT_EQ(empty.getScale(), 2.5f);
}

TEST(PathSplineTextTest, LoadAlignsNeighbouringOrientations) {
    LoadedPath path(std::vector<KeyText>{
        {"0 0 0 990 0 0", nullptr, "0"}, {"0 0 0 -990 0 0", nullptr, "1"}, {"0 0 0 990 0 0", nullptr, "2"}});
    ASSERT_EQ(path.path.getKeyCount(), 3);
    SplineKey flipped = path.path.keyAt(1);
    EXPECT_LT(flipped.orientation.w, 0.0f);  // -q of what the file says
    EXPECT_GT(flipped.orientation.x, 0.0f);
    for (int i = 1; i < 3; ++i) {
        EXPECT_GE(dotQuaternion(path.path.keyAt(i - 1).orientation, path.path.keyAt(i).orientation), 0.0f);
    }
    // The file still shows the w >= 0 form of the flipped key.
    std::vector<std::string> lines = saved(path.path);
    EXPECT_LT(parse(lines[1]).p[3], 0);
}

TEST(PathSplineTextTest, SaveReplacesChildrenAndKeepsOtherAttributes) {
    LoadedPath path(std::vector<KeyText>{{"1 2 3 0 0 0", "0 -99 0", "0.25"}});
    TiXmlElement element("path.spline");
    element.SetAttribute("name", "Outside.Camera");
    element.SetAttribute("preview", "Outside");
    element.LinkEndChild(new TiXmlElement("stale"));
    element.LinkEndChild(new TiXmlComment("old"));
    ASSERT_TRUE(path.path.save(&element));
    EXPECT_STREQ(element.Attribute("name"), "Outside.Camera");
    EXPECT_STREQ(element.Attribute("preview"), "Outside");
    EXPECT_STREQ(element.Attribute("scale"), "1.000000");
    EXPECT_EQ(keyLines(&element),
              std::vector<std::string>{"key:   +1    +2    +3   +0   +0   +0| +0 -99  +0|0.250000"});
    EXPECT_EQ(element.FirstChild(), element.LastChild());
}

TEST(PathSplineTextTest, ASavedKeyKeepsItsNumbers) {
    LoadedPath path(std::vector<KeyText>{{"0 0 0 972 0 0", "50 -99 7", "0"}});
    std::vector<std::string> first = saved(path.path);
    EXPECT_EQ(first[0], "key:   +0    +0    +0 +972   +0   +0|+50 -99  +7|0.000000");
    EXPECT_EQ(saved(path.path), first);  // no reload
}

// Keys as a document holds them (any orientation, some half turns, whose vector part is a unit long,
// and some flipped by the alignment) and keys as the editor leaves them (any float, half turns and
// nearly half turns among them): ten loads and saves write the text of the first save, which keeps
// every number of a document's own keys and never holds a vector part longer than 999.
TEST(PathSplineTextTest, TenSaveCyclesWriteTheFirstSaveAgain) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> coordinate(-60000, 60000), axis(-999, 999), control(-99, 99);
    std::uniform_real_distribution<float> step(0.0f, 20.0f), unit(-1.0f, 1.0f);
    std::vector<KeyNumbers> keys;
    float time = 0.0f;
    for (int i = 0; i < 60; ++i) {
        time += i % 7 == 3 ? 0.0f : step(random);
        KeyNumbers key{coordinate(random), coordinate(random), coordinate(random), 999, 999,
                       999, control(random), control(random), control(random), time};
        while (key.qx * key.qx + key.qy * key.qy + key.qz * key.qz > 999 * 999)
            key.qx = axis(random), key.qy = axis(random), key.qz = axis(random);
        if (i % 9 == 4) {  // a half turn about y or z; a negative one is written positive
            key.qx = key.qy = key.qz = 0;
            (i % 2 ? key.qy : key.qz) = i % 4 == 0 ? -999 : 999;
        }
        keys.push_back(key);
    }
    auto element = splineElement(keys);
    for (int i = 0; i < 90; ++i) {
        SplineKey edited;
        edited.position = {unit(random) * 5e4f, unit(random) * 5e4f, unit(random)};
        // One in three a half turn (w = 0), one in three within a hair of one.
        Quaternion q{i % 3 == 0 ? 0.0f : i % 3 == 1 ? unit(random) * 1e-3f : unit(random), unit(random), unit(random),
                     unit(random)};
        edited.orientation = scaleQuaternion(q, 1.0f / std::sqrt(dotQuaternion(q, q)));
        edited.tension = unit(random);
        edited.continuity = unit(random);
        edited.bias = unit(random);
        time += step(random) * 3.7f;
        edited.time = time;
        auto* key = new TiXmlElement("key");
        PathSpline::writeKey(edited, key);
        element->LinkEndChild(key);
    }
    const std::vector<std::string> original = keyLines(element.get());

    Database database;
    std::vector<std::string> first;
    for (int cycle = 0; cycle < 10; ++cycle) {
        PathSpline path(&database);
        ASSERT_TRUE(path.load(element.get()));
        ASSERT_TRUE(path.save(element.get()));
        if (cycle == 0) first = keyLines(element.get());
        ASSERT_EQ(keyLines(element.get()), first) << "cycle " << cycle + 1;
    }
    ASSERT_EQ(first.size(), original.size());
    for (const std::string& line : first) {
        const std::vector<int> p = parse(line).p;
        EXPECT_LE(p[3] * p[3] + p[4] * p[4] + p[5] * p[5], 999 * 999) << line;
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        SavedKey a = parse(original[i]), b = parse(first[i]);
        if (i % 9 == 4) a.p[3] = std::abs(a.p[3]), a.p[4] = std::abs(a.p[4]), a.p[5] = std::abs(a.p[5]);
        EXPECT_EQ(a.p, b.p) << original[i] << " / " << first[i];
        EXPECT_EQ(a.tcb, b.tcb) << original[i] << " / " << first[i];
        EXPECT_EQ(a.t, b.t);
    }
}

TEST(PathSplineTextTest, PreviewIsLookedUpByNameOfAnyType) {
    TiXmlDocument document;
    document.Parse(
        "<demo><float name=\"Knob\" value=\"2\"/>"
        "<path.spline name=\"Path\" preview=\"Knob\"><key p=\"0 0 0\" t=\"0\"/></path.spline>"
        "<path.spline name=\"Lost\" preview=\"Nobody\"/></demo>");
    ASSERT_FALSE(document.Error());
    Database database;
    ASSERT_TRUE(database.load(&document));
    auto* path = static_cast<PathSpline*>(database.find("Path", TypePathSpline));
    ASSERT_NE(path, nullptr);
    ASSERT_NE(path->getPreview(), nullptr);
    EXPECT_EQ(path->getPreview(), database.find("Knob", TypeFloat));
    auto* lost = static_cast<PathSpline*>(database.find("Lost", TypePath));
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->getPreview(), nullptr);
    EXPECT_EQ(lost->getKeyCount(), 0);
}
