#include "database/FloatObject.h"

#include "database/Database.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>


TEST(FloatObject, LoadsDefaultsAndNumbersAsAtofReadsThem) {
    Database database;
    TiXmlDocument document;
    document.Parse("<demo><float name='a'/><float name='b' value='2.5' step='0.1'/>"
                   "<float name='c' value=' -3.25xyz' step='abc'/></demo>");
    ASSERT_FALSE(document.Error());
    TiXmlElement* element = document.RootElement()->FirstChildElement();

    FloatObject plain(&database);
    EXPECT_EQ(plain.value, 0.0f);
    EXPECT_EQ(plain.step, 1.0f);
    ASSERT_TRUE(plain.load(element));
    EXPECT_EQ(plain.value, 0.0f);
    EXPECT_EQ(plain.step, 1.0f);

    FloatObject set(&database);
    ASSERT_TRUE(set.load(element->NextSiblingElement()));
    EXPECT_FLOAT_EQ(set.value, 2.5f);
    EXPECT_FLOAT_EQ(set.step, 0.1f);

    FloatObject odd(&database);
    ASSERT_TRUE(odd.load(element->NextSiblingElement()->NextSiblingElement()));
    EXPECT_FLOAT_EQ(odd.value, -3.25f);
    EXPECT_EQ(odd.step, 0.0f);  // present but not a number: 0, not the default
}

TEST(FloatObject, SaveWritesSixDecimalsAndDropsChildren) {
    Database database;
    TiXmlDocument document;
    document.Parse("<float name='n' value='2.5' step='0.1' other='kept'><child/>text<!-- c --></float>");
    ASSERT_FALSE(document.Error());
    TiXmlElement* element = document.RootElement();
    FloatObject number(&database);
    ASSERT_TRUE(number.load(element));
    ASSERT_TRUE(number.save(element));
    EXPECT_STREQ(element->Attribute("value"), "2.500000");
    EXPECT_STREQ(element->Attribute("step"), "0.100000");
    EXPECT_STREQ(element->Attribute("name"), "n");
    EXPECT_STREQ(element->Attribute("other"), "kept");
    EXPECT_EQ(element->FirstChild(), nullptr);

    number.setValue(-1234567.0f);
    ASSERT_TRUE(number.save(element));
    EXPECT_STREQ(element->Attribute("value"), "-1234567.000000");
    number.setValue(3.0e38f);
    ASSERT_TRUE(number.save(element));
    EXPECT_EQ(std::string(element->Attribute("value")).size(), 46u);  // "%f" of a huge float, whole
}

TEST(FloatObject, EditorPanelIsRetriedWhileItCannotBeBuilt) {
    Database database;
    FloatObject number(&database);
    EXPECT_EQ(number.castTo(TypeObject), &number);
    EXPECT_EQ(number.castTo(TypeFloat), &number);
    EXPECT_EQ(number.castTo(TypeModel), nullptr);
    // The panel's init decides; each call either returns the same panel or tries again.
    Widget* first = number.getEditor();
    Widget* second = number.getEditor();
    if (first != nullptr) {
        EXPECT_EQ(first, second);
    } else {
        EXPECT_EQ(second, nullptr);
    }
    number.setValue(7.0f);  // with or without a panel
    EXPECT_EQ(number.value, 7.0f);
}

// Keys from 0 to 10 over t = 1..3, each ease at a quarter, half and three quarters of the gap;
// the values are worked by hand from the ease's formula.
TEST(FloatObject, KeysEaseBetweenThemAndHoldOutside) {
    Database database;
    const char* eases[] = {"step", "linear", "smooth", "ramp"};
    const float expected[4][3] = {{0, 0, 0}, {2.5f, 5, 7.5f}, {1.5625f, 5, 8.4375f}, {0.625f, 2.5f, 5.625f}};
    for (int e = 0; e < 4; ++e) {
        TiXmlDocument document;
        document.Parse((std::string("<float name='f' value='7'><key t='1' v='0' ease='") + eases[e] +
                        "'/><key t='3' v='10' ease='linear'/></float>").c_str());
        FloatObject track(&database);
        ASSERT_TRUE(track.load(document.RootElement()));
        EXPECT_FLOAT_EQ(track.valueAt(1.5f), expected[e][0]) << eases[e];
        EXPECT_FLOAT_EQ(track.valueAt(2.0f), expected[e][1]) << eases[e];
        EXPECT_FLOAT_EQ(track.valueAt(2.5f), expected[e][2]) << eases[e];
        EXPECT_EQ(track.valueAt(-5.0f), 0.0f) << eases[e];  // before the first key: the first's
        EXPECT_EQ(track.valueAt(1.0f), 0.0f) << eases[e];
        EXPECT_EQ(track.valueAt(3.0f), 10.0f) << eases[e];
        EXPECT_EQ(track.valueAt(99.0f), 10.0f) << eases[e];  // after the last: the last's
    }
    FloatObject plain(&database);  // no keys: the value at every time
    plain.value = 7.0f;
    EXPECT_EQ(plain.valueAt(123.0f), 7.0f);
}

TEST(FloatObject, KeysAreSavedAndReadBackByteIdentically) {
    Database database;
    TiXmlDocument document;
    document.Parse("<float name='f' value='1' step='0.5'><key t='0.5' v='-2' ease='smooth'/>"
                   "<key t='2.25' v='3.125' ease='ramp'/><key t='4' v='1'/></float>");
    FloatObject track(&database);
    ASSERT_TRUE(track.load(document.RootElement()));
    ASSERT_TRUE(track.save(document.RootElement()));
    TiXmlPrinter first;
    document.Accept(&first);
    EXPECT_EQ(std::string(first.CStr()),
              "<float name=\"f\" value=\"1.000000\" step=\"0.500000\">\n"
              "    <key t=\"0.500000\" v=\"-2.000000\" ease=\"smooth\" />\n"
              "    <key t=\"2.250000\" v=\"3.125000\" ease=\"ramp\" />\n"
              "    <key t=\"4.000000\" v=\"1.000000\" ease=\"step\" />\n"
              "</float>\n");
    FloatObject again(&database);
    ASSERT_TRUE(again.load(document.RootElement()));
    EXPECT_EQ(again.track.keys, track.track.keys);
    ASSERT_TRUE(again.save(document.RootElement()));
    TiXmlPrinter second;
    document.Accept(&second);
    EXPECT_EQ(std::string(second.CStr()), first.CStr());
}
