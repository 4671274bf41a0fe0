// Line layout on a memory DC with the pinned fonts: rejection, rules, breaking, hanging words,
// reversed storage, alignment, paragraph ends, continuation records and ownership of the text.
#include "TextTestSupport.h"

#include <gtest/gtest.h>

namespace {

class LineLayout : public PaneTest {
protected:
    LineLayout() : PaneTest({10, 20, 210, 320}) {}
    int Layout(const std::vector<TestRecord>& records) { return LayoutText(Pane, MakeText(records), 1); }
    // The text width of letter-code bytes in a style's font.
    int Measure(uint8_t style, const std::string& bytes) {
        HFONT previous = SelectPaneFont(Pane, style);
        int width = 100000, count = int(bytes.size());
        MeasureFit(Surface.Dc, reinterpret_cast<const uint8_t*>(bytes.data()), &width, &count);
        SelectObject(Surface.Dc, previous);
        return width;
    }
    TEXTMETRICW Metrics(uint8_t style) {
        HFONT previous = SelectPaneFont(Pane, style);
        TEXTMETRICW tm;
        GetTextMetricsW(Surface.Dc, &tm);
        SelectObject(Surface.Dc, previous);
        return tm;
    }
};

} // namespace

TEST_F(LineLayout, ResultsForMissingAndRejectedTexts) {
    EXPECT_EQ(LayoutText(nullptr, nullptr, 0), PaneNoPane);
    EXPECT_EQ(LayoutText(Pane, nullptr, 1), LayoutNoText);
    EXPECT_EQ(Layout({}), LayoutRejected);                         // first byte 0
    EXPECT_EQ(Layout({{0x01, 0, ""}}), LayoutRejected);            // first string empty
    EXPECT_EQ(Layout({{0x07, 0, ""}, {0x01, 0, "ab"}}), LayoutOk); // a separator may be first
    EXPECT_EQ(Layout({{0x01, 0, ""}}), LayoutRejected);
    EXPECT_EQ(Pane->DisplayLines, 0); // rejected: nothing laid out, the old text stays
    EXPECT_NE(Pane->Text, nullptr);
    EXPECT_EQ(LayoutText(Pane, nullptr, 1), LayoutNoText);
    EXPECT_EQ(Pane->Text, nullptr);
}

TEST_F(LineLayout, RulesByParamAndAlignment) {
    ASSERT_EQ(Layout({{0x01, 0, "a"},
                      {0x07, 0, ""},
                      {0x47, 10, ""},
                      {0x07, 200, ""},
                      {0x27, 250, ""},
                      {0x87, 60, ""}}),
              LayoutOk);
    ASSERT_EQ(Pane->LineCount, 5); // Param 0: no entry and no blank line
    const LineEntry* rule = &Pane->Lines[1];
    EXPECT_EQ(rule->Count, 0);
    EXPECT_EQ(rule->Width, 10);
    EXPECT_EQ(rule->X, 10 + 95);          // centred in 200 pixels
    EXPECT_EQ(Pane->Lines[2].Width, 160); // 80 %
    EXPECT_EQ(Pane->Lines[2].X, 10);
    EXPECT_EQ(Pane->Lines[3].Width, 200); // 180 % capped at the width
    EXPECT_EQ(Pane->Lines[3].X, 10);
    EXPECT_EQ(Pane->Lines[4].Style, 0x07); // paragraph end dropped on the last line
    EXPECT_EQ(Pane->DisplayLines, 5);
}

TEST_F(LineLayout, BreaksAtSpacesAndHyphens) {
    const std::string text =
        "abc def-ghi jkl mno pqr stu vwx yz{ abc def ghi jklmn opq-rstu vwxyz abc defg hijk lmnop";
    ASSERT_EQ(Layout({{0x01, 0, text}}), LayoutOk);
    ASSERT_GT(Pane->LineCount, 2);
    std::string joined;
    for (int i = 0; i < Pane->LineCount; ++i) {
        const LineEntry& e = Pane->Lines[i];
        const std::string run = RunText(Pane, i);
        EXPECT_NE(run.front(), ' ');
        EXPECT_NE(run.back(), ' ');
        EXPECT_LE(e.Width, 200);
        EXPECT_EQ(e.Width, Measure(0x01, run));
        if (i + 1 < Pane->LineCount) {
            const char next = char(Pane->Text[e.Offset + e.Count]);
            EXPECT_TRUE(next == ' ' || run.back() == '-') << run; // never inside a word
            // The first word of the next line would not have fitted on this one.
            const std::string nextRun = RunText(Pane, i + 1);
            const size_t cut = nextRun.find_first_of(" -");
            const std::string nextWord =
                cut == std::string::npos ? nextRun : nextRun.substr(0, nextRun[cut] == '-' ? cut + 1 : cut);
            EXPECT_GT(Measure(0x01, run + (run.back() == '-' ? "" : " ") + nextWord), 200) << run;
        }
        joined += run + (run.back() == '-' ? "" : " ");
    }
    joined.pop_back();
    EXPECT_EQ(joined, text);
}

TEST_F(LineLayout, WordWiderThanThePaneIsCutAndEveryLineAdvances) {
    const std::string word(60, 'm');
    ASSERT_EQ(Layout({{0x01, 0, word}}), LayoutOk);
    ASSERT_GT(Pane->LineCount, 1);
    int total = 0;
    for (int i = 0; i < Pane->LineCount; ++i)
        total += Pane->Lines[i].Count;
    EXPECT_EQ(total, 60);

    // A pane narrower than one letter still advances one byte per line.
    ASSERT_EQ(ResizePane(Pane, 1, 300), LayoutOk);
    ASSERT_EQ(Pane->LineCount, 60);
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(Pane->Lines[i].Count, 1);
        EXPECT_EQ(Pane->Lines[i].Width, Measure(0x01, "m"));
    }
    EXPECT_EQ(ResizePane(Pane, 0, 300), ResizeBadSize);
    EXPECT_EQ(ResizePane(nullptr, 10, 300), PaneNoPane);
}

TEST_F(LineLayout, HangingColumnOfAClassOneRecord) {
    const TEXTMETRICW tm = Metrics(0x01);
    const int column = (1 + 1) * tm.tmMaxCharWidth / 2;
    // Param: hang class 1, indentation 4.
    ASSERT_EQ(Layout({{0x01, 0x44, "ab cde fgh ijk lmn opq rst uvw xyz abc def ghi jkl"}}), LayoutOk);
    ASSERT_GT(Pane->LineCount, 1);
    const LineEntry& first = Pane->Lines[0];
    EXPECT_EQ(first.HangWidth, column);
    EXPECT_EQ(first.Offset, 2); // the word "ab"
    EXPECT_EQ(first.X, 10 + 4 + column);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Pane->Text) + 5, first.Count).substr(0, 3), "cde");
    for (int i = 1; i < Pane->LineCount; ++i) {
        EXPECT_EQ(Pane->Lines[i].HangWidth, 0);
        EXPECT_EQ(Pane->Lines[i].X, 10 + 4 + column) << i; // the column stays as indentation
    }
}

TEST_F(LineLayout, ReversedStorageShowsTheLastStoredWordFirst) {
    // Words of a width that puts one word on a line.
    const std::string a(12, 'a'), b(12, 'b');
    ASSERT_GT(Measure(0x11, a + " " + b), 200 - 0);
    ASSERT_EQ(Layout({{0x11, 0, a + " " + b}}), LayoutOk);
    ASSERT_EQ(Pane->LineCount, 2);
    EXPECT_EQ(RunText(Pane, 0), b);
    EXPECT_EQ(RunText(Pane, 1), a);
}

TEST_F(LineLayout, ReversedHangingWordLiesAfterTheRun) {
    const TEXTMETRICW tm = Metrics(0x31);
    const int column = (2 + 1) * tm.tmMaxCharWidth / 2;
    // Right-aligned, reversed, hang class 2: the logical first word "zz" is stored last.
    ASSERT_EQ(Layout({{0x31, 0x80, "ccc bbb zz"}}), LayoutOk);
    ASSERT_EQ(Pane->LineCount, 1);
    const LineEntry& e = Pane->Lines[0];
    EXPECT_EQ(e.HangWidth, column);
    EXPECT_EQ(RunText(Pane, 0), "ccc bbb");
    EXPECT_EQ(e.X + e.Width + column, 10 + 200); // run and column end at the right edge
    int length;
    const uint8_t* word = ReversedHangingWord(Pane, &e, &length);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(word), length), "zz");
    int start, end;
    EntrySpan(Pane, &e, &start, &end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 12);
}

TEST_F(LineLayout, RightAlignedParamFiveEndsFivePixelsFromTheEdge) {
    ASSERT_EQ(Layout({{0x21, 5, "abc def ghi jkl mno pqr stu vwx yz{ abc def"}}), LayoutOk);
    for (int i = 0; i < Pane->LineCount; ++i) {
        EXPECT_EQ(Pane->Lines[i].X + Pane->Lines[i].Width, 10 + 200 - 5) << i;
    }
}

TEST_F(LineLayout, ParagraphEndsAddBlankLinesExceptAtTheEnd) {
    ASSERT_EQ(Layout({{0x81, 0, "ab"}, {0x01, 0, "cd"}, {0x81, 0, "ef   "}, {0x81, 0, "gh"}}), LayoutOk);
    ASSERT_EQ(Pane->LineCount, 4);
    EXPECT_EQ(Pane->Lines[0].Style, 0x81);
    EXPECT_EQ(Pane->Lines[2].Style, 0x81); // trailing spaces do not lose the paragraph end
    EXPECT_EQ(Pane->Lines[3].Style, 0x01);
    EXPECT_EQ(Pane->DisplayLines, 6);
}

TEST_F(LineLayout, ContinuationRecordsKeepTheRunningIndentation) {
    const TEXTMETRICW tm = Metrics(0x01);
    const int column = tm.tmMaxCharWidth; // hang class 1
    // A hanging paragraph with indentation 4, continued with indentation 10 (6 more pixels).
    ASSERT_EQ(Layout({{0x01, 0x44, "ab cd"}, {0x01, 0x4A, " ef gh"}, {0x01, 0x4A, "ij kl"}}), LayoutOk);
    ASSERT_EQ(Pane->LineCount, 3);
    EXPECT_EQ(Pane->Lines[1].HangWidth, 0); // no hanging word of its own
    EXPECT_EQ(Pane->Lines[1].X, 10 + 4 + column + 6);
    EXPECT_EQ(RunText(Pane, 1), "ef gh");
    EXPECT_EQ(Pane->Lines[2].HangWidth, column); // not led by a space: a new hanging paragraph
    EXPECT_EQ(Pane->Lines[2].X, 10 + 10 + column);
}

TEST_F(LineLayout, StylesChooseFontsAndLineHeights) {
    ASSERT_EQ(Layout({{0x01, 0, "ab"}, {0x0D, 0, "cd"}, {0x03, 0, "ef"}}), LayoutOk);
    EXPECT_EQ(Pane->Lines[0].Height, Metrics(0x01).tmHeight);
    EXPECT_EQ(Pane->Lines[1].Height, Metrics(0x0D).tmHeight);
    EXPECT_EQ(Pane->Lines[2].Height, Metrics(0x03).tmHeight);
    EXPECT_GT(Pane->Lines[1].Height, Pane->Lines[0].Height);
    EXPECT_LT(Pane->Lines[2].Height, Pane->Lines[0].Height);
    int entries = 0;
    for (FontCacheEntry* e = Pane->FontCache; e; e = e->Next) {
        ++entries;
        EXPECT_NE(e->Font, nullptr);
    }
    EXPECT_EQ(entries, 3);
}

TEST_F(LineLayout, TheTableGrowsAndHitsAreClearedByANewLayout) {
    std::vector<TestRecord> records(300, TestRecord{0x01, 0, "ab"});
    ASSERT_EQ(Layout(records), LayoutOk);
    EXPECT_EQ(Pane->LineCount, 300);
    EXPECT_GE(Pane->LineCapacity, 300);
    EXPECT_EQ(Pane->Lines[300].Style, StyleEnd);
    Pane->HitStart = 4;
    Pane->HitEnd = 6;
    Pane->TopLine = 7;
    ASSERT_EQ(ResizePane(Pane, 300, 200), LayoutOk);
    EXPECT_EQ(Pane->HitStart, 0);
    EXPECT_EQ(Pane->HitEnd, 0);
    EXPECT_EQ(Pane->TopLine, 7);
    EXPECT_EQ(Pane->MaxTopLine, 300 - 200 / Pane->Lines[0].Height);
}

TEST_F(LineLayout, ScrollToOffsetInTheThirdLine) {
    std::vector<TestRecord> records(20, TestRecord{0x01, 0, "abcd"}); // 7 bytes a record
    ASSERT_EQ(Layout(records), LayoutOk);
    EXPECT_EQ(ScrollToOffset(Pane, 2 * 7 + 2 + 1), 1);
    EXPECT_EQ(Pane->TopLine, 2);
    // A pane taller than the text: MaxTopLine 0 wins.
    ASSERT_EQ(ResizePane(Pane, 200, 2000), LayoutOk);
    EXPECT_EQ(ScrollToOffset(Pane, 2 * 7 + 2 + 1), 1);
    EXPECT_EQ(Pane->TopLine, 0);
}

TEST_F(LineLayout, ANewPaneWithoutATableMakesOne) {
    RECT rect = {0, 0, 100, 100};
    TextPane* bare = CreatePane(Surface.Dc, &rect, &ReaderState.FontSpec, 0);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->Lines, nullptr);
    EXPECT_EQ(LayoutText(bare, MakeText({{0x01, 0, "ab"}}), 1), LayoutOk);
    EXPECT_EQ(bare->LineCapacity, LineTableFirstCapacity);
    DestroyPane(bare, 1);
    EXPECT_EQ(CreatePane(nullptr, &rect, &ReaderState.FontSpec, 100), nullptr);
}

TEST_F(LineLayout, RecordsBeyondSixteenBitOffsetsAreLeftOut) {
    std::string words;
    while (words.size() < 60000)
        words += "abcdefg ";
    words.resize(60000);
    ASSERT_EQ(Layout({{0x01, 0, words}, {0x01, 0, std::string(10000, 'b')}}), LayoutOk);
    ASSERT_GT(Pane->LineCount, 0);
    const LineEntry& last = Pane->Lines[Pane->LineCount - 1];
    EXPECT_LE(last.Offset + last.Count, 2 + 60000); // the second record would end past 0xFFFF
    EXPECT_EQ(Pane->DisplayLines, Pane->LineCount);
}
