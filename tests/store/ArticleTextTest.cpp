// The text model: the record walk, rules, headings, validity and the letter code.
#include "store/ArticleText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Record(uint8_t style, uint8_t param, const std::string& s) {
    Bytes b(s.size() + 3, 0);
    b[0] = style;
    b[1] = param;
    for (size_t i = 0; i < s.size(); ++i)
        b[2 + i] = uint8_t(s[i]);
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<TextRecord> Walk(const Bytes& text) {
    std::vector<TextRecord> records;
    RecordCursor cursor = BeginRecords(text.data(), text.size());
    TextRecord r;
    while (NextTextRecord(&cursor, &r))
        records.push_back(r);
    return records;
}

} // namespace

TEST(ArticleText, WalkStopsAtStyleZeroOrTheEnd) {
    Bytes text = Join({Record(StyleHeading, 0, "cba"), Record(0x07, 10, ""), Record(0x01, 0x45, "ab cd")});
    auto records = Walk(text);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Style, StyleHeading);
    EXPECT_EQ(records[0].StringLength, 3u);
    EXPECT_TRUE(IsSeparatorStyle(records[1].Style));
    EXPECT_EQ(records[1].StringLength, 0u);
    EXPECT_EQ(records[2].Offset, 9u);
    EXPECT_EQ(records[2].StringOffset, 11u);
    EXPECT_EQ(HangClassOf(records[2].Param), 1u);
    EXPECT_EQ(IndentOf(records[2].Param), 5u);

    Bytes ended = Join({Record(0x01, 0, "a"), Bytes{0}, Record(0x01, 0, "hidden")});
    EXPECT_EQ(Walk(ended).size(), 1u);
}

TEST(ArticleText, CutOffRecordsNeverReadPastTheBuffer) {
    // A string without terminator, a lone Style byte, a Style and Param with no string.
    EXPECT_EQ(Walk(Bytes{0x01, 0x00, 'a', 'b'}).size(), 1u);
    EXPECT_EQ(Walk(Bytes{0x01, 0x00, 'a', 0, 0x07}).size(), 2u);
    auto lone = Walk(Bytes{0x07});
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_EQ(lone[0].Param, 0);
    EXPECT_EQ(lone[0].StringLength, 0u);
    EXPECT_TRUE(Walk(Bytes{}).empty());
}

TEST(ArticleText, RuleLengths) {
    EXPECT_EQ(RuleLength(0, 200), 0);
    EXPECT_EQ(RuleLength(60, 200), 60);
    EXPECT_EQ(RuleLength(160, 100), 100); // capped at the width
    EXPECT_EQ(RuleLength(200, 200), 160); // 80 %
    EXPECT_EQ(RuleLength(250, 200), 200); // 180 % capped
    EXPECT_EQ(RuleLength(161, 150), 3);   // 2 % of 150 truncated
}

TEST(ArticleText, Validity) {
    EXPECT_FALSE(IsValidArticleText(Bytes{0}.data(), 1));
    EXPECT_FALSE(IsValidArticleText(Record(0x01, 0, "").data(), 3));
    Bytes rule = Record(0x07, 0, "");
    EXPECT_TRUE(IsValidArticleText(rule.data(), rule.size()));
    Bytes text = Record(0x01, 0, "a");
    EXPECT_TRUE(IsValidArticleText(text.data(), text.size()));
}

TEST(ArticleText, Headings) {
    Bytes both = Join({Record(StyleHeading, 0, "cba"), Record(StyleSubHeading, 0, "ed"), Record(1, 0, "x")});
    ArticleHeadings h = FindArticleHeadings(both.data(), both.size());
    EXPECT_TRUE(h.HasHeading);
    EXPECT_TRUE(h.HasSubHeading);
    EXPECT_EQ(h.SubHeading.StringOffset, 8u);

    Bytes subOnly = Join({Record(StyleSubHeading, 0, "ed"), Record(1, 0, "x")});
    h = FindArticleHeadings(subOnly.data(), subOnly.size());
    EXPECT_FALSE(h.HasHeading);
    EXPECT_TRUE(h.HasSubHeading);

    Bytes near = Join({Record(StyleHeading | 0x01, 0, "cba"), Record(StyleSubHeading, 0, "ed")});
    h = FindArticleHeadings(near.data(), near.size());
    EXPECT_FALSE(h.HasHeading);
    EXPECT_FALSE(h.HasSubHeading); // the sub-heading must be the first or second record after a heading
}

TEST(ArticleText, LetterCodeBothWays) {
    EXPECT_EQ(LetterCodeToChar('a', AsciiBaseUnicode), u'\u05D0');
    EXPECT_EQ(LetterCodeToChar('{', AsciiBaseUnicode), u'\u05EA');
    EXPECT_EQ(LetterCodeToChar('b', AsciiBaseCodePage), char16_t(0xE1));
    EXPECT_EQ(LetterCodeToChar('{', AsciiBaseLatin), u'{');
    EXPECT_EQ(LetterCodeToChar('~', AsciiBaseUnicode), u'{');
    EXPECT_EQ(LetterCodeToChar('~', AsciiBaseCodePage), u'{');
    EXPECT_EQ(LetterCodeToChar(0xE9, AsciiBaseUnicode), char16_t(0xE9));
    for (char32_t cp = HebrewAlef; cp <= HebrewTav; ++cp)
        EXPECT_EQ(LetterCodeToUnicode(UnicodeToLetterCode(cp)), cp);
    EXPECT_EQ(UnicodeToLetterCode(U'{'), LetterCodeBrace);
    EXPECT_EQ(UnicodeToLetterCode(U'7'), '7');
    EXPECT_EQ(UnicodeToLetterCode(U'A'), 'A');
    EXPECT_EQ(UnicodeToLetterCode(U'a'), 0); // the letter code has no Latin small letters
    EXPECT_EQ(UnicodeToLetterCode(U'~'), 0);
    EXPECT_EQ(UnicodeToLetterCode(0x05F0), 0); // Yiddish ligature: not a letter of the code
    EXPECT_EQ(UnicodeToLetterCode(0xE9), 0xE9);
    EXPECT_EQ(DisplayCharToLetterCode(u'\u05D3', AsciiBaseUnicode), 'd');
    EXPECT_EQ(DisplayCharToLetterCode(char16_t(0xE0 + 26), AsciiBaseCodePage), '{');
    EXPECT_EQ(DisplayCharToLetterCode(u'?', AsciiBaseUnicode), '?');
}
