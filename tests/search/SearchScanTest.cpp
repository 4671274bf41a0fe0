// SearchScanTest.cpp: the scan over the articles on the texts built into the program: its order
// (parity by split, the wrap after 250, the end of the pass whatever the start), the next hit
// against an oracle that follows the scan's rules word by word, and the live texts, counted by
// wrapping LoadArticleText and free.
#include "SearchTestSupport.h"
#include "search/SearchEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

// The texts the store handed out and that are not freed yet. Plain storage: free is wrapped for the
// whole program, which frees after static destructors have run.
namespace {
constexpr int LiveSlots = 16;
void* LiveText[LiveSlots];
size_t LiveCount = 0;
size_t PeakLiveTexts = 0;
void ResetLiveTexts() {
    LiveCount = 0;
    PeakLiveTexts = 0;
}
} // namespace

extern "C" uint8_t* __real__Z15LoadArticleTexti(int);
extern "C" void __real_free(void*);
extern "C" uint8_t* __wrap__Z15LoadArticleTexti(int n) {
    uint8_t* text = __real__Z15LoadArticleTexti(n);
    if (text && LiveCount < LiveSlots) LiveText[LiveCount++] = text;
    PeakLiveTexts = std::max(PeakLiveTexts, LiveCount);
    return text;
}
extern "C" void __wrap_free(void* p) {
    for (size_t k = 0; p && k < LiveCount; ++k)
        if (LiveText[k] == p) {
            LiveText[k] = LiveText[--LiveCount];
            break;
        }
    __real_free(p);
}

namespace {

// Every text of the program, decoded once (empty when missing).
const std::vector<TextBytes>& Articles() {
    static const std::vector<TextBytes> all = [] {
        std::vector<TextBytes> v(LastArticleNumber + 1);
        for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
            uint8_t* text = LoadArticleText(n);
            if (!text) continue;
            size_t length = 0;
            while (text[length] != 0)
                length += 2 + std::strlen(reinterpret_cast<const char*>(text + length + 2)) + 1;
            v[n].assign(text, text + length + ArticleTextPadding);
            std::free(text);
        }
        return v;
    }();
    return all;
}

const uint8_t* TextOf(int n) {
    return Articles()[n].empty() ? nullptr : Articles()[n].data();
}

// The scan as its rules read: A + 1, A + 2, ...; an even number passed over while the commentary is
// hidden; above 250 back to 1; at A the start text once more. The loop is bounded only so that the
// open case (A even, commentary hidden, where A never comes) ends in the test too.
SearchHit Oracle(const SearchStart& s) {
    int length = 0;
    if (s.Text)
        if (uint16_t end = FindInText(s.Text, s.Pattern, s.Offset, &length))
            return SearchHit{s.Article, 1, end, uint16_t(length), nullptr};
    int i = s.Article;
    for (int guard = 0; guard < 4 * LastArticleNumber; ++guard) {
        ++i;
        if (s.BottomSection < 10 && i % 2 == 0) continue;
        if (i > LastArticleNumber) i = 1;
        if (i == s.Article) break;
        if (TextOf(i))
            if (uint16_t end = FindInText(TextOf(i), s.Pattern, 0, &length))
                return SearchHit{i, 0, end, uint16_t(length), nullptr};
    }
    if (s.Text)
        if (uint16_t end = FindInText(s.Text, s.Pattern, 0, &length))
            return SearchHit{s.Article, 1, end, uint16_t(length), nullptr};
    return SearchHit{0, 0, 0, 0, nullptr};
}

TEST(SearchScanOrder, EveryStartEndsAfterOnePassWithoutTheStartArticle) {
    int order[SearchScanLength];
    ASSERT_EQ(SearchScanOrder(247, SplitHalf, order), SearchScanLength);
    EXPECT_EQ(order[3], 1); // 248, 249, 250, then 1
    ASSERT_EQ(SearchScanOrder(249, SplitNone, order), 124);
    EXPECT_EQ(order[0], 1); // 250 passed over, then 1
    for (int32_t split :
         {SplitNone, SplitHalf, SplitThird, SplitQuarter, SplitTwoThirds, SplitThreeQuarters}) {
        for (int a = FirstArticleNumber; a <= LastArticleNumber; ++a) {
            const int count = SearchScanOrder(a, split, order);
            std::set<int> seen(order, order + count);
            EXPECT_EQ(seen.size(), size_t(count)) << a;
            EXPECT_EQ(seen.count(a), 0u) << a;
            // Hidden commentary: every odd number but A (all 125 when A is even, the open case).
            const bool hidden = split < SplitShowsCommentary;
            EXPECT_EQ(count, !hidden ? LastArticleNumber - 1 : (a % 2 ? 124 : 125)) << a << ' ' << split;
            for (int k = 0; hidden && k < count; ++k)
                EXPECT_EQ(order[k] % 2, 1);
        }
    }
}

TEST(FindNextHit, AgreesWithTheOracleFromRandomStarts) {
    std::mt19937 random(1208);
    int found = 0, elsewhere = 0;
    for (int round = 0; round < 300; ++round) {
        // A piece of a random record of a random text, now and then with a wildcard inside.
        int source = 1 + int(random() % LastArticleNumber);
        if (!TextOf(source)) continue;
        const TextBytes& bytes = Articles()[source];
        const size_t at = 2 + random() % (bytes.size() - 8);
        std::string pattern;
        for (size_t k = at; k < bytes.size() && bytes[k] != 0 && pattern.size() < 2 + random() % 5; ++k)
            pattern.push_back(char(bytes[k]));
        if (pattern.empty()) continue;
        if (pattern.size() > 2 && random() % 4 == 0)
            pattern[1 + random() % (pattern.size() - 2)] = "?*"[random() % 2];
        SearchStart start;
        start.Pattern = reinterpret_cast<const uint8_t*>(pattern.c_str());
        start.Article = 1 + int(random() % LastArticleNumber);
        start.Text = random() % 8 ? TextOf(start.Article) : nullptr;
        start.Offset = uint16_t(random() % 3 == 0 ? 0xFFFF : random() % Articles()[start.Article].size());
        start.BottomSection = random() % 2 ? SplitNone : SplitThird;
        const SearchHit expected = Oracle(start);
        SearchHit hit{};
        const int result = FindNextHit(&start, &hit);
        ASSERT_EQ(result, expected.Article != 0 ? 1 : 0) << pattern << " from " << start.Article;
        if (!result) continue;
        ++found;
        EXPECT_EQ(hit.Article, expected.Article) << pattern << " from " << start.Article;
        EXPECT_EQ(hit.End, expected.End);
        EXPECT_EQ(hit.Length, expected.Length);
        EXPECT_EQ(hit.InStart, expected.InStart);
        EXPECT_EQ(hit.Text != nullptr, !hit.InStart);
        if (hit.Text) {
            ++elsewhere;
            EXPECT_EQ(std::memcmp(hit.Text, TextOf(hit.Article), Articles()[hit.Article].size()), 0);
            std::free(hit.Text);
        }
    }
    EXPECT_GT(found, 100);
    EXPECT_GT(elsewhere, 20);
}

// A piece of text that occurs once in all the articles, and where.
bool FindUniquePiece(std::string* piece, int* article, uint16_t* end) {
    for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
        if (!TextOf(n)) continue;
        const TextBytes& t = Articles()[n];
        for (size_t at = 40; at + 12 < t.size(); at += 97) {
            std::string candidate(reinterpret_cast<const char*>(t.data() + at), 9);
            if (candidate.find_first_of(std::string("?*\0", 3)) != std::string::npos) continue;
            int count = 0;
            for (int m = FirstArticleNumber; m <= LastArticleNumber && count < 2; ++m) {
                const TextBytes& u = Articles()[m];
                for (auto it = u.begin(); count < 2;) {
                    it = std::search(it, u.end(), candidate.begin(), candidate.end());
                    if (it == u.end()) break;
                    ++count;
                    ++it;
                }
            }
            if (count != 1) continue;
            *piece = candidate;
            *article = n;
            *end = uint16_t(at + 8);
            return true;
        }
    }
    return false;
}

TEST(FindNextHit, TheOnlyOccurrenceIsFoundAgainAfterTheWholePass) {
    std::string piece;
    int article = 0;
    uint16_t end = 0;
    ASSERT_TRUE(FindUniquePiece(&piece, &article, &end));
    SearchStart start{reinterpret_cast<const uint8_t*>(piece.c_str()), article, TextOf(article),
                      uint16_t(end - piece.size()), SplitHalf}; // HitStart - 1: below the current hit
    ResetLiveTexts();
    SearchHit hit{};
    ASSERT_EQ(FindNextHit(&start, &hit), 1);
    EXPECT_EQ(hit.InStart, 1);
    EXPECT_EQ(hit.Article, article);
    EXPECT_EQ(hit.End, end);
    EXPECT_EQ(hit.Length, piece.size());
    EXPECT_EQ(PeakLiveTexts, 1u); // every other text was loaded, searched and freed in turn
    EXPECT_EQ(LiveCount, 0u);
}

TEST(FindNextHit, NothingFoundLeavesNothingAliveAndEndsInTheOpenCase) {
    const char* nowhere = "qqqxqqqxqqq";
    for (int32_t split : {SplitNone, SplitHalf}) {
        for (int a : {1, 2, 249, 250}) { // 2 and 250 with SplitNone: the bottom pane, commentary hidden
            ResetLiveTexts();
            SearchStart start{reinterpret_cast<const uint8_t*>(nowhere), a, TextOf(a), 0, split};
            SearchHit hit{};
            EXPECT_EQ(FindNextHit(&start, &hit), 0);
            EXPECT_EQ(LiveCount, 0u);
            EXPECT_EQ(PeakLiveTexts, 1u);
        }
    }
    SearchStart empty{reinterpret_cast<const uint8_t*>(""), 1, TextOf(1), 0, SplitHalf};
    SearchHit hit{};
    EXPECT_EQ(FindNextHit(&empty, &hit), 0);
}

} // namespace
