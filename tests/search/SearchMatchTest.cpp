// SearchMatchTest.cpp: the backward matcher against its plain oracle on random texts and patterns,
// its "?" and "*" rules, FindInText's order over records, and the search text's encoding.
#include "ReferenceMatch.h"
#include "SearchTestSupport.h"
#include "search/SearchEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.c_str());
}

// MatchBackward over the whole string from its last byte, as (end index, length) or (-1, 0).
std::pair<long, long> Match(const std::string& text, const std::string& pattern) {
    int length = 0;
    const uint8_t* hit = MatchBackward(Bytes(text), Bytes(pattern), Bytes(text) + text.size() - 1, &length);
    if (!hit) return {-1, 0};
    return {long(hit - Bytes(text)), length};
}

TEST(MatchBackward, AgreesWithThePlainOracleOnRandomTextsAndPatterns) {
    std::mt19937 random(20261208);
    // Few distinct bytes, with the wildcards themselves in the text, so that every rule is met often.
    const std::string alphabet = "ab*?c";
    const std::string patternAlphabet = "ab*?";
    for (int round = 0; round < 200000; ++round) {
        std::string text(1 + random() % 24, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        std::string pattern(1 + random() % 6, ' ');
        for (char& c : pattern)
            c = patternAlphabet[random() % patternAlphabet.size()];
        const long begin = long(random() % text.size());
        const long from = begin + long(random() % (text.size() - size_t(begin)));
        const ReferenceHit expected = ReferenceMatchBackward(text, begin, pattern, from);
        int length = -1;
        const uint8_t* hit = MatchBackward(Bytes(text) + begin, Bytes(pattern), Bytes(text) + from, &length);
        ASSERT_EQ(hit != nullptr, expected.Found)
            << '"' << text << "\" \"" << pattern << "\" " << begin << ' ' << from;
        if (!hit) continue;
        ASSERT_EQ(hit - Bytes(text), expected.End) << text << ' ' << pattern;
        ASSERT_EQ(length, expected.Length) << text << ' ' << pattern;
    }
}

TEST(MatchBackward, FindsTheHitWhoseLastByteIsHighest) {
    EXPECT_EQ(Match("abxabyab", "ab"), std::make_pair(7L, 2L));
    EXPECT_EQ(Match("abxabyab", "a"), std::make_pair(6L, 1L)); // one byte: wherever it is
    EXPECT_EQ(Match("abxabyab", "xab"), std::make_pair(4L, 3L));
    EXPECT_EQ(Match("abc", "zabc"), std::make_pair(-1L, 0L)); // runs below the string
    int length = 0;
    const std::string text = "abcab";
    EXPECT_EQ(MatchBackward(Bytes(text), Bytes("ab"), Bytes(text) + 3, &length), Bytes(text) + 1);
}

TEST(MatchBackward, QuestionMarkTakesAnyOneByteButNotAsTheLastByte) {
    EXPECT_EQ(Match("axb", "a?b"), std::make_pair(2L, 3L));
    EXPECT_EQ(Match("ab", "a?b"), std::make_pair(-1L, 0L));
    EXPECT_EQ(Match("abc", "ab?"), std::make_pair(-1L, 0L)); // the last byte is compared as it is
    EXPECT_EQ(Match("ab?c", "ab?"), std::make_pair(2L, 3L));
}

TEST(MatchBackward, StarTakesAnyRunIncludingAnEmptyOne) {
    EXPECT_EQ(Match("ab", "a*b"), std::make_pair(1L, 2L));    // side by side
    EXPECT_EQ(Match("axyzb", "a*b"), std::make_pair(4L, 5L)); // a run between
    EXPECT_EQ(Match("axayb", "a*b"), std::make_pair(4L, 3L)); // the nearest prefix below
    EXPECT_EQ(Match("abc", "ab*"), std::make_pair(-1L, 0L));  // last byte literal
    EXPECT_EQ(Match("ab*c", "ab*"), std::make_pair(2L, 3L));  // found where the text holds '*'
    EXPECT_EQ(Match("xaby", "*ab"), std::make_pair(-1L, 0L)); // an empty prefix is never found
    EXPECT_EQ(Match("a*b", "a*b"), std::make_pair(2L, 3L));   // '*' against '*' is a plain byte
    EXPECT_EQ(Match("cxb", "a*b"), std::make_pair(-1L, 0L));
}

TEST(MatchBackward, AStarWhosePrefixIsMissingEndsTheSearchAtOnce) {
    // The highest 'b' sends "*" looking for an empty prefix, which is never found: the lower 'b',
    // where '*' would be met by a '*' of the text, is not tried.
    EXPECT_EQ(Match("*bxb", "*b"), std::make_pair(-1L, 0L));
    EXPECT_EQ(Match("*b", "*b"), std::make_pair(1L, 2L));
    EXPECT_EQ(Match("xbzb", "q*b"), std::make_pair(-1L, 0L));
}

TEST(FindInText, SearchesTheStartRecordDownwardAndLaterRecordsWhole) {
    // Records: "ab ab" at 2-6, "ab" at 10-11, "xab" at 15-17.
    const TextBytes text = MakeText({{0x91, 0, "ab ab"}, {0x91, 0, "ab"}, {0x91, 0, "xab"}});
    int length = 0;
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 6, &length), 6);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 5, &length), 3);   // from below the last hit
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 2, &length), 11);  // then the next record, whole
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 0, &length), 6);   // before every string: all whole
    EXPECT_EQ(FindInText(text.data(), Bytes("xa"), 12, &length), 16); // earlier records are skipped
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 18, &length), 17); // from the terminator
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 19, &length), 0);
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 0xFFFF, &length), 0); // beyond every text
    EXPECT_EQ(FindInText(text.data(), Bytes(""), 0, &length), 0);
}

TEST(FindInText, NeverMatchesAcrossARecordBoundary) {
    const TextBytes text = MakeText({{0x91, 0, "xa"}, {0x91, 0, "b"}});
    int length = 0;
    EXPECT_EQ(FindInText(text.data(), Bytes("ab"), 0, &length), 0);
    EXPECT_EQ(FindInText(text.data(), Bytes("a*b"), 0, &length), 0);
    EXPECT_EQ(FindInText(text.data(), Bytes("b"), 0, &length), 7);
}

TEST(EncodeSearchBytes, MapsTheLettersOfEitherBaseAndKeepsTheLowByteOfTheRest) {
    char out[SearchStringCapacity];
    const char16_t unicode[] = {0x5D0, 0x5D1, u'?', 0x5EA, u'*', 0x5EB, 0};
    EXPECT_EQ(EncodeSearchBytes(unicode, AsciiBaseUnicode, out), 6);
    EXPECT_STREQ(out, "ab?{*\xEB");
    const char16_t codePage[] = {224, 225, 250, u'1', 0x5D0, 0};
    EXPECT_EQ(EncodeSearchBytes(codePage, AsciiBaseCodePage, out), 5);
    EXPECT_STREQ(out, "ab{1\xD0");
}

TEST(EncodeSearchBytes, KeepsTheLastSpaceOfARunAndStopsAtAZeroByte) {
    char out[SearchStringCapacity];
    EXPECT_EQ(EncodeSearchBytes(u"  \x5D0   \x5D1 ", AsciiBaseUnicode, out), 5);
    EXPECT_STREQ(out, " a b ");
    const char16_t zeroLow[] = {0x5D0, 0x100, 0x5D1, 0};
    EXPECT_EQ(EncodeSearchBytes(zeroLow, AsciiBaseUnicode, out), 1);
    EXPECT_EQ(EncodeSearchBytes(u"", AsciiBaseUnicode, out), 0);
    EXPECT_EQ(out[0], 0);
}

TEST(EncodeSearchString, ThirtyThreeLettersFillTheFieldExactly) {
    ResetReaderState();
    ReaderState.FontSpec.FontAsciiBase = AsciiBaseUnicode;
    std::u16string typed(40, char16_t(0x5D3));
    EncodeSearchString(typed.c_str());
    EXPECT_EQ(std::strlen(ReaderState.SearchString), size_t(SearchPatternMax));
    EXPECT_EQ(ReaderState.SearchString[SearchStringCapacity - 1], 0);
    EXPECT_EQ(ReaderState.SearchString[0], 'd');
    EncodeSearchString(nullptr);
    EXPECT_EQ(ReaderState.SearchString[0], 0);
    ResetReaderState();
}

} // namespace
