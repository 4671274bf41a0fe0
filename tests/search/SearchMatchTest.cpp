// SearchMatchTest.cpp: the backward matcher against its plain oracle on random texts and patterns,
// its "?" and "*" rules, FindInText's order over records, and the search text's encoding.
#include "ReferenceMatch.h"
#include "SearchTestSupport.h"
#include "search/SearchEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>
#include <string>

namespace {

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.c_str());
}

TEST(MatchBackward, AgreesWithThePlainOracleOnRandomTextsAndPatterns) {
    std::mt19937 random(20261208);
    // Few distinct bytes, with the wildcards themselves in the text, so that every rule is met often;
    // texts long enough for the matcher to look at sixteen candidates at a time.
    const std::string alphabet = "ab*?c", patternAlphabet = "ab*?";
    for (int round = 0; round < 200000; ++round) {
        std::string text(1 + random() % 64, ' '), pattern(1 + random() % 6, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        for (char& c : pattern)
            c = patternAlphabet[random() % patternAlphabet.size()];
        const long begin = long(random() % text.size());
        const long from = begin + long(random() % (text.size() - size_t(begin)));
        const ReferenceHit expected = ReferenceMatchBackward(text, begin, pattern, from);
        int length = -1;
        const uint8_t* hit = MatchBackward(Bytes(text) + begin, Bytes(pattern), Bytes(text) + from, &length);
        ASSERT_EQ(hit != nullptr, expected.Found) << text << ' ' << pattern << ' ' << begin << ' ' << from;
        if (!hit) continue;
        ASSERT_EQ(hit - Bytes(text), expected.End) << text << ' ' << pattern;
        ASSERT_EQ(length, expected.Length) << text << ' ' << pattern;
    }
}

TEST(MatchBackward, WildcardRules) {
    struct Case {
        const char* Text;
        const char* Pattern;
        long End, Length; // -1, 0: none
    } cases[] = {
        {"abxabyab", "ab", 7, 2}, // the hit whose last byte is highest
        {"abxabyab", "a", 6, 1},  // one byte: wherever it is
        {"abc", "zabc", -1, 0},   // would run below the string
        {"axb", "a?b", 2, 3},     // "?" takes any one byte
        {"abc", "ab?", -1, 0},    // the last byte is compared as it is
        {"ab?c", "ab?", 2, 3},    // ... so it matches only itself
        {"ab", "a*b", 1, 2},      // "*" takes an empty run: the two letters side by side
        {"axyzb", "a*b", 4, 5},   // or any run
        {"axayb", "a*b", 4, 3},   // the nearest prefix below
        {"ab*c", "ab*", 2, 3},    // a last "*" only where the text holds one
        {"xaby", "*ab", -1, 0},   // a first "*" has an empty prefix, never found
        {"a*b", "a*b", 2, 3},     // "*" against '*' is a plain byte
        {"*bxb", "*b", -1, 0},    // the highest 'b' already settles it: the lower one is not tried
    };
    for (const Case& c : cases) {
        const std::string text = c.Text;
        int length = 0;
        const uint8_t* hit =
            MatchBackward(Bytes(text), Bytes(c.Pattern), Bytes(text) + text.size() - 1, &length);
        EXPECT_EQ(hit ? hit - Bytes(text) : -1, c.End) << c.Text << ' ' << c.Pattern;
        EXPECT_EQ(hit ? length : 0, c.Length) << c.Text << ' ' << c.Pattern;
    }
}

TEST(FindInText, SearchesTheStartRecordDownwardAndLaterRecordsWhole) {
    // Strings "ab ab" at 2-6, "ab" at 10-11, "xab" at 15-17 (terminator 18), "b" at 21. Style and
    // Param bytes lie outside every string and are never matched.
    const TextBytes text = MakeText({{0x91, 0, "ab ab"}, {0x91, 0, "ab"}, {0x91, 0, "xab"}, {0x11, 0, "b"}});
    const std::pair<const char*, unsigned> starts[] = {{"ab", 6},  {"ab", 5},   {"ab", 2},  {"ab", 0},
                                                       {"xa", 12}, {"ab", 18},  {"ab", 19}, {"ab", 0xFFFF},
                                                       {"", 0},    {"\x11", 0}, {"x*b", 17}};
    const int expected[] = {6, 3, 11, 6, 16, 17, 0, 0, 0, 0, 17};
    for (size_t k = 0; k < std::size(starts); ++k) {
        int length = 0;
        EXPECT_EQ(FindInText(text.data(), Bytes(starts[k].first), starts[k].second, &length), expected[k])
            << k;
        if (expected[k]) {
            EXPECT_EQ(length, std::strlen(starts[k].first) == 3 ? 3 : 2) << k;
        }
    }
}

TEST(EncodeSearchBytes, LettersOfEitherBaseLowBytesAndSpaces) {
    char out[SearchStringCapacity];
    const char16_t unicode[] = {0x5D0, 0x5D1, u'?', 0x5EA, u'*', 0x5EB, 0};
    EXPECT_EQ(EncodeSearchBytes(unicode, AsciiBaseUnicode, out), 6);
    EXPECT_STREQ(out, "ab?{*\xEB");
    const char16_t codePage[] = {224, 225, 250, u'1', 0x5D0, 0};
    EXPECT_EQ(EncodeSearchBytes(codePage, AsciiBaseCodePage, out), 5);
    EXPECT_STREQ(out, "ab{1\xD0");
    EXPECT_EQ(EncodeSearchBytes(u"  \x5D0   \x5D1 ", AsciiBaseUnicode, out), 5); // a run keeps its last
    EXPECT_STREQ(out, " a b ");
    const char16_t zeroLow[] = {0x5D0, 0x100, 0x5D1, 0}; // a zero low byte ends the text
    EXPECT_EQ(EncodeSearchBytes(zeroLow, AsciiBaseUnicode, out), 1);

    ResetReaderState();
    ReaderState.FontSpec.FontAsciiBase = AsciiBaseUnicode;
    EncodeSearchString(std::u16string(40, char16_t(0x5D3)).c_str()); // 33 letters fill the field
    EXPECT_EQ(std::strlen(ReaderState.SearchString), size_t(SearchPatternMax));
    EncodeSearchString(nullptr);
    EXPECT_EQ(ReaderState.SearchString[0], 0);
    ResetReaderState();
}

} // namespace
