// SearchStartTest.cpp: where a search begins in a pane (first visible line, the current hit, a pane
// at MaxTopLine) and the state the scan starts from. The panes are records filled by hand: two
// records in reversed storage, or one in normal storage, broken into lines as the layout would.
#include "SearchTestSupport.h"
#include "search/SearchEngine.h"
#include "text/TextPane.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Record A's string is 2-21 (space at 11), record B's 25-44 (space at 34); reversed storage, so each
// record's first line holds its higher bytes. Display lines: 0 = e0, 1 = e1, 2 = blank, 3 = e2, 4 = e3.
class PaneSearchStartTest : public ::testing::Test {
protected:
    TextBytes Text = MakeText({{0x91, 0, "abcdefghi jklmnopqrs"}, {0x11, 0, "abcdefghi jklmnopqrs"}});
    LineEntry Lines[5] = {{12, 10, 0, 0, 100, 16, 0x11},
                          {2, 9, 0, 0, 90, 16, 0x91},
                          {35, 10, 0, 0, 100, 16, 0x11},
                          {25, 9, 0, 0, 90, 16, 0x11},
                          {0, 0, 0, 0, 0, 0, 0}};
    TextPane Pane;

    void SetUp() override {
        std::memset(&Pane, 0, sizeof Pane);
        Pane.Lines = Lines;
        Pane.Text = Text.data();
        Pane.LineCount = 4;
        Pane.DisplayLines = 5;
        Pane.MaxTopLine = 3;
    }
    void Show(int topLine, int hitStart, int hitEnd) {
        Pane.TopLine = uint16_t(topLine);
        Pane.HitStart = uint16_t(hitStart);
        Pane.HitEnd = uint16_t(hitEnd);
    }
};

TEST_F(PaneSearchStartTest, WithoutAHitOnTheFirstVisibleLineStartsAtItsLastByte) {
    Show(0, 0, 0);
    EXPECT_EQ(PaneSearchStart(&Pane), 21);
    Show(1, 14, 17); // a hit that ends on another line
    EXPECT_EQ(PaneSearchStart(&Pane), 10);
    Show(2, 0, 0); // the blank line after e1: the first visible line is e2
    EXPECT_EQ(PaneSearchStart(&Pane), 44);
}

TEST_F(PaneSearchStartTest, APaneAtMaxTopLineWithoutAHitStartsBeyondEveryText) {
    Show(3, 0, 0);
    EXPECT_EQ(PaneSearchStart(&Pane), 0xFFFF);
    int length = 0;
    EXPECT_EQ(FindInText(Text.data(), reinterpret_cast<const uint8_t*>("a"), PaneSearchStart(&Pane), &length),
              0);
}

TEST_F(PaneSearchStartTest, AfterAHitOnTheFirstVisibleLineContinuesBelowIt) {
    Show(0, 15, 18);
    EXPECT_EQ(PaneSearchStart(&Pane), 14);
    Show(3, 40, 42); // at MaxTopLine the hit still decides
    EXPECT_EQ(PaneSearchStart(&Pane), 39);
}

TEST_F(PaneSearchStartTest, AHitThatBeginsTheLineContinuesFromTheEndOfTheNextEntry) {
    Show(0, 12, 15);
    EXPECT_EQ(PaneSearchStart(&Pane), 11); // e1 ends at 11, below the hit
    Show(1, 2, 5);
    EXPECT_EQ(PaneSearchStart(&Pane), 35 + 10); // the next entry is record B's first line
    Show(4, 25, 27);
    EXPECT_EQ(PaneSearchStart(&Pane), 0); // the last entry: the ending entry gives 0
}

TEST(PaneSearchStart, InNormalStorageAHitThatBeginsTheLineIsNotFoundAgain) {
    // One record, normal storage: e0 = 2-10, e1 = 12-21. Going on from the end of e1 would reach the
    // hit again from above; the search goes on below it instead.
    TextBytes text = MakeText({{0x81, 0, "abcdefghi abcdefghij"}});
    LineEntry lines[3] = {{2, 9, 0, 0, 90, 16, 0x01}, {12, 10, 0, 0, 100, 16, 0x81}, {}};
    TextPane pane;
    std::memset(&pane, 0, sizeof pane);
    pane.Lines = lines;
    pane.Text = text.data();
    pane.LineCount = 2;
    pane.DisplayLines = 2;
    pane.HitStart = 2;
    pane.HitEnd = 5;
    EXPECT_EQ(PaneSearchStart(&pane), 1);
    EXPECT_EQ(PaneSearchStart(nullptr), 0);
    pane.Lines = nullptr;            // a pane without a table: only the ending entry
    pane.HitStart = pane.HitEnd = 0; // no hit "begins" the ending entry at 0: from its end, 0
    EXPECT_EQ(PaneSearchStart(&pane), 0);
}

TEST(CurrentSearchStart, TheBottomPaneStartsFromTheCommentaryWhateverTheSplit) {
    ResetReaderState();
    TextBytes top = MakeText({{0x91, 0, "ab"}}), bottom = MakeText({{0x91, 0, "cd"}});
    LineEntry lines[2][2] = {{{2, 2, 0, 0, 20, 16, 0x91}, {}}, {{2, 2, 0, 0, 20, 16, 0x91}, {}}};
    TextPane panes[2];
    std::memset(panes, 0, sizeof panes);
    panes[0].Text = top.data();
    panes[1].Text = bottom.data();
    panes[0].Lines = lines[0];
    panes[1].Lines = lines[1];
    ReaderState.TopPane = &panes[0];
    PaneState.BottomPane = &panes[1];
    ReaderState.Lesson = 7;
    std::strcpy(ReaderState.SearchString, "ab");

    SearchStart start = CurrentSearchStart();
    EXPECT_EQ(start.Article, 7);
    EXPECT_EQ(start.Text, top.data());
    EXPECT_EQ(start.Offset, 0xFFFF); // the whole text is on screen: the scan goes on at once
    EXPECT_STREQ(reinterpret_cast<const char*>(start.Pattern), "ab");

    PaneState.ActivePane = PaneState.BottomPane;
    PaneState.BottomSection = SplitNone; // hidden after the bottom pane became active
    start = CurrentSearchStart();
    EXPECT_EQ(start.Article, 8);
    EXPECT_EQ(start.Text, bottom.data());
    EXPECT_EQ(start.BottomSection, SplitNone);
    ResetReaderState();
}

} // namespace
