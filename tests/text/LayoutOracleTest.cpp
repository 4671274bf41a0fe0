// The layout against LayoutTextReference, the whole-remainder measure: identical line tables for
// every demo text at both pane widths and faces, and for generated texts with every construct.
#include "TextTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct OracleCase {
    const char16_t* Face;
    int Size;
    int Width;
};

class LayoutOracle : public ::testing::Test {
protected:
    TestSurface Surface{8, 8};
    TextPane* Fast = nullptr;
    TextPane* Reference = nullptr;

    void SetUp() override { ResetReaderState(); }
    void TearDown() override {
        DestroyPane(Fast, 1);
        DestroyPane(Reference, 1);
        ResetReaderState();
    }
    void MakePanes(const OracleCase& c) {
        DestroyPane(Fast, 1);
        DestroyPane(Reference, 1);
        ReaderState.FontSpec = MakeFontSpec(c.Face, c.Size, AsciiBaseUnicode);
        RECT rect = {3, 0, 3 + c.Width, 320};
        Fast = CreatePane(Surface.Dc, &rect, &ReaderState.FontSpec, PaneInitialCapacity);
        Reference = CreatePane(Surface.Dc, &rect, &ReaderState.FontSpec, PaneInitialCapacity);
    }
    // Lays text out in both panes (neither takes it) and compares every entry and count.
    void ExpectSame(uint8_t* text, const std::string& what) {
        const int a = LayoutText(Fast, text, 0), b = LayoutTextReference(Reference, text, 0);
        ASSERT_EQ(a, b) << what;
        Fast->Text = Reference->Text = nullptr; // the caller's
        if (a != LayoutOk) return;
        ASSERT_EQ(Fast->LineCount, Reference->LineCount) << what;
        EXPECT_EQ(Fast->DisplayLines, Reference->DisplayLines) << what;
        EXPECT_EQ(Fast->MaxTopLine, Reference->MaxTopLine) << what;
        for (int i = 0; i <= Fast->LineCount; ++i) {
            const LineEntry &f = Fast->Lines[i], &r = Reference->Lines[i];
            ASSERT_TRUE(f.Offset == r.Offset && f.Count == r.Count && f.X == r.X &&
                        f.HangWidth == r.HangWidth && f.Width == r.Width && f.Height == r.Height &&
                        f.Style == r.Style)
                << what << ", entry " << i << ": offset " << f.Offset << "/" << r.Offset << " count "
                << f.Count << "/" << r.Count << " width " << f.Width << "/" << r.Width;
        }
    }
};

const OracleCase Cases[] = {
    {TestHebrewFace, 18, 240}, {TestHebrewFace, 18, 480}, {TestFace, 13, 240}, {TestFace, 24, 480}};

} // namespace

TEST_F(LayoutOracle, EveryDemoTextAtBothWidthsInTwoFaces) {
    int texts = 0;
    for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
        if (!FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ArticleResourceBase + n), RT_RCDATA))
            continue;
        uint8_t* text = LoadArticleText(n);
        ASSERT_NE(text, nullptr) << n;
        ++texts;
        for (const OracleCase& c : Cases) {
            MakePanes(c);
            ExpectSame(text, "text " + std::to_string(n) + " at " + std::to_string(c.Width));
        }
        std::free(text);
    }
    if (texts == 0) GTEST_SKIP() << "this build has no demo texts";
}

TEST_F(LayoutOracle, GeneratedTextsWithEveryConstruct) {
    std::mt19937 random(7);
    const uint8_t styles[] = {0x01, 0x02, 0x04, 0x0C, 0x11, 0x31, 0x51,
                              0x91, 0xB1, 0x07, 0x47, 0x87, 0x12, 0x1D};
    for (int round = 0; round < 60; ++round) {
        std::vector<TestRecord> records;
        const int count = 1 + int(random() % 30);
        for (int r = 0; r < count; ++r) {
            TestRecord record{styles[random() % sizeof styles], uint8_t(random()), ""};
            if (!IsSeparatorStyle(record.Style)) {
                const int length = int(random() % 400);
                for (int k = 0; k < length; ++k) {
                    const unsigned pick = random() % 10;
                    record.String += pick < 2    ? ' '
                                     : pick == 2 ? '-'
                                     : pick == 3 ? char(33 + random() % 60)
                                                 : char('a' + random() % 27);
                }
            }
            records.push_back(record);
        }
        uint8_t* text = MakeText(records);
        for (const OracleCase& c : Cases) {
            MakePanes(c);
            ExpectSame(text, "round " + std::to_string(round));
            MakePanes({c.Face, c.Size, 1 + int(random() % 40)}); // narrow: one byte a line
            ExpectSame(text, "narrow round " + std::to_string(round));
        }
        std::free(text);
    }
}
