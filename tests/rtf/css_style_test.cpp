// The inline-style parser on its own: the properties the converter reads, values the web
// engine writes, and declarations that must not confuse it.

#include "rtf/css_style.h"

#include <gtest/gtest.h>

using namespace velcaro::rtf;
using Tri = CssStyle::Tri;

TEST(CssStyle, ReadsTheEngineStyleOfAHeadingRun) {
    const CssStyle s = parseInlineStyle(
        "color: rgb(51, 51, 51); font-family: \"Noto Sans\", Arial, sans-serif; "
        "font-size: 24px; font-style: italic; font-weight: 700; text-align: center; "
        "text-decoration: underline line-through; white-space: pre-wrap; display: block");
    EXPECT_TRUE(s.hasColor);
    EXPECT_EQ(s.color, qRgb(51, 51, 51));
    EXPECT_EQ(s.family, "Noto Sans");
    EXPECT_DOUBLE_EQ(s.sizePoints, 18);
    EXPECT_EQ(s.italic, Tri::Yes);
    EXPECT_EQ(s.bold, Tri::Yes);
    EXPECT_EQ(s.align, 1);
    EXPECT_EQ(s.underline, Tri::Yes);
    EXPECT_EQ(s.strike, Tri::Yes);
    EXPECT_EQ(s.whiteSpace, CssStyle::WhiteSpace::Preserve);
    EXPECT_EQ(s.display, CssStyle::Display::Block);
}

TEST(CssStyle, WhatTheStyleDoesNotSayStaysUnset) {
    const CssStyle s = parseInlineStyle("margin: 0; unknown-thing: 3");
    EXPECT_EQ(s.bold, Tri::Unset);
    EXPECT_EQ(s.italic, Tri::Unset);
    EXPECT_EQ(s.hidden, Tri::Unset);
    EXPECT_EQ(s.display, CssStyle::Display::Unset);
    EXPECT_FALSE(s.hasColor);
    EXPECT_EQ(s.sizePoints, 0);
    EXPECT_EQ(s.sizeFactor, 0);
    EXPECT_TRUE(s.family.empty());
}

TEST(CssStyle, SemicolonsInsideQuotesAndParenthesesDoNotEndADeclaration) {
    const CssStyle s =
        parseInlineStyle("font-family: 'A;B', serif ; background-color: rgba(0, 0, 255, 0.5)"
                         " !important;font-weight:normal");
    EXPECT_EQ(s.family, "A;B");
    EXPECT_TRUE(s.hasBackground);
    EXPECT_EQ(s.background, qRgb(0, 0, 255));
    EXPECT_EQ(s.bold, Tri::No);
}

TEST(CssStyle, FontSizesInEveryUnitAndOutOfRange) {
    EXPECT_DOUBLE_EQ(parseInlineStyle("font-size: 12pt").sizePoints, 12);
    EXPECT_DOUBLE_EQ(parseInlineStyle("font-size: medium").sizePoints, 12);
    EXPECT_DOUBLE_EQ(parseInlineStyle("font-size: 1.5em").sizeFactor, 1.5);
    EXPECT_DOUBLE_EQ(parseInlineStyle("font-size: 50%").sizeFactor, 0.5);
    EXPECT_DOUBLE_EQ(parseInlineStyle("font-size: smaller").sizeFactor, 0.83);
    EXPECT_EQ(parseInlineStyle("font-size: 0px").sizePoints, 0);
    EXPECT_EQ(parseInlineStyle("font-size: 99999px").sizePoints, 0);
    EXPECT_EQ(parseInlineStyle("font-size: -4px").sizePoints, 0);
}

TEST(CssStyle, HiddenAndInvisibleElements) {
    EXPECT_EQ(parseInlineStyle("display: none").display, CssStyle::Display::None);
    EXPECT_EQ(parseInlineStyle("display: inline-block").display, CssStyle::Display::Inline);
    EXPECT_EQ(parseInlineStyle("display: table-cell").display, CssStyle::Display::TableCell);
    EXPECT_EQ(parseInlineStyle("visibility: collapse").hidden, Tri::Yes);
    EXPECT_EQ(parseInlineStyle("visibility: visible").hidden, Tri::No);
}

TEST(CssColor, EveryNotationAndTransparency) {
    QRgb rgb = 0;
    ASSERT_TRUE(parseCssColor("#f80", rgb));
    EXPECT_EQ(rgb, qRgb(0xff, 0x88, 0x00));
    ASSERT_TRUE(parseCssColor("#0a0B0c", rgb));
    EXPECT_EQ(rgb, qRgb(0x0a, 0x0b, 0x0c));
    ASSERT_TRUE(parseCssColor("rgb(100% 0% 20%)", rgb));
    EXPECT_EQ(rgb, qRgb(255, 0, 51));
    ASSERT_TRUE(parseCssColor("rgb(300, -5, 10)", rgb));
    EXPECT_EQ(rgb, qRgb(255, 0, 10)) << "channels are clamped";
    ASSERT_TRUE(parseCssColor("navy", rgb));
    EXPECT_EQ(rgb, qRgb(0, 0, 0x80));
    EXPECT_FALSE(parseCssColor("rgba(0, 0, 0, 0)", rgb));
    EXPECT_FALSE(parseCssColor("#00000000", rgb));
    EXPECT_FALSE(parseCssColor("transparent", rgb));
    EXPECT_FALSE(parseCssColor("#12", rgb));
    EXPECT_FALSE(parseCssColor("rgb", rgb));
}
