#include "database/FloatObject.h"

#include "database/Database.h"

#include <gtest/gtest.h>
#include <tinyxml.h>


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
