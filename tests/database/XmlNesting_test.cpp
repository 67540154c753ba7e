#include "database/XmlNesting.h"

#include <gtest/gtest.h>

#include <string>

TEST(XmlNesting, CountsOpenElementsOnly) {
    EXPECT_EQ(xmlNestingDepth(""), 0);
    EXPECT_EQ(xmlNestingDepth("plain text"), 0);
    EXPECT_EQ(xmlNestingDepth("<demo/>"), 0);
    EXPECT_EQ(xmlNestingDepth("<demo></demo>"), 1);
    EXPECT_EQ(xmlNestingDepth("<?xml version='1.0'?><!-- <a><b><c> --><demo><a><b/></a><c x='1'/></demo>"), 2);
    EXPECT_EQ(xmlNestingDepth("<demo><a><b><c></c></b></a></demo>"), 4);
    // Brackets inside attribute values, comments and CDATA are text.
    EXPECT_EQ(xmlNestingDepth("<demo note='<a><b>' other=\"/>\"><t><![CDATA[<x><y>]]></t></demo>"), 2);
    EXPECT_EQ(xmlNestingDepth("<demo><!DOCTYPE x><a></a></demo>"), 2);
}

TEST(XmlNesting, UnfinishedTextEndsTheScan) {
    EXPECT_EQ(xmlNestingDepth("<demo><a"), 2);
    EXPECT_EQ(xmlNestingDepth("<demo><!-- never closed <a><b>"), 1);
    EXPECT_EQ(xmlNestingDepth("<demo note='never closed><a><b>"), 1);
    EXPECT_EQ(xmlNestingDepth("</a></b><c>"), 1);  // stray closings do not go below zero
}

TEST(XmlNesting, HostileDepthIsSeen) {
    const int levels = 200000;
    std::string text;
    for (int i = 0; i < levels; ++i) text += "<a>";
    EXPECT_EQ(xmlNestingDepth(text), levels);
    EXPECT_GT(xmlNestingDepth(text), maxXmlNesting);
}
