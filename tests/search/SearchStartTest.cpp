// SearchStartTest.cpp: where a search begins in a pane (first visible line, the current hit, a pane
// at MaxTopLine) and the state the scan starts from. The panes are records filled by hand, broken
// into lines as the layout would break them.
#include "SearchTestSupport.h"
#include "search/SearchEngine.h"
#include "text/TextPane.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TextPane HandPane(TextBytes* text, LineEntry* lines, int count, int displayLines, int maxTopLine) {
    TextPane pane;
    std::memset(&pane, 0, sizeof pane);
    pane.Text = text->data();
    pane.Lines = lines;
    pane.LineCount = uint16_t(count);
    pane.DisplayLines = uint16_t(displayLines);
    pane.MaxTopLine = uint16_t(maxTopLine);
    return pane;
}

TEST(PaneSearchStart, FirstVisibleLineHitAndMaxTopLine) {
    // Two records in reversed storage (strings 2-21 and 25-44, spaces at 11 and 34): each record's
    // first line holds its higher bytes. Display lines: 0 e0, 1 e1, 2 blank, 3 e2, 4 e3.
    TextBytes text = MakeText({{0x91, 0, "abcdefghi jklmnopqrs"}, {0x11, 0, "abcdefghi jklmnopqrs"}});
    LineEntry lines[5] = {{12, 10, 0, 0, 100, 16, 0x11},
                          {2, 9, 0, 0, 90, 16, 0x91},
                          {35, 10, 0, 0, 100, 16, 0x11},
                          {25, 9, 0, 0, 90, 16, 0x11},
                          {}};
    TextPane pane = HandPane(&text, lines, 4, 5, 3);
    struct Case {
        int TopLine, HitStart, HitEnd, Expected;
    } cases[] = {
        {0, 0, 0, 21},     // no hit: the last byte of the first visible line
        {1, 14, 17, 10},   // a hit that ends on another line counts as none
        {2, 0, 0, 44},     // TopLine on the blank line: the entry after it
        {3, 0, 0, 0xFFFF}, // at MaxTopLine without a hit: beyond every text
        {0, 15, 18, 14},   // below the hit on the first visible line
        {3, 40, 42, 39},   // ... also at MaxTopLine
        {0, 12, 15, 11},   // a hit that begins the line: from the end of the next entry, below it
        {1, 2, 5, 45},     // ... the next entry in the next record
        {4, 25, 27, 0},    // ... the ending entry
    };
    for (const Case& c : cases) {
        pane.TopLine = uint16_t(c.TopLine);
        pane.HitStart = uint16_t(c.HitStart);
        pane.HitEnd = uint16_t(c.HitEnd);
        EXPECT_EQ(PaneSearchStart(&pane), c.Expected) << c.TopLine << ' ' << c.HitStart;
    }
    EXPECT_EQ(PaneSearchStart(nullptr), 0);
}

TEST(PaneSearchStart, AHitThatBeginsTheLineIsNeverFoundAgain) {
    // One record in normal storage: e0 = 2-10, e1 = 12-21. Going on from the end of e1 would reach
    // the hit again from above, for ever; the search goes on below it instead.
    TextBytes text = MakeText({{0x81, 0, "abcdefghi abcdefghij"}});
    LineEntry lines[3] = {{2, 9, 0, 0, 90, 16, 0x01}, {12, 10, 0, 0, 100, 16, 0x81}, {}};
    TextPane pane = HandPane(&text, lines, 2, 2, 0);
    pane.HitStart = 2;
    pane.HitEnd = 5;
    EXPECT_EQ(PaneSearchStart(&pane), 1);
    // Reversed storage cut inside a word (e0 = 12-21 right above e1 = 2-11): a one-byte hit at the
    // start of e0 ends where e1 ends.
    LineEntry cut[3] = {{12, 10, 0, 0, 100, 16, 0x11}, {2, 10, 0, 0, 100, 16, 0x91}, {}};
    pane.Lines = cut;
    pane.HitStart = 12;
    pane.HitEnd = 13;
    EXPECT_EQ(PaneSearchStart(&pane), 11);
    int length = 0;
    EXPECT_EQ(FindInText(text.data(), reinterpret_cast<const uint8_t*>("a"), 11, &length), 2); // not 12
    pane.HitEnd = 15; // a longer hit lies above the start: the rule stands
    EXPECT_EQ(PaneSearchStart(&pane), 12);
}

TEST(CurrentSearchStart, TheBottomPaneStartsFromTheCommentaryWhateverTheSplit) {
    ResetReaderState();
    TextBytes top = MakeText({{0x91, 0, "ab"}}), bottom = MakeText({{0x91, 0, "cd"}});
    LineEntry lines[2] = {{2, 2, 0, 0, 20, 16, 0x91}, {}};
    TextPane panes[2] = {HandPane(&top, lines, 1, 1, 0), HandPane(&bottom, lines, 1, 1, 0)};
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
