// Letter code to display characters, Reverse mirroring, the shared buffer, the style-key font table
// and the headings: everything of the text layer that needs no drawing.
#include "TextTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class TextConversion : public ::testing::Test {
protected:
    void SetUp() override { ResetReaderState(); }
    void TearDown() override { ResetReaderState(); }

    std::u16string Convert(const char* bytes, int base, bool reverse, int n = -1) {
        ReaderState.FontSpec.FontAsciiBase = base;
        ReaderState.Flags = reverse ? FlagReverse : 0;
        if (n < 0) n = int(std::strlen(bytes));
        WCHAR* out = ToDisplayText(reinterpret_cast<const uint8_t*>(bytes), nullptr, &ConversionBuffer, n);
        return out ? std::u16string(out) : std::u16string(u"<null>");
    }
};

} // namespace

TEST_F(TextConversion, LettersFollowTheBase) {
    EXPECT_EQ(Convert("ab{", AsciiBaseUnicode, false), (std::u16string{0x5D0, 0x5D1, 0x5EA}));
    EXPECT_EQ(Convert("ab{", AsciiBaseCodePage, false), (std::u16string{0xE0, 0xE1, 0xFA}));
    EXPECT_EQ(Convert("ab{", AsciiBaseLatin, false), u"ab{");
    for (int base : {AsciiBaseUnicode, AsciiBaseCodePage, AsciiBaseLatin}) {
        EXPECT_EQ(Convert("~", base, false), u"{") << base;
        EXPECT_EQ(Convert("1, 2-3.", base, false), u"1, 2-3.") << base;
    }
    // Bytes above 0x7F are shown as the characters of the same value.
    EXPECT_EQ(Convert("\xE9", AsciiBaseUnicode, false), std::u16string(1, char16_t(0xE9)));
}

TEST_F(TextConversion, ReverseMirrorsRunsAndBracketsExceptForLatinLetters) {
    EXPECT_EQ(Convert("a(b", AsciiBaseUnicode, true), (std::u16string{0x5D1, u')', 0x5D0}));
    EXPECT_EQ(Convert("[a]~}", AsciiBaseCodePage, true), (std::u16string{u'{', u'}', u'[', 0xE0, u']'}));
    EXPECT_EQ(Convert("a(b", AsciiBaseLatin, true), u"a(b");
    EXPECT_EQ(Convert("", AsciiBaseUnicode, true, 0), u"");
}

TEST_F(TextConversion, ConversionStopsAtAZeroByteAndMirrorsOnlyWhatItConverted) {
    const char bytes[] = {'a', 'b', 0, 'c', 'd'};
    EXPECT_EQ(Convert(bytes, AsciiBaseUnicode, true, 5), (std::u16string{0x5D1, 0x5D0}));
    EXPECT_EQ(Convert("abcd", AsciiBaseLatin, false, 2), u"ab");
}

TEST_F(TextConversion, MirrorReverseInPlace) {
    std::u16string odd = u"(x]";
    EXPECT_EQ(MirrorReverse(odd.data(), 3), 0);
    EXPECT_EQ(odd, u"[x)");
    std::u16string even = u"ab{}";
    MirrorReverse(even.data(), 4);
    EXPECT_EQ(even, u"{}ba");
    std::u16string one = u"(";
    MirrorReverse(one.data(), 1);
    EXPECT_EQ(one, u")");
}

TEST_F(TextConversion, SharedBufferGrowsOnlyForLongerRuns) {
    std::string longRun(300, 'a');
    Convert(longRun.c_str(), AsciiBaseUnicode, false);
    WCHAR* chars = ConversionBuffer.Chars;
    EXPECT_GE(ConversionBuffer.Capacity, 300);
    Convert("abc", AsciiBaseUnicode, false);
    Convert(longRun.c_str(), AsciiBaseUnicode, true);
    EXPECT_EQ(ConversionBuffer.Chars, chars);

    // Without a buffer the caller owns the result; the block to release is released.
    ReaderState.FontSpec.FontAsciiBase = AsciiBaseLatin;
    void* release = std::malloc(16);
    WCHAR* own = ToDisplayText(reinterpret_cast<const uint8_t*>("ba"), release, nullptr, 2);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(std::u16string(own), (std::u16string{u'b', u'a'}));
    std::free(own);
}

TEST(StyleFonts, HeightsWeightsAndColoursByKey) {
    EXPECT_EQ(StyleFontHeight(16, 0x0C), 20);
    EXPECT_EQ(StyleFontWeight(0x0C), FW_BOLD);
    EXPECT_EQ(StyleFontHeight(16, 0x02), 12);
    EXPECT_EQ(StyleFontHeight(16, 0x06), 20); // large wins over small
    EXPECT_EQ(StyleTextColour(0x06), ColourSmallText);
    EXPECT_EQ(StyleFontHeight(0, 0x04), DefaultLargeHeight);
    EXPECT_EQ(StyleFontHeight(0, 0x02), DefaultSmallHeight);
    EXPECT_EQ(StyleFontHeight(0, 0x01), 0);
    EXPECT_EQ(StyleFontHeight(15, 0x04), 18); // truncated toward zero
    EXPECT_EQ(StyleFontWeight(0x11), FW_NORMAL);
    EXPECT_EQ(StyleTextColour(0x0C), ColourLargeBoldText);
    EXPECT_EQ(StyleTextColour(0x08), ColourPlainText);
    EXPECT_EQ(StyleTextColour(0x04), ColourPlainText);
}

TEST(Headings, HeadingAndSubHeadingInEitherCombination) {
    uint8_t* both = MakeText({{StyleHeading, 0, "cba"}, {StyleSubHeading, 0, "ed"}, {0x01, 0, "x"}});
    PaneHeadings h = FindHeadings(both);
    ASSERT_NE(h.Heading, nullptr);
    EXPECT_EQ(h.Heading, both + 2);
    EXPECT_EQ(h.HeadingLength, 3);
    ASSERT_NE(h.SubHeading, nullptr);
    EXPECT_EQ(h.SubHeading, both + 8);
    EXPECT_EQ(h.SubHeadingLength, 2);
    std::free(both);

    uint8_t* subOnly = MakeText({{StyleSubHeading, 0, "ed"}});
    h = FindHeadings(subOnly);
    EXPECT_EQ(h.Heading, nullptr);
    EXPECT_EQ(h.SubHeadingLength, 2);
    std::free(subOnly);

    uint8_t* neither = MakeText({{0x01, 0, "x"}, {StyleSubHeading, 0, "ed"}});
    h = FindHeadings(neither);
    EXPECT_EQ(h.Heading, nullptr);
    EXPECT_EQ(h.SubHeading, nullptr);
    std::free(neither);
    EXPECT_EQ(FindHeadings(nullptr).Heading, nullptr);
}
